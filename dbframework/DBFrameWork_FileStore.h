// The photos and files of a ticket, kept in the data file. Every call joins
// a transaction the caller has started (a save stores all of a ticket
// together) or runs in one of its own; engine errors go to the debug output
// and the answer is false.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_TicketRecord.h"

namespace DBFrameWork {

class DBConnection;

// The largest file taken, and the most a ticket's files hold together.
constexpr int64_t MaxFileBytes = 50LL * 1024 * 1024;
constexpr int64_t MaxTicketFileBytes = 500LL * 1024 * 1024;

// The ticket's files with their thumbnails, never their bytes.
bool LoadFiles(DBConnection& connection, int32_t problemId, std::vector<TicketFileRecord>& files);

// Removes ticket.RemovedFiles, renames the files marked renamed and adds the
// files that carry bytes, under user at the engine's time; the keys drawn
// and the time added are written into the records. A file added by an
// earlier attempt whose rollback is uncertain (mayBeStored) is looked for
// first, so that it is never stored twice. Files over the limits are refused.
bool SaveFiles(DBConnection& connection, TicketRecord& ticket, const std::string& user, bool mayBeStored);

// Every byte of one file of the ticket; false when it is not there.
bool ReadFileContent(DBConnection& connection, int32_t problemId, int32_t fileId, std::string& bytes);

// A file's name as stored: no folder, no control characters, cut to the
// column on a character boundary; "file" when nothing is left.
std::string StoredFileName(const std::string& name);

}  // namespace DBFrameWork
