// What the data layer needs from the platform: the debugger output channel,
// the plain message box and the desk's user. The application fills in the message box;
// tests read the debug output through a sink.
#pragma once

#include <functional>
#include <string>

namespace DBFrameWork {

using TextHandler = std::function<void(const std::string&)>;

// Writes one text to standard error and to the debug sink, if one is set.
void OutputDebugString(const std::string& text);
// Replaces the debug sink; an empty handler removes it.
void SetDebugSink(TextHandler sink);

// Shows a plain message box through the handler that the application set;
// without one the text goes to standard error.
void ShowMessage(const std::string& text);
void SetMessageHandler(TextHandler handler);

// The operating system's login name of the user running the program.
std::string DesktopUserName();

}  // namespace DBFrameWork
