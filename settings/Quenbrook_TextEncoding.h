// The two encodings a settings file comes in: UTF-8, as this program writes
// it, and the Windows-1252 code page of the older Windows program.
#pragma once

#include <string>

namespace Quenbrook {

enum class TextEncoding { Utf8, Windows1252 };

bool IsValidUtf8(const std::string& text);
std::string Windows1252ToUtf8(const std::string& text);
// False when the text holds a character that the code page lacks.
bool Utf8ToWindows1252(const std::string& text, std::string& converted);

}  // namespace Quenbrook
