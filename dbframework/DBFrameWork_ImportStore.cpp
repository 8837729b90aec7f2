#include "dbframework/DBFrameWork_ImportStore.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "dbframework/DBFrameWork_BlobText.h"
#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_PhoneNumber.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_StatementValues.h"
#include "dbframework/DBFrameWork_Transaction.h"
#include "dbframework/DBFrameWork_TransactionGuard.h"

namespace DBFrameWork {
namespace {

// Progress is told this often, and asked whether to go on.
constexpr size_t ProgressEvery = 250;
// Shorter runs of digits are extensions or house numbers, not numbers to match by.
constexpr size_t MatchedPhoneDigits = 7;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Limit {
    const ColumnDefinition& Column;
    const std::string& Value;
};

// Why the row cannot be stored as it is; empty when it can. A text is never cut.
std::string RowProblem(const ImportRow& row)
{
    if (row.Customer.Name.empty())
        return "The row names no customer.";
    using namespace std;
    const TableDefinition& customer = CustomerTable();
    const TableDefinition& problem = ProblemTable();
    const TableDefinition& job = JobTable();
    const TableDefinition& device = DeviceTable();
    const TableDefinition& contact = ContactTable();
    vector<Limit> limits = {
        {customer.Columns[CustomerColumn::Name], row.Customer.Name},
        {customer.Columns[CustomerColumn::Address], row.Customer.Address},
        {customer.Columns[CustomerColumn::City], row.Customer.City},
        {customer.Columns[CustomerColumn::State], row.Customer.State},
        {customer.Columns[CustomerColumn::Zip], row.Customer.Zip},
        {contact.Columns[ContactColumn::Contact], row.Contacts.Email},
    };
    for (const PhoneRecord& phone : row.Contacts.Phones)
        limits.push_back({contact.Columns[ContactColumn::Contact], phone.Number});
    if (row.HasTicket) {
        limits.push_back({problem.Columns[ProblemColumn::Technician], row.Problem.Technician});
        limits.push_back({SystemInfoTable().Columns[SystemInfoColumn::OperatingSystem], row.OperatingSystem});
        limits.push_back({job.Columns[JobColumn::State], row.Job.State});
        limits.push_back({job.Columns[JobColumn::Accessories], row.Job.Accessories});
        limits.push_back({device.Columns[DeviceColumn::Kind], row.Job.Device.Kind});
        limits.push_back({device.Columns[DeviceColumn::MakeModel], row.Job.Device.MakeModel});
        limits.push_back({device.Columns[DeviceColumn::Serial], row.Job.Device.Serial});
    }
    for (const Limit& limit : limits)
        if (limit.Value.size() > limit.Column.ByteLength) {
            const std::string name = *limit.Column.SpokenName ? limit.Column.SpokenName : limit.Column.Name;
            return "The " + Lower(name) + " is " + std::to_string(limit.Value.size()) + " bytes long; at most " +
                std::to_string(limit.Column.ByteLength) + " fit.";
        }
    return std::string();
}

// The match of Customer::SelectByAll, prepared once for every customer of the
// file. Its LIKE on COALESCE cannot use an index; the name's part before any
// wildcard is asked for as well, with the same answer, through the name's index.
class StoredCustomerMatch {
public:
    explicit StoredCustomerMatch(DBConnection& connection)
        : ByName(connection.GetStatement()), Scanning(connection.GetStatement())
    {
        const TableDefinition& table = CustomerTable();
        std::string conditions;
        for (size_t column = CustomerColumn::Name; column < CustomerColumn::Count; ++column)
            conditions += std::string(column > CustomerColumn::Name ? " AND " : "") + "COALESCE(" +
                table.Columns[column].Name + ", '') LIKE ?";
        ByName->Prepare("SELECT FIRST 1 CustomerID FROM Customer WHERE " + conditions + " AND Name STARTING WITH ?");
        Scanning->Prepare("SELECT FIRST 1 CustomerID FROM Customer WHERE " + conditions);
    }

