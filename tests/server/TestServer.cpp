#include "tests/server/TestServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const char* const ServerProgram = "/usr/sbin/firebird";
const char* const EngineFolder = "/usr/lib/x86_64-linux-gnu/firebird/3.0";

int FreePort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(probe);
    return port;
}

bool Accepts(int port)
{
    const int client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(client);
    return connected;
}

}  // namespace

const char* const TestServer::User = "SYSDBA";
const char* const TestServer::Password = "plumtrove";

TestServer::TestServer(const std::string& wireCrypt)
{
    namespace fs = std::filesystem;
    if (!fs::exists(ServerProgram))
        throw std::runtime_error(std::string("no server program at ") + ServerProgram +
                                 " (Debian package firebird3.0-server)");
    const std::string root = root_.Path();
    fs::permissions(root,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec);
    fs::create_directories(root + "/lock");
    fs::create_directories(root + "/data");
    for (const char* part : {"plugins", "intl", "UDF"})
        fs::create_symlink(std::string(EngineFolder) + "/" + part, root + "/" + part);
    fs::copy_file("/etc/firebird/3.0/plugins.conf", root + "/plugins.conf");
    port_ = FreePort();
    const std::string security = root + "/security3.fdb";
    TestSupport::WriteFile(root + "/firebird.conf",
                           "RemoteServicePort = " + std::to_string(port_) +
                               "\nRemoteBindAddress = 127.0.0.1\nSecurityDatabase = " + security +
                               "\nAuthServer = Srp\nUserManager = Srp\nWireCrypt = " + wireCrypt +
                               "\nServerMode = Super\n");
    TestSupport::WriteFile(root + "/databases.conf", "security.db = " + security + "\n");

    // The security database is made with the engine alone, in the server's configuration.
    const std::string environment = "FIREBIRD='" + root + "' FIREBIRD_LOCK='" + root + "/lock' ";
    std::string output;
    TestSupport::RunCommand("echo \"CREATE DATABASE '" + security + "';\" | " + environment +
                                "isql-fb -q -user SYSDBA 2>&1 && echo \"CREATE USER " + User + " PASSWORD '" +
                                Password + "' USING PLUGIN Srp; COMMIT;\" | " + environment +
                                "isql-fb -q -user SYSDBA '" + security + "' 2>&1",
                            &output);
    if (!output.empty())
        throw std::runtime_error("security database: " + output);

    pid_ = fork();
    if (pid_ == 0) {
        setenv("FIREBIRD", root.c_str(), 1);
        setenv("FIREBIRD_LOCK", (root + "/lock").c_str(), 1);
        // The test's own signal mask and descriptors stay with the test.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int descriptor = 3; descriptor < 1024; ++descriptor)
            close(descriptor);
        execl(ServerProgram, ServerProgram, static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Accepts(port_)) {
        if (std::chrono::steady_clock::now() > deadline || waitpid(pid_, nullptr, WNOHANG) == pid_)
            throw std::runtime_error("the server did not listen on port " + std::to_string(port_));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

TestServer::~TestServer()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    for (int waited = 0; waited < 200; ++waited) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

std::string TestServer::LocalFile(const std::string& name) const
{
    return root_.Path() + "/data/" + name;
}

std::string TestServer::DataFile(const std::string& name) const
{
    return "127.0.0.1/" + std::to_string(port_) + ":" + LocalFile(name);
}

std::string TestServer::Validate(const std::string& name, int* status) const
{
    std::string output;
    const int result = TestSupport::RunCommand("gfix -v -full -user " + std::string(User) + " -password " + Password +
                                                   " '" + DataFile(name) + "' 2>&1",
                                               &output);
    if (status)
        *status = result;
    return output;
}
