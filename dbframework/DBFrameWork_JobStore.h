// The counter's part of a ticket: the customer's contacts, the job's row with
// its device, and the job's history. Every call joins a transaction the
// caller has started (a save stores all of a ticket together) or runs in one
// of its own; engine errors go to the debug output and the answer is false.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_TicketRecord.h"

namespace DBFrameWork {

class DBConnection;

// Reads the contacts of ticket.Customer.CustomerID, and the job, its device
// and its history of ticket.Problem.ProblemID, into the record. A ticket
// without a Job row reads as an empty job.
bool LoadJob(DBConnection& connection, TicketRecord& ticket);

// Stores the contacts (when the ticket has any: a ticket typed without them
// leaves the customer's as they are), the device (a new one for the customer,
// or the one whose key or serial number the customer has already) and the job
// row, once the three rows are stored. A ticket with an empty job and no Job
// row stays without one. A state other than the stored one goes into the
// history under user, at the engine's time.
bool SaveJob(DBConnection& connection, TicketRecord& ticket, const std::string& user);

// The customer's contacts become these, when they differ.
bool StoreContacts(DBConnection& connection, int32_t customerId, const ContactsRecord& contacts);
bool ReadContacts(DBConnection& connection, int32_t customerId, ContactsRecord& contacts);

// A line of history for the ticket; its time is the engine's.
bool AddJobEvent(DBConnection& connection, int32_t problemId, const std::string& kind, const std::string& detail,
                 const std::string& user);
bool ReadJobHistory(DBConnection& connection, int32_t problemId, std::vector<JobEventRecord>& history);

// The customer's devices, the one last brought in first.
bool ReadCustomerDevices(DBConnection& connection, int32_t customerId, std::vector<DeviceRecord>& devices);

}  // namespace DBFrameWork
