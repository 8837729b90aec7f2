// A stored ticket read whole: its Problem row with the customer and the
// system-information rows that belong to it, as one record of named fields.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

class DBConnection;

struct Ticket {
    int32_t ProblemID = 0;
    int32_t CustomerID = 0;
    std::string Technician;
    bool HasAssigned = false;
    IBPP::Timestamp Assigned;
    bool IsCompleted = false;
    IBPP::Timestamp Completed;
    int32_t BillableHours = 0;
    int32_t ActualHours = 0;
    std::string Description;
    std::string Resolution;
    std::string Comment;
    std::string CustomerName;
    std::string Address;
    std::string City;
    std::string State;
    std::string Zip;
    std::string OperatingSystem;
    // The imported report as stored (normally HTML).
    std::string Report;
};

enum class TicketRead { Found, Missing, Failed };

// Reads the ticket with this key in a read-only transaction of the connection.
TicketRead ReadTicket(DBConnection& connection, int32_t problemId, Ticket& ticket);

// Reads up to count tickets with keys above afterId in key order and hands
// each to visit; lastId is the key of the last one read (afterId when none
// was). False on an engine error (written to the debug output).
bool ReadTicketBatch(DBConnection& connection, int32_t afterId, int count,
                     const std::function<void(const Ticket&)>& visit, int32_t& lastId);

// The number of tickets with keys above afterId; -1 on an engine error.
int64_t CountTickets(DBConnection& connection, int32_t afterId);

}  // namespace DBFrameWork
