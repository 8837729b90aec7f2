// Which of the program's additions a data file has had: one number, in a
// one-row table of the program's own, that each migration raises in its own
// transaction. Programs older than the table never look at it.
#pragma once

#include "ibpp/ibpp.h"

namespace DBFrameWork {

class DBConnection;

// The version the file records: 0 without the table or its row (a file of an
// older program, or one whose first migration was cut off). False on an error.
bool ReadSchemaVersion(DBConnection& connection, int& version);

// Makes the table where the file lacks it, in a transaction of its own: the
// engine takes no row into a table before the table is committed. False on an
// error.
bool LayOutSchemaVersionTable(DBConnection& connection);

// In the statement's transaction, the file comes to record version; a higher
// one already recorded (a newer program at another desk) stays. The engine's
// errors are thrown.
void RecordSchemaVersion(IBPP::Statement& statement, int version);

}  // namespace DBFrameWork
