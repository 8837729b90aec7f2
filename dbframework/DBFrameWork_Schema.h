// What a data file holds, laid out in one place: a new data file gets it
// whole, a half-made file (left by a creation that was cut off) is completed
// the same way, and a file of any age gets the additions it lacks.
#pragma once

#include <string>

namespace DBFrameWork {

class DBConnection;

enum class SchemaOutcome {
    Whole,  // everything was there already
    Completed,  // what was missing has been laid out
    HoldsRows,  // something is missing, but the file holds rows: left as it is
    Unreadable,  // the file's catalogue or schema version could not be read: left as it is
    Failed,  // a table could not be laid out
    Newer,  // a newer program's file (it records a schema version above ours): left as it is
};

// On a connected data file, lays out in order every table that is missing,
// each with its key, generators and foreign keys, as the table objects'
// Create() makes them. A table that exists without all of its parts is laid
// out again, and so is every table after it (their foreign keys may refer to
// it); only a file whose tables hold no rows is changed. Once the tables are
// whole (Whole or Completed), the schema's migrations that the file lacks run;
// one that fails goes to the debug output only, and the outcome stays. On
// Failed (and on Unreadable, where it is the first table) failedTable names
// the table that could not be laid out.
SchemaOutcome LayOutSchema(DBConnection& connection, std::string& failedTable);

// True for a data file on a server ("host:/path", "host/port:/path",
// "[IPv6]:/path"), which the program cannot test, create folders for, or
// rename; false for a local path (a drive letter "C:" is local).
bool IsServerPath(const std::string& path);
// The machine a server path names ("host", "host/port", "[IPv6]"); empty for a local path.
std::string ServerName(const std::string& path);

}  // namespace DBFrameWork
