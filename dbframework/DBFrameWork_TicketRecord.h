// One ticket as the program works with it: its customer, its problem and its
// system information, in named fields. Keys of 0 mean "not stored yet".
#pragma once

#include <cstdint>
#include <string>

#include "dbframework/DBFrameWork_CalendarDate.h"
#include "dbframework/DBFrameWork_Columns.h"

namespace DBFrameWork {

struct CustomerRecord {
    int32_t CustomerID = 0;
    std::string Name;
    // Lines joined by carriage return and line feed, as stored.
    std::string Address;
    std::string City;
    std::string State;
    std::string Zip;
};

struct ProblemRecord {
    int32_t ProblemID = 0;
    std::string Technician;
    CalendarDate Assigned;
    // Not set while the ticket is open.
    CalendarDate Completed;
    int32_t BillableHours = 0;
    int32_t ActualHours = 0;
    std::string Description;
    std::string Resolution;
    std::string Comment;
    int32_t CustomerID = 0;
};

struct SystemInfoRecord {
    int32_t ProblemID = 0;
    std::string OperatingSystem;
    // The imported report as stored (normally HTML).
    std::string Report;
};

struct TicketRecord {
    CustomerRecord Customer;
    ProblemRecord Problem;
    SystemInfoRecord SystemInfo;
};

// The records as the table objects' value lists, and back. A value list of
// another length than its table's is refused (false) and leaves the record as
// it was; an empty text (NULL) reads as the field's empty value.
StringList ValuesOf(const CustomerRecord& customer);
StringList ValuesOf(const ProblemRecord& problem);
StringList ValuesOf(const SystemInfoRecord& systemInfo);
bool ReadValues(const StringList& values, CustomerRecord& customer);
bool ReadValues(const StringList& values, ProblemRecord& problem);
bool ReadValues(const StringList& values, SystemInfoRecord& systemInfo);

}  // namespace DBFrameWork