    int32_t Find(const CustomerRecord& customer)
    {
        const std::string fixed = customer.Name.substr(0, customer.Name.find_first_of("%_"));
        IBPP::Statement& statement = fixed.empty() ? Scanning : ByName;
        const StringList values = ValuesOf(customer);
        const TableDefinition& table = CustomerTable();
        for (size_t column = CustomerColumn::Name; column < CustomerColumn::Count; ++column)
            statement->Set(static_cast<int>(column), MatchingPattern(values[column], table.Columns[column]));
        if (!fixed.empty())
            statement->Set(static_cast<int>(CustomerColumn::Count), fixed);
        statement->Execute();
        const int32_t found = statement->Fetch() ? NumberOrZero(statement, 1) : 0;
        statement->Close();
        return found;
    }

private:
    IBPP::Statement ByName;
    IBPP::Statement Scanning;
};

// Every stored number's digits and e-mail address with its customer, read once.
struct StoredContacts {
    std::map<std::string, int32_t> ByDigits;
    std::map<std::string, int32_t> ByEmail;
};

void ReadStoredContacts(DBConnection& connection, StoredContacts& contacts)
{
    IBPP::Statement statement = connection.GetStatement();
    statement->Prepare("SELECT CustomerID, Kind, Contact, Digits FROM CustomerContact ORDER BY ContactID");
    statement->Execute();
    while (statement->Fetch()) {
        const int32_t customerId = NumberOrZero(statement, 1);
        if (TextOrEmpty(statement, 2) == ContactKind::Email)
            contacts.ByEmail.emplace(Lower(TextOrEmpty(statement, 3)), customerId);
        else if (TextOrEmpty(statement, 4).size() >= MatchedPhoneDigits)
            contacts.ByDigits.emplace(TextOrEmpty(statement, 4), customerId);
    }
}

// The stored customer with one of these numbers or this address; 0 for none.
int32_t FoundByContact(const ContactsRecord& contacts, const StoredContacts& stored)
{
    for (const PhoneRecord& phone : contacts.Phones) {
        const std::string digits = PhoneDigits(phone.Number);
        const auto found = stored.ByDigits.find(digits);
        if (digits.size() >= MatchedPhoneDigits && found != stored.ByDigits.end())
            return found->second;
    }
    const auto found = stored.ByEmail.find(Lower(contacts.Email));
    return !contacts.Email.empty() && found != stored.ByEmail.end() ? found->second : 0;
}

bool TellProgress(const ImportProgress& progress, size_t done, size_t total)
{
    return !progress || (done % ProgressEvery != 0 && done != total) || progress(done, total);
}

void SetText(IBPP::Statement& statement, int param, const std::string& text)
{
    if (text.empty())
        statement->SetNull(param);
    else
        statement->Set(param, text);
}

void SetDate(IBPP::Statement& statement, int param, const CalendarDate& date)
{
    if (date.IsSet())
        statement->Set(param, IBPP::Timestamp(date.year, date.month, date.day));
    else
        statement->SetNull(param);
}

int32_t DrawKey(IBPP::Statement& statement, const char* generator)
{
    statement->Execute();
    const int32_t key = statement->Fetch() ? NumberOrZero(statement, 1) : 0;
    statement->Close();
    if (key <= 0)
        throw IBPP::Exception(std::string("The generator ") + generator + " gave no key");
    return key;
}

// The statements of an import, each prepared once.
class ImportStatements {
public:
    explicit ImportStatements(DBConnection& connection) : Connection(connection)
    {
        const auto prepare = [&](IBPP::Statement& statement, const std::string& sql) {
            statement = connection.GetStatement();
            statement->Prepare(sql);
        };
        prepare(CustomerKey, "SELECT GEN_ID(CustomerIDValue, 1) FROM RDB$DATABASE");
        prepare(ProblemKey, "SELECT GEN_ID(ProblemIDValue, 1) FROM RDB$DATABASE");
        prepare(DeviceKey, "SELECT GEN_ID(DeviceIDValue, 1) FROM RDB$DATABASE");
        prepare(Customer,
                "INSERT INTO Customer (CustomerID, Name, Address, City, State, Zip) VALUES (?, ?, ?, ?, ?, ?)");
        prepare(Contact,
                "INSERT INTO CustomerContact (ContactID, CustomerID, Kind, Contact, Digits, ReversedDigits) "
                "VALUES (GEN_ID(ContactIDValue, 1), ?, ?, ?, ?, ?)");
        prepare(Problem,
                "INSERT INTO Problem (ProblemID, Technician, Assigned, Completed, BillableHours, ActualHours, "
                "Description, Resolution, Comment, CustomerID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        prepare(SystemInfo, "INSERT INTO SystemInfo (ProblemID, OperatingSystem, Description) VALUES (?, ?, ?)");
        prepare(Device, "INSERT INTO Device (DeviceID, CustomerID, Kind, MakeModel, Serial) VALUES (?, ?, ?, ?, ?)");
        prepare(Job,
                "INSERT INTO Job (ProblemID, State, PromisedBy, DeviceID, Accessories, ArrivalCondition, "
                "TermsAgreed) VALUES (?, ?, ?, ?, ?, ?, ?)");
    }

    int32_t AddCustomer(const ImportRow& row)
    {
        const int32_t key = DrawKey(CustomerKey, "CustomerIDValue");
        Customer->Set(1, key);
        SetText(Customer, 2, row.Customer.Name);
        SetText(Customer, 3, row.Customer.Address);
        SetText(Customer, 4, row.Customer.City);
        SetText(Customer, 5, row.Customer.State);
        SetText(Customer, 6, row.Customer.Zip);
        Customer->Execute();
        for (const PhoneRecord& phone : row.Contacts.Phones)
            if (!phone.Number.empty())
                AddContact(key, phone.Kind.empty() ? "mobile" : phone.Kind, phone.Number,
                           PhoneDigits(phone.Number).substr(0, 30));
        if (!row.Contacts.Email.empty())
            AddContact(key, ContactKind::Email, row.Contacts.Email, std::string());
        return key;
    }

    void AddTicket(const ImportRow& row, int32_t customerId)
    {
        const int32_t key = DrawKey(ProblemKey, "ProblemIDValue");
        const ProblemRecord& problem = row.Problem;
        Problem->Set(1, key);
        SetText(Problem, 2, problem.Technician);
        SetDate(Problem, 3, problem.Assigned);
        SetDate(Problem, 4, problem.Completed);
        Problem->Set(5, problem.BillableHours);
        Problem->Set(6, problem.ActualHours);
        SetBlobParameter(Connection, Problem, 7, problem.Description);
        SetBlobParameter(Connection, Problem, 8, problem.Resolution);
        SetBlobParameter(Connection, Problem, 9, problem.Comment);
        Problem->Set(10, customerId);
        Problem->Execute();
        SystemInfo->Set(1, key);
        SetText(SystemInfo, 2, row.OperatingSystem);
        SetBlobParameter(Connection, SystemInfo, 3, std::string());
        SystemInfo->Execute();
        if (row.Job.IsEmpty())
            return;
        int32_t deviceId = 0;
        if (!row.Job.Device.IsEmpty()) {
            deviceId = DrawKey(DeviceKey, "DeviceIDValue");
            Device->Set(1, deviceId);
            Device->Set(2, customerId);
            SetText(Device, 3, row.Job.Device.Kind);
            SetText(Device, 4, row.Job.Device.MakeModel);
            SetText(Device, 5, row.Job.Device.Serial);
            Device->Execute();
        }
        Job->Set(1, key);
        SetText(Job, 2, row.Job.State);
        SetDate(Job, 3, row.Job.PromisedBy);
        if (deviceId > 0)
            Job->Set(4, deviceId);
        else
            Job->SetNull(4);
        SetText(Job, 5, row.Job.Accessories);
        SetBlobParameter(Connection, Job, 6, row.Job.Condition);
        if (row.Job.TermsAgreed)
            Job->Set(7, 1);
        else
            Job->SetNull(7);
        Job->Execute();
    }

private:
    void AddContact(int32_t customerId, const std::string& kind, const std::string& contact, const std::string& digits)
    {
        Contact->Set(1, customerId);
        Contact->Set(2, kind);
        Contact->Set(3, contact);
        if (digits.empty()) {
            Contact->SetNull(4);
            Contact->SetNull(5);
        } else {
            Contact->Set(4, digits);
            Contact->Set(5, ReversedDigits(digits));
        }
        Contact->Execute();
    }

    DBConnection& Connection;
    IBPP::Statement CustomerKey, ProblemKey, DeviceKey, Customer, Contact, Problem, SystemInfo, Device, Job;
};

std::set<size_t> RefusedLines(const ImportPreview& preview)
{
    std::set<size_t> lines;
    for (const ImportRefusal& refusal : preview.Refused)
        lines.insert(refusal.Line);
    return lines;
}

// An index made on an empty table keeps the figures of an empty table, and
// the engine then reads every customer for each match: they are counted again.
void RefreshMatchStatistics(DBConnection& connection)
{
    RunInTransaction(connection, "Uncaught Exception in RefreshMatchStatistics", [](IBPP::Statement& statement) {
        statement->ExecuteImmediate("SET STATISTICS INDEX IX$CUSTOMER_NAME");
    });
}

}  // namespace

std::string ImportCustomerKey(const CustomerRecord& customer)
{
    // The unit separator never stands in a typed field.
    return customer.Name + '\x1f' + customer.Address + '\x1f' + customer.City + '\x1f' + customer.State + '\x1f' +
        customer.Zip;
}

ImportOutcome PreviewImport(DBConnection& connection, const std::vector<ImportRow>& rows,
                            const ImportProgress& progress, ImportPreview& preview)
{
    preview = ImportPreview();
    if (!connection.IsReadOnly())
        RefreshMatchStatistics(connection);
    bool cancelled = false;
    const bool read = RunRead(connection, "Uncaught Exception in PreviewImport", [&](IBPP::Statement&) {
        StoredCustomerMatch match(connection);
        StoredContacts stored;
        ReadStoredContacts(connection, stored);
        std::set<std::string> known;
        std::set<int32_t> matched;
        for (size_t done = 0; done < rows.size(); ++done) {
            if (!TellProgress(progress, done, rows.size())) {
                cancelled = true;
                return;
            }
            const ImportRow& row = rows[done];
            const std::string problem = RowProblem(row);
            if (!problem.empty()) {
                preview.Refused.push_back({row.Line, problem});
                continue;
            }
            if (row.HasTicket)
                ++preview.Tickets;
            const std::string key = ImportCustomerKey(row.Customer);
            if (!known.insert(key).second)
                continue;
            int32_t customerId = match.Find(row.Customer);
            if (customerId <= 0)
                customerId = FoundByContact(row.Contacts, stored);
            if (customerId > 0) {
                preview.Matches[key] = customerId;
                if (matched.insert(customerId).second)
                    ++preview.MatchedCustomers;
                continue;
            }
            ++preview.NewCustomers;
        }
        TellProgress(progress, rows.size(), rows.size());
    });
    if (!read)
        return ImportOutcome::Failed;
    return cancelled ? ImportOutcome::Cancelled : ImportOutcome::Done;
}

ImportOutcome RunImport(DBConnection& connection, const std::vector<ImportRow>& rows, const ImportPreview& preview,
                        const ImportProgress& progress, ImportReport& report)
{
    report = ImportReport();
    report.Refused = preview.Refused;
    const std::set<size_t> refused = RefusedLines(preview);
    TransactionGuard transaction(connection);
    if (!transaction.Owned())
        return ImportOutcome::Failed;
    try {
        ImportStatements store(connection);
        // The stored customer of each customer key of the file, once known.
        std::map<std::string, int32_t> customers = preview.Matches;
        std::set<int32_t> matched;
        for (size_t done = 0; done < rows.size(); ++done) {
            if (!TellProgress(progress, done, rows.size())) {
                report = ImportReport();
                report.Refused = preview.Refused;
                return ImportOutcome::Cancelled;
            }
            const ImportRow& row = rows[done];
            if (refused.count(row.Line) > 0)
                continue;
            const std::string key = ImportCustomerKey(row.Customer);
            auto customer = customers.find(key);
            if (customer == customers.end()) {
                customer = customers.emplace(key, store.AddCustomer(row)).first;
                ++report.CustomersAdded;
            } else if (preview.Matches.count(key) > 0 && matched.insert(customer->second).second) {
                ++report.CustomersMatched;
            }
            if (row.HasTicket) {
                store.AddTicket(row, customer->second);
                ++report.TicketsAdded;
            }
            ++report.RowsTaken;
        }
        transaction.Commit();
        TellProgress(progress, rows.size(), rows.size());
        return ImportOutcome::Done;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (const std::exception& error) {
        OutputDebugString(std::string("Uncaught Exception in RunImport: ") + error.what());
    }
    report = ImportReport();
    report.Refused = preview.Refused;
    return ImportOutcome::Failed;
}

}  // namespace DBFrameWork
