// The change log of the data file: the engine itself writes the key of every
// ticket whose Problem, Customer or SystemInfo row changes, with a sequence
// number, so that a search index learns of changes made by any program or
// desk. The schema's migrations lay it out (DBFrameWork_Migrations); the
// three tables stay as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace DBFrameWork {

class DBConnection;

// One row of the log.
struct TicketChange {
    int64_t Sequence = 0;
    int32_t ProblemID = 0;
};

// What tells one data file from another and from an older copy of itself:
// the token stored in the file at its layout and the engine's creation time
// of the file (a restore makes a new file). Empty when it cannot be read.
std::string DataFileIdentity(DBConnection& connection);

// The highest sequence number drawn so far; -1 on an error.
int64_t LastChangeSequence(DBConnection& connection);

// The first (up to limit) changes with a sequence above after, in sequence
// order. False on an error.
bool ReadChanges(DBConnection& connection, int64_t after, size_t limit, std::vector<TicketChange>& changes);

}  // namespace DBFrameWork
