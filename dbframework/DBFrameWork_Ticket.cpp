#include "dbframework/DBFrameWork_Ticket.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "dbframework/DBFrameWork_BlobText.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_StatementValues.h"

namespace DBFrameWork {
namespace {

// A ticket is its Problem row; a customer or report row that is missing
// leaves those fields empty rather than hiding the ticket from a search.
const std::string TicketFields =
    "SELECT P.ProblemID, P.CustomerID, P.Technician, P.Assigned, P.Completed, P.BillableHours, P.ActualHours, "
    "P.Description, P.Resolution, P.Comment, C.Name, C.Address, C.City, C.State, C.Zip, "
    "S.OperatingSystem, S.Description, ";
const std::string TicketFrom = "FROM Problem P LEFT JOIN Customer C ON C.CustomerID = P.CustomerID "
                               "LEFT JOIN SystemInfo S ON S.ProblemID = P.ProblemID ";

const std::string TicketColumns = TicketFields +
    "J.ProblemID, J.State, D.DeviceID, D.Kind, D.MakeModel, D.Serial, "
    // The customer's contacts in the same row: one subquery on the customer's
    // index, not a statement per ticket. Each as "key:kind:contact".
    "(SELECT LIST(K.ContactID || ':' || K.Kind || ':' || K.Contact, ASCII_CHAR(31)) "
    "FROM CustomerContact K WHERE K.CustomerID = P.CustomerID) " +
    TicketFrom + "LEFT JOIN Job J ON J.ProblemID = P.ProblemID LEFT JOIN Device D ON D.DeviceID = J.DeviceID ";

// A file the counter's tables could not be added to is searched all the same.
const std::string TicketColumnsWithoutCounter = TicketFields + "NULL, NULL, NULL, NULL, NULL, NULL, NULL " + TicketFrom;

// Which of the tables the migrations add this file has: a file whose
// migration failed is searched all the same.
struct TicketLayout {
    std::string Select;
    bool Files = false;
};

TicketLayout ReadLayout(IBPP::Statement& statement)
{
    statement->Prepare("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN ('JOB', "
                       "'DEVICE', 'CUSTOMERCONTACT', 'TICKETFILE')");
    statement->Execute();
    int counterTables = 0;
    TicketLayout layout;
    while (statement->Fetch()) {
        if (TextOrEmpty(statement, 1) == "TICKETFILE")
            layout.Files = true;
        else
            ++counterTables;
    }
    statement->Close();
    layout.Select = counterTables == 3 ? TicketColumns : TicketColumnsWithoutCounter;
    return layout;
}

// The files of the tickets with keys in (afterId, upToId], fetched beside the
// tickets' statement as it goes, in the same key order. A file's bytes are
// read only for its text, and only when it is text.
class TicketFileRows {
public:
    TicketFileRows(DBConnection& connection, int32_t afterId, int32_t upToId)
        : Connection(connection), Statement(connection.GetStatement())
    {
        Statement->Prepare("SELECT ProblemID, FileID, FileName, MediaType, ByteSize, Content FROM TicketFile "
                           "WHERE ProblemID > ? AND ProblemID <= ? ORDER BY ProblemID, FileID");
        Statement->Set(1, afterId);
        Statement->Set(2, upToId);
        Statement->Execute();
        Next();
    }

    // Keys come in ascending order; the files of the tickets between are passed over.
    void Take(TicketRecord& ticket, std::vector<FileText>* texts)
    {
        const int32_t problemId = ticket.Problem.ProblemID;
        while (Pending && PendingProblem < problemId)
            Next();
        while (Pending && PendingProblem == problemId) {
            TicketFileRecord file;
            file.FileID = NumberOrZero(Statement, 2);
            file.Name = TextOrEmpty(Statement, 3);
            file.MediaType = TextOrEmpty(Statement, 4);
            file.Size = NumberOrZero(Statement, 5);
            if (texts)
                texts->push_back(ReadFileText(Connection, Statement, 6, file.Name, file.MediaType));
            ticket.Files.push_back(std::move(file));
            Next();
        }
    }

private:
    void Next()
    {
        Pending = Statement->Fetch();
        if (Pending)
            PendingProblem = NumberOrZero(Statement, 1);
    }

