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

// Runs SQL through isql-fb on a data file (user SYSDBA) and returns what it
// printed, standard error included; the independent check of what was stored.
std::string Isql(const std::string& databasePath, const std::string& sql);

// Runs a shell command and returns its standard output and exit status.
int RunCommand(const std::string& command, std::string* output = nullptr);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

}  // namespace TestSupport
