// One ticket as the program works with it: its customer, its problem and its
// system information, in named fields. Keys of 0 mean "not stored yet".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

// How the customer is reached, kept with the customer.
struct PhoneRecord {
    // "mobile", "home" or "work".
    std::string Kind;
    std::string Number;
    bool operator==(const PhoneRecord& other) const { return Kind == other.Kind && Number == other.Number; }
};

// The kind of the contact row that holds the e-mail address; the phones' kinds are theirs.
namespace ContactKind {
constexpr const char* Email = "email";
}  // namespace ContactKind

struct ContactsRecord {
    std::vector<PhoneRecord> Phones;
    std::string Email;
    bool IsEmpty() const { return Phones.empty() && Email.empty(); }
    bool operator==(const ContactsRecord& other) const { return Phones == other.Phones && Email == other.Email; }
};

// The customer's device the ticket is about; it stays with the customer, so
// a device that comes back carries its history.
struct DeviceRecord {
    int32_t DeviceID = 0;
    std::string Kind;
    std::string MakeModel;
    std::string Serial;
    bool IsEmpty() const { return Kind.empty() && MakeModel.empty() && Serial.empty(); }
};

// What the counter keeps of a job beside its Problem row. A ticket without
// any of it has no Job row at all, as tickets of older programs.
struct JobRecord {
    // "" while no state was chosen: the window shows the state that follows from Completed.
    std::string State;
    CalendarDate PromisedBy;
    DeviceRecord Device;
    std::string Accessories;
    std::string Condition;
    bool TermsAgreed = false;
    // Whether the ticket has its Job row (read with it, or stored since).
    bool Stored = false;
    bool IsEmpty() const
    {
        return State.empty() && !PromisedBy.IsSet() && Device.IsEmpty() && Accessories.empty() && Condition.empty() &&
            !TermsAgreed;
    }
};

namespace JobEventKind {
constexpr const char* State = "state";
constexpr const char* Notice = "notice";
}  // namespace JobEventKind

// One line of a job's history: a change of state, or a notice to the customer.
struct JobEventRecord {
    // "year-month-day hour:minute", the engine's clock.
    std::string Time;
    std::string User;
    std::string Kind;
    // The state entered, or how the customer was told.
    std::string Detail;
};

// A photo or file kept with the ticket. Its bytes are read from the data
// file only when it is opened or saved: a record read with the ticket carries
// its thumbnail alone.
struct TicketFileRecord {
    // 0 until stored.
    int32_t FileID = 0;
    std::string Name;
    std::string MediaType;
    int32_t Size = 0;
    // "year-month-day hour:minute", the engine's clock; empty until stored.
    std::string Added;
    std::string User;
    // A picture at most 256 pixels on its long side (JPEG); empty for other files.
    std::string Thumbnail;
    // The bytes of a file not stored yet, shared so that copies of the record stay cheap.
    std::shared_ptr<const std::string> Content;
    // A stored file whose name was changed in the window.
    bool Renamed = false;
    bool IsStored() const { return FileID > 0 && !Content; }
};

struct TicketRecord {
    CustomerRecord Customer;
    ProblemRecord Problem;
    SystemInfoRecord SystemInfo;
    ContactsRecord Contacts;
    JobRecord Job;
    // Oldest first; read with the ticket, written by the store alone.
    std::vector<JobEventRecord> History;
    // In the order they were added.
    std::vector<TicketFileRecord> Files;
    // Stored files taken off the ticket; the save removes them.
    std::vector<int32_t> RemovedFiles;
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
