#include "dbframework/DBFrameWork_JobStore.h"

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_DefinedTable.h"
#include "dbframework/DBFrameWork_PhoneNumber.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_StatementValues.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

bool IsStoredKey(const std::string& key)
{
    return !key.empty() && key != "0";
}

StringList JobValues(const TicketRecord& ticket, int32_t deviceId)
{
    const JobRecord& job = ticket.Job;
    StringList values(JobColumn::Count);
    values[JobColumn::ProblemID] = std::to_string(ticket.Problem.ProblemID);
    values[JobColumn::State] = job.State;
    values[JobColumn::PromisedBy] = ValueTextOf(job.PromisedBy);
    values[JobColumn::DeviceID] = deviceId > 0 ? std::to_string(deviceId) : std::string();
    values[JobColumn::Accessories] = job.Accessories;
    values[JobColumn::ArrivalCondition] = job.Condition;
    values[JobColumn::TermsAgreed] = job.TermsAgreed ? "1" : "";
    return values;
}

void ReadJobValues(const StringList& values, JobRecord& job)
{
    job.State = values[JobColumn::State];
    job.PromisedBy = DateFromValueText(values[JobColumn::PromisedBy]);
    job.Device.DeviceID = ToInt(values[JobColumn::DeviceID]);
    job.Accessories = values[JobColumn::Accessories];
    job.Condition = values[JobColumn::ArrivalCondition];
    job.TermsAgreed = ToInt(values[JobColumn::TermsAgreed]) != 0;
}

StringList DeviceValues(const DeviceRecord& device, int32_t customerId)
{
    StringList values(DeviceColumn::Count);
    values[DeviceColumn::DeviceID] = std::to_string(device.DeviceID);
    values[DeviceColumn::CustomerID] = std::to_string(customerId);
    values[DeviceColumn::Kind] = device.Kind;
    values[DeviceColumn::MakeModel] = device.MakeModel;
    values[DeviceColumn::Serial] = device.Serial;
    return values;
}

void ReadDeviceValues(const StringList& values, DeviceRecord& device)
{
    device.DeviceID = ToInt(values[DeviceColumn::DeviceID]);
    device.Kind = values[DeviceColumn::Kind];
    device.MakeModel = values[DeviceColumn::MakeModel];
    device.Serial = values[DeviceColumn::Serial];
}

// The key of the customer's device with this serial number; 0 for none.
bool FindDeviceBySerial(DBConnection& connection, int32_t customerId, const std::string& serial, int32_t& deviceId)
{
    deviceId = 0;
    return RunRead(connection, "Uncaught Exception in FindDeviceBySerial", [&](IBPP::Statement& statement) {
        statement->Prepare(
            "SELECT FIRST 1 DeviceID FROM Device WHERE CustomerID = ? AND Serial = ? ORDER BY DeviceID DESC");
        statement->Set(1, customerId);
        statement->Set(2, serial);
        statement->Execute();
        if (statement->Fetch())
            deviceId = NumberOrZero(statement, 1);
        statement->Close();
    });
}

// Stores the ticket's device for its customer and answers its key (0 for no device).
bool StoreDevice(DBConnection& connection, TicketRecord& ticket, int32_t& deviceId)
{
    DeviceRecord& device = ticket.Job.Device;
    deviceId = 0;
    if (device.IsEmpty())
        return true;
    const int32_t customerId = ticket.Customer.CustomerID;
    DefinedTable table(&connection, DeviceTable());
    bool stored = false;
    if (device.DeviceID > 0) {
        table.SetValues(DeviceValues(device, customerId));
        if (!table.Update())
            return false;
        stored = table.GetRowsChanged() > 0;
    } else if (!device.Serial.empty()) {
        int32_t found = 0;
        if (!FindDeviceBySerial(connection, customerId, device.Serial, found))
            return false;
        if (found > 0) {
            device.DeviceID = found;
            table.SetValues(DeviceValues(device, customerId));
            if (!table.Update())
                return false;
            stored = true;
        }
    }
    if (!stored) {
        const int drawn = table.GetGenerator("DeviceIDValue", 1);
        if (drawn <= 0)
            return false;
        device.DeviceID = drawn;
        table.SetValues(DeviceValues(device, customerId));
        if (!table.Insert())
            return false;
    }
    deviceId = device.DeviceID;
    return true;
}

}  // namespace

bool ReadContacts(DBConnection& connection, int32_t customerId, ContactsRecord& contacts)
{
    contacts = ContactsRecord();
    return RunRead(connection, "Uncaught Exception in ReadContacts", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT Kind, Contact FROM CustomerContact WHERE CustomerID = ? ORDER BY ContactID");
        statement->Set(1, customerId);
        statement->Execute();
        while (statement->Fetch()) {
            const std::string kind = TextOrEmpty(statement, 1);
            const std::string contact = TextOrEmpty(statement, 2);
            if (kind == ContactKind::Email)
                contacts.Email = contact;
            else
                contacts.Phones.push_back({kind, contact});
        }
    });
}

bool StoreContacts(DBConnection& connection, int32_t customerId, const ContactsRecord& contacts)
{
    ContactsRecord stored;
    if (!ReadContacts(connection, customerId, stored))
        return false;
    if (stored == contacts)
        return true;
    return RunInTransaction(connection, "Uncaught Exception in StoreContacts", [&](IBPP::Statement& statement) {
        statement->Prepare("DELETE FROM CustomerContact WHERE CustomerID = ?");
        statement->Set(1, customerId);
        statement->Execute();
        statement->Prepare("INSERT INTO CustomerContact (ContactID, CustomerID, Kind, Contact, Digits, ReversedDigits) "
                           "VALUES (GEN_ID(ContactIDValue, 1), ?, ?, ?, ?, ?)");
        const auto insert = [&](const std::string& kind, const std::string& contact, const std::string& digits) {
            statement->Set(1, customerId);
            statement->Set(2, kind);
            statement->Set(3, contact);
            if (digits.empty()) {
                statement->SetNull(4);
                statement->SetNull(5);
            } else {
                statement->Set(4, digits);
                statement->Set(5, ReversedDigits(digits));
            }
            statement->Execute();
        };
        for (const PhoneRecord& phone : contacts.Phones)
            if (!phone.Number.empty())
                insert(phone.Kind, phone.Number, PhoneDigits(phone.Number).substr(0, 30));
        if (!contacts.Email.empty())
            insert(ContactKind::Email, contacts.Email, std::string());
    });
}

