#include "tests/counterdialogs/SmtpTestServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>

using TestSupport::FileExists;
using TestSupport::ReadFile;

const std::string SmtpTestServer::User = "clerk@velmora.test";
const std::string SmtpTestServer::Password = "Corr3ct-horse!";

SmtpTestServer::SmtpTestServer(const TestSupport::TempDir& folder) : folder_(folder), log_(folder.File("server.log"))
{
    const std::string cert = certificates_.File("cert.pem");
    const std::string key = certificates_.File("key.pem");
    std::string output;
    if (TestSupport::RunCommand("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                                "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
                                    key + "' -out '" + cert + "' 2>&1",
                                &output, 60) != 0) {
        ADD_FAILURE() << "openssl could not make the test certificate:\n" << output;
        return;
    }
    const std::string portFile = folder.File("port");
    std::remove(portFile.c_str());
    pid_ = fork();
    if (pid_ == 0) {
        const int out = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        // Debian's python3, which has aiosmtpd; the one first on PATH may not.
        execl("/usr/bin/python3", "python3", SMTP_TEST_SERVER, "--folder", folder.Path().c_str(), "--mode", "starttls",
              "--cert", cert.c_str(), "--key", key.c_str(), "--user", User.c_str(), "--password", Password.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) {
        ADD_FAILURE() << "fork failed for the SMTP server";
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!FileExists(portFile)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            ADD_FAILURE() << "the SMTP server ended at start:\n" << Log();
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "HUNG: the SMTP server did not write its port within 20 s:\n" << Log();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    port_ = std::stoi(ReadFile(portFile));
}

SmtpTestServer::~SmtpTestServer()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    TestSupport::WaitForExit(pid_, "the test SMTP server, after SIGTERM", 10);
}

std::string SmtpTestServer::Log() const
{
    return FileExists(log_) ? ReadFile(log_) : std::string();
}

MailServer SmtpTestServer::Login() const
{
    MailServer server;
    server.host = "127.0.0.1";
    server.port = port_;
    server.security = MailSecurity::StartTls;
    server.user = User;
    server.password = Password;
    server.caFile = certificates_.File("cert.pem");
    server.timeoutSeconds = 10;
    return server;
}

std::string SmtpTestServer::Stored(int number, const std::string& kind) const
{
    return ReadFile(folder_.File("message-" + std::to_string(number) + "." + kind));
}

bool SmtpTestServer::Received(int number) const
{
    return FileExists(folder_.File("message-" + std::to_string(number) + ".eml"));
}
