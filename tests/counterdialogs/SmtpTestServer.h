// The notices test's local aiosmtpd server (tests/notices/smtp_server.py),
// started as that test starts it, with a self-signed certificate of its own.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "dialogs/SmtpMail.h"
#include "tests/support/datafiles/TestSupport.h"

class SmtpTestServer {
public:
    static const std::string User;
    static const std::string Password;

    // STARTTLS with AUTH, storing what it accepts in folder.
    explicit SmtpTestServer(const TestSupport::TempDir& folder);
    // Stopped and waited for however the test ends.
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    // 0 when the server did not start (the test has failed saying why).
    int Port() const { return port_; }
    std::string Log() const;
    // The login that the server accepts, its certificate trusted.
    MailServer Login() const;
    // The stored parts of the nth message accepted: rcpt, subject, body or eml.
    std::string Stored(int number, const std::string& kind) const;
    bool Received(int number) const;

private:
    const TestSupport::TempDir& folder_;
    TestSupport::TempDir certificates_;
    std::string log_;
    pid_t pid_ = -1;
    int port_ = 0;
};