bool AddJobEvent(DBConnection& connection, int32_t problemId, const std::string& kind, const std::string& detail,
                 const std::string& user)
{
    return RunInTransaction(connection, "Uncaught Exception in AddJobEvent", [&](IBPP::Statement& statement) {
        statement->Prepare("INSERT INTO JobEvent (EventID, ProblemID, EventTime, UserName, Kind, Detail) "
                           "VALUES (GEN_ID(JobEventIDValue, 1), ?, CAST('NOW' AS TIMESTAMP), ?, ?, ?)");
        statement->Set(1, problemId);
        statement->Set(2, user.substr(0, JobEventTable().Columns[JobEventColumn::UserName].ByteLength));
        statement->Set(3, kind);
        statement->Set(4, detail.substr(0, JobEventTable().Columns[JobEventColumn::Detail].ByteLength));
        statement->Execute();
    });
}

bool ReadJobHistory(DBConnection& connection, int32_t problemId, std::vector<JobEventRecord>& history)
{
    history.clear();
    return RunRead(connection, "Uncaught Exception in ReadJobHistory", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT EventTime, UserName, Kind, Detail FROM JobEvent WHERE ProblemID = ? "
                           "ORDER BY EventTime, EventID");
        statement->Set(1, problemId);
        statement->Execute();
        while (statement->Fetch()) {
            JobEventRecord event;
            event.Time = MinuteTextOrEmpty(statement, 1);
            event.User = TextOrEmpty(statement, 2);
            event.Kind = TextOrEmpty(statement, 3);
            event.Detail = TextOrEmpty(statement, 4);
            history.push_back(event);
        }
    });
}

bool ReadCustomerDevices(DBConnection& connection, int32_t customerId, std::vector<DeviceRecord>& devices)
{
    devices.clear();
    return RunRead(connection, "Uncaught Exception in ReadCustomerDevices", [&](IBPP::Statement& statement) {
        statement->Prepare(
            "SELECT D.DeviceID, D.Kind, D.MakeModel, D.Serial FROM Device D WHERE D.CustomerID = ? "
            "ORDER BY (SELECT MAX(J.ProblemID) FROM Job J WHERE J.DeviceID = D.DeviceID) DESC NULLS LAST, "
            "D.DeviceID DESC");
        statement->Set(1, customerId);
        statement->Execute();
        while (statement->Fetch()) {
            DeviceRecord device;
            device.DeviceID = NumberOrZero(statement, 1);
            device.Kind = TextOrEmpty(statement, 2);
            device.MakeModel = TextOrEmpty(statement, 3);
            device.Serial = TextOrEmpty(statement, 4);
            devices.push_back(device);
        }
    });
}

bool LoadJob(DBConnection& connection, TicketRecord& ticket)
{
    ticket.Job = JobRecord();
    ticket.History.clear();
    if (!ReadContacts(connection, ticket.Customer.CustomerID, ticket.Contacts))
        return false;
    DefinedTable job(&connection, JobTable());
    if (!job.Select({std::to_string(ticket.Problem.ProblemID)}))
        return false;
    const StringList values = job.GetValues();
    if (values.size() == JobColumn::Count && IsStoredKey(values[JobColumn::ProblemID])) {
        ReadJobValues(values, ticket.Job);
        ticket.Job.Stored = true;
        if (ticket.Job.Device.DeviceID > 0) {
            DefinedTable device(&connection, DeviceTable());
            if (!device.Select({std::to_string(ticket.Job.Device.DeviceID)}))
                return false;
            ReadDeviceValues(device.GetValues(), ticket.Job.Device);
        }
    }
    return ReadJobHistory(connection, ticket.Problem.ProblemID, ticket.History);
}

bool SaveJob(DBConnection& connection, TicketRecord& ticket, const std::string& user)
{
    if (!ticket.Contacts.IsEmpty() && !StoreContacts(connection, ticket.Customer.CustomerID, ticket.Contacts))
        return false;

    // A ticket that never had a job reads nothing more: it is saved as it always was.
    if (!ticket.Job.Stored && ticket.Job.IsEmpty())
        return true;
    DefinedTable job(&connection, JobTable());
    const std::string key = std::to_string(ticket.Problem.ProblemID);
    if (!job.Select({key}))
        return false;
    const StringList stored = job.GetValues();
    const bool rowIsStored = stored.size() == JobColumn::Count && IsStoredKey(stored[JobColumn::ProblemID]);

    int32_t deviceId = 0;
    if (!StoreDevice(connection, ticket, deviceId))
        return false;
    job.SetValues(JobValues(ticket, deviceId));
    if (!(rowIsStored ? job.Update() : job.Insert()))
        return false;

    const std::string storedState = rowIsStored ? stored[JobColumn::State] : std::string();
    if (!ticket.Job.State.empty() && ticket.Job.State != storedState) {
        if (!AddJobEvent(connection, ticket.Problem.ProblemID, JobEventKind::State, ticket.Job.State, user))
            return false;
    }
    ticket.Job.Stored = true;
    return true;
}

}  // namespace DBFrameWork