    DBConnection& Connection;
    IBPP::Statement Statement;
    bool Pending = false;
    int32_t PendingProblem = 0;
};

// The key of the last of the count tickets after afterId; afterId when there is none.
int32_t LastKeyOfBatch(IBPP::Statement& statement, int32_t afterId, int count)
{
    statement->Prepare("SELECT MAX(B.ProblemID) FROM (SELECT ProblemID FROM Problem WHERE ProblemID > ? "
                       "ORDER BY ProblemID ROWS ?) B");
    statement->Set(1, afterId);
    statement->Set(2, static_cast<int32_t>(count));
    statement->Execute();
    int32_t last = afterId;
    if (statement->Fetch() && !statement->IsNull(1))
        statement->Get(1, last);
    statement->Close();
    return last;
}

const char ContactSeparator = '\x1F';

enum Column {
    ProblemIDColumn = 1,
    CustomerIDColumn,
    TechnicianColumn,
    AssignedColumn,
    CompletedColumn,
    BillableColumn,
    ActualColumn,
    DescriptionColumn,
    ResolutionColumn,
    CommentColumn,
    NameColumn,
    AddressColumn,
    CityColumn,
    StateColumn,
    ZipColumn,
    OperatingSystemColumn,
    ReportColumn,
    JobKeyColumn,
    JobStateColumn,
    DeviceIDColumn,
    DeviceKindColumn,
    MakeModelColumn,
    SerialColumn,
    ContactsColumn
};

// The LIST() of the contacts, in the order they were stored (LIST keeps none of its own).
void ReadContactList(const std::string& list, ContactsRecord& contacts)
{
    std::vector<std::pair<long long, PhoneRecord>> phones;
    long long emailKey = -1;
    for (size_t at = 0; at <= list.size();) {
        size_t end = list.find(ContactSeparator, at);
        if (end == std::string::npos)
            end = list.size();
        const std::string item = list.substr(at, end - at);
        at = end + 1;
        const size_t first = item.find(':');
        const size_t second = first == std::string::npos ? first : item.find(':', first + 1);
        if (second == std::string::npos)
            continue;
        const long long key = std::atoll(item.substr(0, first).c_str());
        const std::string kind = item.substr(first + 1, second - first - 1);
        const std::string contact = item.substr(second + 1);
        if (kind == ContactKind::Email) {
            if (key > emailKey) {
                emailKey = key;
                contacts.Email = contact;
            }
        } else {
            phones.push_back({key, {kind, contact}});
        }
    }
    std::sort(phones.begin(), phones.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& phone : phones)
        contacts.Phones.push_back(std::move(phone.second));
}

void ReadRow(DBConnection& connection, IBPP::Statement& statement, TicketRecord& ticket)
{
    ticket = TicketRecord();
    ProblemRecord& problem = ticket.Problem;
    problem.ProblemID = NumberOrZero(statement, ProblemIDColumn);
    problem.CustomerID = NumberOrZero(statement, CustomerIDColumn);
    problem.Technician = TextOrEmpty(statement, TechnicianColumn);
    problem.Assigned = ReadDate(statement, AssignedColumn);
    problem.Completed = ReadDate(statement, CompletedColumn);
    problem.BillableHours = NumberOrZero(statement, BillableColumn);
    problem.ActualHours = NumberOrZero(statement, ActualColumn);
    problem.Description = ReadBlobColumn(connection, statement, DescriptionColumn);
    problem.Resolution = ReadBlobColumn(connection, statement, ResolutionColumn);
    problem.Comment = ReadBlobColumn(connection, statement, CommentColumn);
    CustomerRecord& customer = ticket.Customer;
    customer.CustomerID = problem.CustomerID;
    customer.Name = TextOrEmpty(statement, NameColumn);
    customer.Address = TextOrEmpty(statement, AddressColumn);
    customer.City = TextOrEmpty(statement, CityColumn);
    customer.State = TextOrEmpty(statement, StateColumn);
    customer.Zip = TextOrEmpty(statement, ZipColumn);
    ticket.SystemInfo.ProblemID = problem.ProblemID;
    ticket.SystemInfo.OperatingSystem = TextOrEmpty(statement, OperatingSystemColumn);
    ticket.SystemInfo.Report = ReadBlobColumn(connection, statement, ReportColumn);
    JobRecord& job = ticket.Job;
    job.Stored = !statement->IsNull(JobKeyColumn);
    job.State = TextOrEmpty(statement, JobStateColumn);
    job.Device.DeviceID = NumberOrZero(statement, DeviceIDColumn);
    job.Device.Kind = TextOrEmpty(statement, DeviceKindColumn);
    job.Device.MakeModel = TextOrEmpty(statement, MakeModelColumn);
    job.Device.Serial = TextOrEmpty(statement, SerialColumn);
    ReadContactList(ReadBlobColumn(connection, statement, ContactsColumn), ticket.Contacts);
}

}  // namespace

TicketRead ReadTicket(DBConnection& connection, int32_t problemId, TicketRecord& ticket, std::vector<FileText>* texts)
{
    bool found = false;
    if (texts)
        texts->clear();
    const bool ok = RunRead(connection, "Uncaught Exception in ReadTicket", [&](IBPP::Statement& statement) {
        const TicketLayout layout = ReadLayout(statement);
        statement->Prepare(layout.Select + "WHERE P.ProblemID = ?");
        statement->Set(1, problemId);
        statement->Execute();
        found = statement->Fetch();
        if (found)
            ReadRow(connection, statement, ticket);
        statement->Close();
        if (found && layout.Files && problemId > INT32_MIN) {
            TicketFileRows files(connection, problemId - 1, problemId);
            files.Take(ticket, texts);
        }
    });
    if (!ok)
        return TicketRead::Failed;
    return found ? TicketRead::Found : TicketRead::Missing;
}

namespace {

bool ReadBatch(DBConnection& connection, int32_t afterId, int count, std::vector<FileText>* texts,
               const std::function<void(const TicketRecord&)>& visit, int32_t& lastId)
{
    lastId = afterId;
    int32_t last = afterId;
    const bool ok = RunRead(connection, "Uncaught Exception in ReadTicketBatch", [&](IBPP::Statement& statement) {
        const TicketLayout layout = ReadLayout(statement);
        // The files' statement needs the batch's range before the tickets are fetched.
        // The tickets are held to the same range: none is read without its files.
        std::unique_ptr<TicketFileRows> files;
        int32_t upTo = INT32_MAX;
        if (layout.Files) {
            upTo = LastKeyOfBatch(statement, afterId, count);
            files = std::make_unique<TicketFileRows>(connection, afterId, upTo);
        }
        statement->Prepare(layout.Select + "WHERE P.ProblemID > ? AND P.ProblemID <= ? ORDER BY P.ProblemID ROWS ?");
        statement->Set(1, afterId);
        statement->Set(2, upTo);
        statement->Set(3, static_cast<int32_t>(count));
        statement->Execute();
        TicketRecord ticket;
        while (statement->Fetch()) {
            ReadRow(connection, statement, ticket);
            if (texts)
                texts->clear();
            if (files)
                files->Take(ticket, texts);
            visit(ticket);
            last = ticket.Problem.ProblemID;
        }
    });
    if (ok)
        lastId = last;
    return ok;
}

}  // namespace

bool ReadTicketBatch(DBConnection& connection, int32_t afterId, int count,
                     const std::function<void(const TicketRecord&)>& visit, int32_t& lastId)
{
    return ReadBatch(connection, afterId, count, nullptr, visit, lastId);
}

bool ReadTicketBatch(DBConnection& connection, int32_t afterId, int count, const TicketWithFilesVisitor& visit,
                     int32_t& lastId)
{
    std::vector<FileText> texts;
    return ReadBatch(
        connection, afterId, count, &texts, [&](const TicketRecord& ticket) { visit(ticket, texts); }, lastId);
}

int64_t CountTickets(DBConnection& connection, int32_t afterId)
{
    int64_t count = -1;
    RunRead(connection, "Uncaught Exception in CountTickets", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT COUNT(*) FROM Problem WHERE ProblemID > ?");
        statement->Set(1, afterId);
        statement->Execute();
        if (statement->Fetch())
            statement->Get(1, count);
        statement->Close();
    });
    return count;
}

}  // namespace DBFrameWork
