// The file steps that make a new data file appear whole or not at all.
#pragma once

#include <string>

namespace DBFrameWork {

// Flushes the file at from and its folder to disk, then renames it to to
// (never over an existing file) and flushes the folder again, so that after a
// crash either no file or the whole file stands at to. The first failure goes
// to the debug output with the system's reason, and the answer is false.
bool PutInPlace(const std::string& from, const std::string& to);

// Removes a file if there is one; false, with the reason in the debug output,
// when one is there and cannot be removed.
bool RemoveIfPresent(const std::string& path);

// Makes an existing file readable and writable by its owner alone (the engine
// makes a new data file 0660); false with the reason in the debug output.
bool MakePrivate(const std::string& path);

// Creates an empty file of mode 0600 where none is (never through a link), for
// the engine to write into: it keeps the mode of a file it overwrites.
bool CreatePrivate(const std::string& path);

// Makes a folder and the missing folders above it, each of mode 0700 from the
// moment it exists (folders already there keep theirs); false when one cannot
// be made.
bool MakePrivateFolders(const std::string& path);

}  // namespace DBFrameWork
