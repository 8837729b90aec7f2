// Replaces a file's whole content so that a crash at any moment leaves either
// the old file or the new one, never a mix: the text goes to a temporary file
// in the same folder, which is flushed to disk and renamed over the old file.
#pragma once

#include <string>

namespace Quenbrook {

// False, with the old file untouched, when the file cannot be replaced: it is
// read-only or immutable, is no regular file, or its folder takes no new file.
bool ReplaceFile(const std::string& path, const std::string& content);

}  // namespace Quenbrook
