// Shared test helpers: temporary folders, the debug output, and isql-fb.
#pragma once

#include <string>
#include <vector>

namespace TestSupport {

// A new empty folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Records every text written to the data layer's debug output while it lives.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    const std::vector<std::string>& Lines() const { return lines_; }
    bool Contains(const std::string& part) const;
    void Clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};

// Runs SQL through isql-fb on a data file (the fixed local login) and returns what it
// printed, standard error included; the independent check of what was stored.
std::string Isql(const std::string& databasePath, const std::string& sql);

// Runs a shell command and returns its standard output and exit status. A
// command that has not ended within `seconds` is killed with everything it
// started, and the test fails saying what hung and what the engine's lock
// folder holds; the answer is then -1.
constexpr int CommandLimitSeconds = 300;
int RunCommand(const std::string& command, std::string* output = nullptr, int seconds = CommandLimitSeconds);

// Waits for a child process to end, at most `seconds`; past that it is killed
// and the test fails naming `what`. Answers the wait status, or -1.
int WaitForExit(int pid, const std::string& what, int seconds = CommandLimitSeconds);

// What the engine's lock folder (FIREBIRD_LOCK, else /tmp/firebird) holds, for
// the message of a call that hung.
std::string LockFolderState();

// A small file system of its own, for tests that need a full disk; mounting
// one needs root.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, size_t kilobytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    // Empty when mounted.
    const std::string& Why() const { return why_; }

private:
    std::string folder_;
    std::string why_;
};

// Fills the file system that holds `path` with a file there, until it takes no more.
void FillDisk(const std::string& path);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

}  // namespace TestSupport
