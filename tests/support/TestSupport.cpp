#include "tests/support/TestSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "dbframework/DBFrameWork_Platform.h"

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
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
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

int RunCommand(const std::string& command, std::string* output)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("popen failed: " + command);
    std::string text;
    std::array<char, 4096> buffer;
    size_t count;
    while ((count = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        text.append(buffer.data(), count);
    const int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Isql(const std::string& databasePath, const std::string& sql)
{
    TempDir dir;
    const std::string script = dir.File("query.sql");
    WriteFile(script, sql + "\n");
    std::string output;
    RunCommand("isql-fb -q -user SYSDBA -password plumtrove -i '" + script + "' '" + databasePath + "' 2>&1",
               &output);
    return output;
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
