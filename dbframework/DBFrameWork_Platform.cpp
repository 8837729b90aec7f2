#include "dbframework/DBFrameWork_Platform.h"

#include "ibpp/ibpp.h"

#include <cstdio>
#include <utility>

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

}  // namespace DBFrameWork
