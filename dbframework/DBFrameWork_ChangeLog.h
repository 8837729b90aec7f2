// The change log of the data file: the engine itself writes the key of every
// ticket whose Problem, Customer or SystemInfo row changes, with a sequence
// number, so that a search index learns of changes made by any program or
// desk. The three tables stay as they are; all of this is additive.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace DBFrameWork {

class DBConnection;

// One row of the log.
struct TicketChange {
    int64_t Sequence = 0;
    int32_t ProblemID = 0;
};

// Lays out the log's table, generator, identity row and triggers where any
// of them is missing; does nothing on a file that has them all. Call once
// the three tables exist. False when something could not be laid out.
bool LayOutChangeLog(DBConnection& connection);
// As above, with the names of the file's objects already read (stored names,
// in capitals).
bool LayOutChangeLog(DBConnection& connection, const std::set<std::string>& names);

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
