// Behaviour that needs a process of its own: loading the client library,
// Ctrl+C and SIGTERM, a second process on the same file, another user.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "ibpp/LockFolder.h"
#include "tests/ibpp/IbppFixture.h"

extern char** environ;

namespace {

// The probe program, its output so far and its exit status.
class Probe {
public:
    Probe(std::vector<std::string> arguments, std::vector<std::string> environment = {},
          std::vector<std::string> prefix = {}, const std::string& program = IBPP_PROBE)
    {
        std::vector<std::string> words = prefix;
        words.push_back(program);
        words.insert(words.end(), arguments.begin(), arguments.end());
        for (char** variable = environ; *variable; ++variable)
            environment.push_back(*variable);  // given variables come first and win
        std::vector<char*> argv, envp;
        for (auto& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        for (auto& variable : environment)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0)
            throw std::runtime_error("pipe failed");
        pid_ = fork();
        if (pid_ == 0) {
            sigset_t all;
            sigemptyset(&all);
            sigprocmask(SIG_SETMASK, &all, nullptr);
            signal(SIGINT, SIG_DFL);
            signal(SIGTERM, SIG_DFL);
            dup2(out[1], 1);
            dup2(out[1], 2);
            close(out[0]);
            close(out[1]);
            execvpe(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(out[1]);
        output_ = out[0];
    }

    ~Probe()
    {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(output_);
    }

    // Reads output until it contains text; false after the time limit.
    bool WaitFor(const std::string& text, int seconds = 30)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (text_.find(text) == std::string::npos) {
            pollfd ready = {output_, POLLIN, 0};
            if (std::chrono::steady_clock::now() > end || poll(&ready, 1, 100) < 0)
                return false;
            if (ready.revents) {
                char buffer[256];
                const ssize_t count = read(output_, buffer, sizeof buffer);
                if (count <= 0)
                    return text_.find(text) != std::string::npos;
                text_.append(buffer, count);
            }
        }
        return true;
    }

    // The exit status, or -1 when the process did not end in time (it is killed).
    int Finish(int seconds = 30)
    {
        WaitFor("\x01", seconds);  // collects the rest of the output until it closes
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                status_ = 1000;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
    }

    void Signal(int number) { kill(pid_, number); }
    const std::string& Output() const { return text_; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    int status_ = -1;
    std::string text_;
};

TEST(ClientLibraryTest, CheckVersionNamesALibraryThatCannotBeLoaded)
{
    Probe missing({"version"}, {std::string(IBPP::ClientLibraryVariable) + "=/nonexistent/libmissing.so"});
    EXPECT_EQ(2, missing.Finish());
    EXPECT_NE(std::string::npos, missing.Output().find("error: ")) << missing.Output();
    EXPECT_NE(std::string::npos, missing.Output().find("/nonexistent/libmissing.so")) << missing.Output();

    Probe standard({"version"});
    EXPECT_EQ(0, standard.Finish());
    EXPECT_EQ("match\n", standard.Output());
}

class SignalTest : public IbppFixture, public testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        IbppFixture::SetUp();
        Run("CREATE TABLE T (ID INTEGER)");
        database->Disconnect();
    }
};

TEST_P(SignalTest, InterruptedProgramKeepsItsAttachmentAndEndsInOrder)
{
    Probe probe({"interrupt", path});
    ASSERT_TRUE(probe.WaitFor("ready")) << probe.Output();
    probe.Signal(GetParam());
    EXPECT_EQ(0, probe.Finish()) << probe.Output();
    EXPECT_NE(std::string::npos, probe.Output().find("interrupted " + std::to_string(GetParam()))) << probe.Output();
    EXPECT_NE(std::string::npos, probe.Output().find("done")) << probe.Output();

    // The row committed after the signal is in the file, and the file is sound.
    const std::string stored = TestSupport::Isql(path, "SELECT ID FROM T;");
    EXPECT_NE(std::string::npos, stored.find(std::to_string(GetParam()))) << stored;
    database->Connect();
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalTest, testing::Values(SIGINT, SIGTERM));

class SecondProcessTest : public IbppFixture {};

TEST_F(SecondProcessTest, SecondProcessIsRefusedWhileTheFileIsAttached)
{
    Probe second({"attach", path});
    EXPECT_EQ(2, second.Finish());
    EXPECT_NE(std::string::npos, second.Output().find("error: ")) << second.Output();
    EXPECT_NE(std::string::npos, second.Output().find(path)) << second.Output();
    // This attachment still works.
    Run("CREATE TABLE STILL_HERE (ID INTEGER)");
    database->Disconnect();

    Probe later({"attach", path});
    EXPECT_EQ(0, later.Finish()) << later.Output();
}

TEST(LockFolderTest, AnotherUsersSharedFolderGetsAFolderOfOurOwn)
{
    using IBPP::LockFolder::Choose;
    using IBPP::LockFolder::SharedState;
    constexpr unsigned Me = 1000, Engine = 102, Stranger = 1001;
    const auto folder = [](unsigned owner, bool writable, bool othersMayWrite) {
        SharedState shared;
        shared.exists = shared.isFolder = true;
        shared.owner = owner;
        shared.writable = writable;
        shared.othersMayWrite = othersMayWrite;
        return shared;
    };
    EXPECT_EQ("/tmp/firebird-1000", Choose(false, folder(Engine, false, false), Me, Engine));
    EXPECT_EQ("", Choose(false, folder(Engine, true, false), Me, Engine));  // the engine's, open to us
    EXPECT_EQ("", Choose(false, folder(0, true, false), Me, Engine));
    EXPECT_EQ("", Choose(false, folder(Me, true, false), Me, Engine));  // ours
    EXPECT_EQ("", Choose(false, SharedState{}, Me, Engine));  // the engine makes it for us
    EXPECT_EQ("", Choose(true, folder(Engine, false, false), Me, Engine));  // the user chose a folder
    // Made by another user, or open to everybody: whoever made it could spoil our locks.
    EXPECT_EQ("/tmp/firebird-1000", Choose(false, folder(Stranger, true, false), Me, Engine));
    EXPECT_EQ("/tmp/firebird-1000", Choose(false, folder(Engine, true, true), Me, Engine));
    EXPECT_EQ("/tmp/firebird-1000", Choose(false, folder(0, true, true), Me, Engine));
    SharedState link = folder(0, true, false);
    link.isFolder = false;
    EXPECT_EQ("/tmp/firebird-1000", Choose(false, link, Me, Engine));
}

// Run as root only: the shared lock folder here belongs to root, so nobody
// can use it.
TEST(LockFolderTest, AnotherUserOpensADataFile)
{
    if (geteuid() != 0 || TestSupport::RunCommand("command -v runuser >/dev/null") != 0)
        GTEST_SKIP() << "needs root and runuser";
    struct stat shared;
    if (stat(IBPP::LockFolder::SharedFolder, &shared) != 0 || shared.st_uid == 65534)
        GTEST_SKIP() << "no shared lock folder of another user";
    TestSupport::TempDir dir;
    const std::string path = dir.File("other.fdb");
    IBPP::DatabaseFactory("", path, TestSupport::LocalUser(), TestSupport::LocalPassword())->Create(3);
    chmod(dir.Path().c_str(), 0777);
    chmod(path.c_str(), 0666);
    // The build tree may lie in a folder that only its owner can enter (a home
    // folder of mode 0700): the other user runs a copy of the probe from here.
    const std::string probe = dir.File("IbppProbe");
    std::filesystem::copy_file(IBPP_PROBE, probe);
    chmod(probe.c_str(), 0755);

    const std::vector<std::string> asNobody = {"runuser", "-u", "nobody", "--"};
    // The folder of nobody's own that the default choice makes goes again with the test.
    const std::string ownFolder = std::string(IBPP::LockFolder::SharedFolder) + "-65534";
    const bool ownFolderWasThere = std::filesystem::exists(ownFolder);
    Probe own({"attach", path}, {"FIREBIRD_LOCK="}, asNobody, probe);
    EXPECT_EQ(0, own.Finish()) << own.Output();
    if (!ownFolderWasThere)
        std::filesystem::remove_all(ownFolder);
    Probe shared_({"attach", path}, {std::string("FIREBIRD_LOCK=") + IBPP::LockFolder::SharedFolder}, asNobody, probe);
    EXPECT_EQ(2, shared_.Finish()) << shared_.Output();
}

}  // namespace
