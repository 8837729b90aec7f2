// The shop's customers as one list: found by name, phone number or e-mail
// address as the user types, each with its number of tickets and its last
// visit, and edited in one place for all of the customer's tickets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_TicketRecord.h"

namespace DBFrameWork {

class DBConnection;

struct CustomerListRow {
    CustomerRecord Customer;
    ContactsRecord Contacts;
    int32_t TicketCount = 0;
    // The newest ticket's Assigned date, and that ticket; not set / 0 without tickets.
    CalendarDate LastVisit;
    int32_t NewestProblemID = 0;
};

// Phone numbers are looked up from this many digits on; fewer are read as a name.
constexpr size_t PhoneSearchDigits = 3;

// Up to limit customers, by name. An empty text lists them all; a text
// written as a phone number finds the numbers that begin or end with its
// digits ("4567" the last four); any other text is looked for anywhere in the
// name or the e-mail address, whatever its case. False on an engine error
// (written to the debug output).
bool SearchCustomers(DBConnection& connection, const std::string& text, int limit, std::vector<CustomerListRow>& rows);

// Stores the customer's row and contacts as given: every ticket of the
// customer shows them. False when nothing was stored.
bool UpdateCustomer(DBConnection& connection, const CustomerRecord& customer, const ContactsRecord& contacts);

}  // namespace DBFrameWork
