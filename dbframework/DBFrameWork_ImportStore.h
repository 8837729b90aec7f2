// Customers and tickets brought in from another program's file, as typed
// rows: first a preview of what an import would do (nothing is written), then
// the import itself in one transaction, all of it or none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_TicketRecord.h"

namespace DBFrameWork {

class DBConnection;

// One row of the file, its fields already read and checked.
struct ImportRow {
    // Where the row begins in the file, counted from 1.
    size_t Line = 0;
    CustomerRecord Customer;
    ContactsRecord Contacts;
    // A file of customers alone stores no ticket.
    bool HasTicket = false;
    ProblemRecord Problem;
    std::string OperatingSystem;
    JobRecord Job;
};

struct ImportRefusal {
    size_t Line = 0;
    std::string Reason;
};

// The customer rows of the file that are one customer share its key.
std::string ImportCustomerKey(const CustomerRecord& customer);

struct ImportPreview {
    int NewCustomers = 0;
    int MatchedCustomers = 0;
    int Tickets = 0;
    std::vector<ImportRefusal> Refused;
    // The stored customer that each matched customer of the file is, by its
    // key. Rows of the file are one new customer only when their five fields
    // are the same: two people may share a number.
    std::map<std::string, int32_t> Matches;
};

struct ImportReport {
    int RowsTaken = 0;
    int CustomersAdded = 0;
    int CustomersMatched = 0;
    int TicketsAdded = 0;
    std::vector<ImportRefusal> Refused;
};

// Rows done so far of all; false asks to stop.
using ImportProgress = std::function<bool(size_t done, size_t total)>;

enum class ImportOutcome { Done, Cancelled, Failed };

// A customer of the file matches the stored one that a save of its five
// fields would take (as MatchStoredCustomer finds it), else the one with the
// same phone number (its digits) or e-mail address (letter case aside).
ImportOutcome PreviewImport(DBConnection& connection, const std::vector<ImportRow>& rows,
                            const ImportProgress& progress, ImportPreview& preview);

// Stores the rows that the preview did not refuse, in one transaction of its
// own: new customers with their contacts, and each ticket with its system
// information and job (its device with it). Matched customers keep their
// stored fields and contacts. A cancel or a failure stores nothing; the
// failure's reason goes to the debug output.
ImportOutcome RunImport(DBConnection& connection, const std::vector<ImportRow>& rows, const ImportPreview& preview,
                        const ImportProgress& progress, ImportReport& report);

}  // namespace DBFrameWork
