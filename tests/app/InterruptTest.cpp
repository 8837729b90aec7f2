// Ctrl+C and SIGTERM given to the real program.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/datafiles/LocalLogin.h"
#include "tests/support/windows/WindowTest.h"

namespace fs = std::filesystem;

namespace {

// The program runs from a copy in a folder of the test's, so the settings and
// report files beside it are never those of the build.
const std::string& Program()
{
    static TestSupport::TempDir folder;
    static const std::string path = [] {
        const std::string copy = folder.File("velmora-solutions");
        fs::copy_file(VELMORA_PROGRAM, copy);
        return copy;
    }();
    return path;
}

// Starts the program in a folder and waits until it has the data file open.
pid_t StartProgram(const std::string& folder, const std::string& dataFile)
{
    const std::string& program = Program();
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(111);
        const int log = open("program.log", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        // Nothing of the test's engine (data and lock files) goes along.
        for (int descriptor = 3; descriptor < 4096; ++descriptor)
            close(descriptor);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // As a terminal would start it: no signal blocked from the test's threads.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(112);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const fs::path target = fs::canonical(dataFile);
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", ignored))
            if (fs::read_symlink(entry.path(), ignored) == target) {
                // Let the constructor finish and the event loop start.
                std::this_thread::sleep_for(std::chrono::milliseconds(700));
                return child;
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return child;
}

// The exit status, or -1 when it had not ended (then it is killed).
int WaitForExit(pid_t child)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

}  // namespace

// This test program never loads the engine itself: the program under test is
// the only one with the data file, as after a start from a terminal.
class Interrupt : public ::testing::Test {
protected:
    void SetUp() override
    {
        dataFile = work.File("Data/Solutions.fdb");
        std::string output;
        ASSERT_EQ(TestSupport::RunCommand("cd '" + work.Path() +
                                              "' && VELMORA_STARTUP_PROBE=1 QT_QPA_PLATFORM=offscreen '" + Program() +
                                              "' 2>&1",
                                          &output),
                  0)
            << output;
        TestSupport::Isql(dataFile,
                          "INSERT INTO Customer (CustomerID, Name) VALUES (1, 'Interrupted');"
                          "INSERT INTO Problem (ProblemID, CustomerID) VALUES (1, 1); COMMIT;");
        ASSERT_EQ(Stored(), "Interrupted 1");
    }

    // The customer's name and the number of problems, read by isql.
    std::string Stored()
    {
        const std::string output = TestSupport::Isql(
            dataFile, "SET LIST ON; SELECT Name, (SELECT COUNT(*) FROM Problem) AS N FROM Customer;");
        return ListValue(output, "NAME") + " " + ListValue(output, "N");
    }

    void InterruptBothWays()
    {
        for (const int signal : {SIGINT, SIGTERM}) {
            const pid_t child = StartProgram(work.Path(), dataFile);
            ASSERT_GT(child, 0);
            ASSERT_EQ(kill(child, signal), 0);
            EXPECT_EQ(WaitForExit(child), 0) << "signal " << signal << ", program said:\n"
                                             << TestSupport::ReadFile(work.File("program.log"));
            EXPECT_EQ(Stored(), "Interrupted 1");
        }
    }

    TestSupport::TempDir work;
    std::string dataFile;
};

TEST_F(Interrupt, SignalsEndProgramCleanlyWithDataFileIntact)
{
    InterruptBothWays();
}

TEST_F(Interrupt, SignalsEndProgramWhileAnotherProgramUsesTheEngine)
{
    // isql attached to a data file of its own for the whole test.
    TestSupport::TempDir other;
    const std::string otherFile = other.File("Data/Solutions.fdb");
    ASSERT_EQ(TestSupport::RunCommand("cd '" + other.Path() +
                                      "' && VELMORA_STARTUP_PROBE=1 QT_QPA_PLATFORM=offscreen '" + Program() +
                                      "' >/dev/null 2>&1"),
              0);
    const std::string fifo = other.File("input");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const pid_t isql = fork();
    if (isql == 0) {
        const int input = open(fifo.c_str(), O_RDONLY);
        dup2(input, STDIN_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execlp("isql-fb", "isql-fb", "-q", "-user", TestSupport::LocalUser(), "-password", TestSupport::LocalPassword(),
               otherFile.c_str(), static_cast<char*>(nullptr));
        _exit(112);
    }
    const int feed = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(feed, 0);
    ASSERT_EQ(write(feed, "SELECT 1 FROM RDB$DATABASE;\n", 28), 28);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    InterruptBothWays();

    close(feed);
    TestSupport::WaitForExit(isql, "isql-fb, attached beside the program, after its input ended", 60);
}
