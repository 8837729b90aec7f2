#include "tests/support/datafiles/TestSupport.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "dbframework/DBFrameWork_Platform.h"
#include "tests/support/datafiles/LocalLogin.h"

namespace TestSupport {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

DebugCapture::DebugCapture()
{
    DBFrameWork::SetDebugSink([this](const std::string& text) { lines_.push_back(text); });
}

DebugCapture::~DebugCapture()
{
    DBFrameWork::SetDebugSink({});
}

bool DebugCapture::Contains(const std::string& part) const
{
    for (const auto& line : lines_)
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

namespace {

using Clock = std::chrono::steady_clock;

void KillGroup(pid_t group)
{
    kill(-group, SIGKILL);
}

}  // namespace

std::string LockFolderState()
{
    const char* variable = std::getenv("FIREBIRD_LOCK");
    const std::string folder = variable && *variable ? variable : "/tmp/firebird";
    std::string text = "the lock folder " + folder + " holds:";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        text += " " + entry.path().filename().string();
    if (error)
        text += " (cannot be read: " + error.message() + ")";
    return text;
}

int RunCommand(const std::string& command, std::string* output, int seconds)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed: " + command);
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed: " + command);
    if (child == 0) {
        // A group of its own, so that a hung command goes with all it started.
        setpgid(0, 0);
        dup2(out[1], STDOUT_FILENO);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(child, child);
    close(out[1]);
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    std::string text;
    bool hung = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            hung = true;
            break;
        }
        pollfd ready = {out[0], POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (polled < 0 && errno != EINTR)
            break;
        if (polled <= 0)
            continue;
        char buffer[4096];
        const ssize_t count = read(out[0], buffer, sizeof buffer);
        if (count <= 0)
            break;
        text.append(buffer, static_cast<size_t>(count));
    }
    close(out[0]);
    if (output)
        *output = text;
    if (hung) {
        KillGroup(child);
        waitpid(child, nullptr, 0);
        ADD_FAILURE() << "HUNG: did not end within " << seconds << " s: " << command << "\n" << LockFolderState();
        return -1;
    }
    // The output is closed; what is left of the command may still be ending.
    const int status = WaitForExit(
        child, command,
        static_cast<int>(
            std::max<long long>(1, std::chrono::duration_cast<std::chrono::seconds>(deadline - Clock::now()).count())));
    if (status < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int WaitForExit(int pid, const std::string& what, int seconds)
{
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    for (;;) {
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            return status;
        if (ended < 0)
            return -1;
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            ADD_FAILURE() << "HUNG: did not end within " << seconds << " s: " << what << "\n" << LockFolderState();
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string Isql(const std::string& databasePath, const std::string& sql)
{
    TempDir dir;
    const std::string script = dir.File("query.sql");
    WriteFile(script, sql + "\n");
    std::string output;
    RunCommand(std::string("isql-fb -q -user '") + LocalUser() + "' -password '" + LocalPassword() + "' -i '" + script +
                   "' '" + databasePath + "' 2>&1",
               &output);
    return output;
}

SmallDisk::SmallDisk(const std::string& folder, size_t kilobytes) : folder_(folder)
{
    std::filesystem::create_directories(folder);
    if (geteuid() != 0) {
        why_ = "mounting a tmpfs needs root";
        return;
    }
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
        why_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
}

SmallDisk::~SmallDisk()
{
    if (why_.empty())
        umount2(folder_.c_str(), MNT_DETACH);
}

void FillDisk(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    const std::string block(4096, 'f');
    while (write(fd, block.data(), block.size()) > 0) {}
    // The last partial block, byte by byte.
    while (write(fd, block.data(), 1) > 0) {}
    close(fd);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

}  // namespace TestSupport
