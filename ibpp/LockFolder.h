// The engine keeps its lock files in /tmp/firebird, which belongs to whoever
// created it first; another user then cannot open any data file. Before the
// client library is loaded, such a user is given a lock folder of its own
// through FIREBIRD_LOCK. Internal to the client layer.
#pragma once

#include <string>

namespace IBPP::LockFolder {

constexpr const char* SharedFolder = "/tmp/firebird";
constexpr const char* Variable = "FIREBIRD_LOCK";

// What the shared folder is, as lstat and access tell it.
struct SharedState {
    bool exists = false;
    bool isFolder = false;  // a real folder, not a link to one
    bool writable = false;  // by this user
    unsigned owner = 0;
    bool othersMayWrite = false;  // by users other than its owner and group
};

// The lock folder to point the engine at, or the empty text to leave the
// engine's choice alone. The shared folder is taken only when this user, root
// or the engine's own user owns it and nobody else may write it: whoever could
// replace its files could read or spoil every data file's locks.
std::string Choose(bool variableSet, const SharedState& shared, unsigned userId, unsigned engineUserId);

// Makes that decision for this process and, when a folder of its own is
// needed, creates it (0700) and sets FIREBIRD_LOCK. Raises Exception when the
// folder cannot be used safely.
void Prepare();

}  // namespace IBPP::LockFolder
