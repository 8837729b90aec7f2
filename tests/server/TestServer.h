// A Firebird server of the test's own: started as a process on a free local
// port, with a private configuration, security database and lock folder, and
// stopped when the object goes. No system service is involved.
#pragma once

#include <string>
#include <sys/types.h>

#include "tests/support/datafiles/TestSupport.h"

class TestServer {
public:
    // Throws std::runtime_error when the server does not come up. wireCrypt
    // is the server's WireCrypt setting (Enabled, Required or Disabled).
    explicit TestServer(const std::string& wireCrypt = "Enabled");
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int Port() const { return port_; }
    // A data file in the server's own folder, named as a desk names it:
    // "127.0.0.1/<port>:/.../name".
    std::string DataFile(const std::string& name) const;
    // The same file as the server's disk sees it.
    std::string LocalFile(const std::string& name) const;
    // gfix -v -full through the server; its whole output ("" when clean).
    std::string Validate(const std::string& name, int* status = nullptr) const;

    static const char* const User;
    static const char* const Password;

private:
    TestSupport::TempDir root_;
    int port_ = 0;
    pid_t pid_ = -1;
};
