// Indexes that make the shop's lists and reports quick. They add nothing to
// the tables' columns, so a data file of any age gets them when they are missing.
#pragma once

namespace DBFrameWork {

class DBConnection;

// Creates each report index the data file lacks; true when all are there
// afterwards. Safe to run on every start.
bool LayOutReportIndexes(DBConnection& connection);

}  // namespace DBFrameWork
