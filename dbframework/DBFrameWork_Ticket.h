// Stored tickets read whole, each with its customer, system information,
// contacts, job state and device, in one statement, and the names of its
// files (Files: key, name, media type and size, no bytes): for the search
// index, which reads every ticket. The job's other fields and its history
// are not read. A data file without the counter's or the files' tables is
// read without them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_FileText.h"
#include "dbframework/DBFrameWork_TicketRecord.h"

namespace DBFrameWork {

class DBConnection;

enum class TicketRead { Found, Missing, Failed };

// Reads the ticket with this key in a read-only transaction of the connection;
// with texts, also the words of its files (FileText), in the order of Files.
TicketRead ReadTicket(DBConnection& connection, int32_t problemId, TicketRecord& ticket,
                      std::vector<FileText>* texts = nullptr);

// Reads up to count tickets with keys above afterId in key order and hands
// each to visit; lastId is the key of the last one read (afterId when none
// was). False on an engine error (written to the debug output).
bool ReadTicketBatch(DBConnection& connection, int32_t afterId, int count,
                     const std::function<void(const TicketRecord&)>& visit, int32_t& lastId);

// The same, each ticket handed on with the words of its files; the files of
// the whole batch are read by one statement beside the tickets'.
using TicketWithFilesVisitor = std::function<void(const TicketRecord&, const std::vector<FileText>&)>;
bool ReadTicketBatch(DBConnection& connection, int32_t afterId, int count, const TicketWithFilesVisitor& visit,
                     int32_t& lastId);

// The number of tickets with keys above afterId; -1 on an engine error.
int64_t CountTickets(DBConnection& connection, int32_t afterId);

}  // namespace DBFrameWork
