#include "dbframework/DBFrameWork_Platform.h"

#include "ibpp/ibpp.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <utility>
#include <vector>

namespace DBFrameWork {
namespace {

TextHandler& debugSink()
{
    static TextHandler sink;
    return sink;
}

TextHandler& messageHandler()
{
    static TextHandler handler;
    return handler;
}

}  // namespace

void OutputDebugString(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    if (debugSink())
        debugSink()(text);
}

void SetDebugSink(TextHandler sink)
{
    debugSink() = std::move(sink);
}

void ShowMessage(const std::string& text)
{
    if (messageHandler())
        messageHandler()(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

void SetMessageHandler(TextHandler handler)
{
    messageHandler() = std::move(handler);
}

std::string DesktopUserName()
{
    // The password database, not $USER, which anyone can set.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(geteuid());
}

}  // namespace DBFrameWork
