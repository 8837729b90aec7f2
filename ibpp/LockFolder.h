// The engine keeps its lock files in /tmp/firebird, which belongs to whoever
// created it first; another user then cannot open any data file. Before the
// client library is loaded, such a user is given a lock folder of its own
// through FIREBIRD_LOCK. Internal to the client layer.
#pragma once

#include <string>

namespace IBPP::LockFolder {

constexpr const char* SharedFolder = "/tmp/firebird";
constexpr const char* Variable = "FIREBIRD_LOCK";

// The lock folder to point the engine at, or the empty text to leave the
// engine's choice alone.
std::string Choose(bool variableSet, bool sharedExists, bool sharedWritable, unsigned userId);

// Makes that decision for this process and, when a folder of its own is
// needed, creates it (0700) and sets FIREBIRD_LOCK. Raises Exception when the
// folder cannot be used safely.
void Prepare();

}  // namespace IBPP::LockFolder
