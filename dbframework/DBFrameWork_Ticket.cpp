#include "dbframework/DBFrameWork_Ticket.h"

#include "dbframework/DBFrameWork_BlobText.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"

namespace DBFrameWork {
namespace {

// A ticket is its Problem row; a customer or report row that is missing
// leaves those fields empty rather than hiding the ticket from a search.
const char* const TicketColumns =
    "SELECT P.ProblemID, P.CustomerID, P.Technician, P.Assigned, P.Completed, P.BillableHours, P.ActualHours, "
    "P.Description, P.Resolution, P.Comment, C.Name, C.Address, C.City, C.State, C.Zip, "
    "S.OperatingSystem, S.Description "
    "FROM Problem P LEFT JOIN Customer C ON C.CustomerID = P.CustomerID "
    "LEFT JOIN SystemInfo S ON S.ProblemID = P.ProblemID ";

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
    ReportColumn
};

int32_t Number(IBPP::Statement& statement, int column)
{
    int32_t value = 0;
    if (!statement->IsNull(column))
        statement->Get(column, value);
    return value;
}

std::string Text(IBPP::Statement& statement, int column)
{
    std::string value;
    if (!statement->IsNull(column))
        statement->Get(column, value);
    return value;
}

std::string BlobText(DBConnection& connection, IBPP::Statement& statement, int column)
{
    std::string value;
    if (statement->IsNull(column))
        return value;
    IBPP::Blob blob = connection.GetBlob();
    statement->Get(column, blob);
    return ReadBlobText(blob);
}

void ReadRow(DBConnection& connection, IBPP::Statement& statement, TicketRecord& ticket)
{
    ticket = TicketRecord();
    ProblemRecord& problem = ticket.Problem;
    problem.ProblemID = Number(statement, ProblemIDColumn);
    problem.CustomerID = Number(statement, CustomerIDColumn);
    problem.Technician = Text(statement, TechnicianColumn);
    problem.Assigned = ReadDate(statement, AssignedColumn);
    problem.Completed = ReadDate(statement, CompletedColumn);
    problem.BillableHours = Number(statement, BillableColumn);
    problem.ActualHours = Number(statement, ActualColumn);
    problem.Description = BlobText(connection, statement, DescriptionColumn);
    problem.Resolution = BlobText(connection, statement, ResolutionColumn);
    problem.Comment = BlobText(connection, statement, CommentColumn);
    CustomerRecord& customer = ticket.Customer;
    customer.CustomerID = problem.CustomerID;
    customer.Name = Text(statement, NameColumn);
    customer.Address = Text(statement, AddressColumn);
    customer.City = Text(statement, CityColumn);
    customer.State = Text(statement, StateColumn);
    customer.Zip = Text(statement, ZipColumn);
    ticket.SystemInfo.ProblemID = problem.ProblemID;
    ticket.SystemInfo.OperatingSystem = Text(statement, OperatingSystemColumn);
    ticket.SystemInfo.Report = BlobText(connection, statement, ReportColumn);
}

}  // namespace

TicketRead ReadTicket(DBConnection& connection, int32_t problemId, TicketRecord& ticket)
{
    bool found = false;
    const bool ok = RunRead(connection, "Uncaught Exception in ReadTicket", [&](IBPP::Statement& statement) {
        statement->Prepare(std::string(TicketColumns) + "WHERE P.ProblemID = ?");
        statement->Set(1, problemId);
        statement->Execute();
        found = statement->Fetch();
        if (found)
            ReadRow(connection, statement, ticket);
        statement->Close();
    });
    if (!ok)
        return TicketRead::Failed;
    return found ? TicketRead::Found : TicketRead::Missing;
}

bool ReadTicketBatch(DBConnection& connection, int32_t afterId, int count,
                     const std::function<void(const TicketRecord&)>& visit, int32_t& lastId)
{
    lastId = afterId;
    int32_t last = afterId;
    const bool ok = RunRead(connection, "Uncaught Exception in ReadTicketBatch", [&](IBPP::Statement& statement) {
        statement->Prepare(std::string(TicketColumns) + "WHERE P.ProblemID > ? ORDER BY P.ProblemID ROWS ?");
        statement->Set(1, afterId);
        statement->Set(2, static_cast<int32_t>(count));
        statement->Execute();
        TicketRecord ticket;
        while (statement->Fetch()) {
            ReadRow(connection, statement, ticket);
            visit(ticket);
            last = ticket.Problem.ProblemID;
        }
    });
    if (ok)
        lastId = last;
    return ok;
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
