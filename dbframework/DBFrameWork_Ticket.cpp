#include "dbframework/DBFrameWork_Ticket.h"

#include <array>
#include <stdexcept>

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
    ProblemIDColumn = 1, CustomerIDColumn, TechnicianColumn, AssignedColumn, CompletedColumn, BillableColumn,
    ActualColumn, DescriptionColumn, ResolutionColumn, CommentColumn, NameColumn, AddressColumn, CityColumn,
    StateColumn, ZipColumn, OperatingSystemColumn, ReportColumn
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
    blob->Open();
    int size = 0, largest = 0, segments = 0;
    blob->Info(&size, &largest, &segments);
    value.reserve(static_cast<size_t>(std::max(size, 0)));
    std::array<char, 32768> buffer;
    int total = 0;
    while (total < size) {
        const int count = blob->Read(buffer.data(), static_cast<int>(buffer.size()));
        if (count <= 0)
            break;
        value.append(buffer.data(), static_cast<size_t>(count));
        total += count;
    }
    blob->Close();
    if (total < size)
        throw std::runtime_error("A blob gave " + std::to_string(total) + " of its " + std::to_string(size) + " bytes");
    return value;
}

void ReadRow(DBConnection& connection, IBPP::Statement& statement, Ticket& ticket)
{
    ticket = Ticket();
    ticket.ProblemID = Number(statement, ProblemIDColumn);
    ticket.CustomerID = Number(statement, CustomerIDColumn);
    ticket.Technician = Text(statement, TechnicianColumn);
    ticket.HasAssigned = !statement->IsNull(AssignedColumn);
    if (ticket.HasAssigned)
        statement->Get(AssignedColumn, ticket.Assigned);
    ticket.IsCompleted = !statement->IsNull(CompletedColumn);
    if (ticket.IsCompleted)
        statement->Get(CompletedColumn, ticket.Completed);
    ticket.BillableHours = Number(statement, BillableColumn);
    ticket.ActualHours = Number(statement, ActualColumn);
    ticket.Description = BlobText(connection, statement, DescriptionColumn);
    ticket.Resolution = BlobText(connection, statement, ResolutionColumn);
    ticket.Comment = BlobText(connection, statement, CommentColumn);
    ticket.CustomerName = Text(statement, NameColumn);
    ticket.Address = Text(statement, AddressColumn);
    ticket.City = Text(statement, CityColumn);
    ticket.State = Text(statement, StateColumn);
    ticket.Zip = Text(statement, ZipColumn);
    ticket.OperatingSystem = Text(statement, OperatingSystemColumn);
    ticket.Report = BlobText(connection, statement, ReportColumn);
}

}  // namespace

TicketRead ReadTicket(DBConnection& connection, int32_t problemId, Ticket& ticket)
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
                     const std::function<void(const Ticket&)>& visit, int32_t& lastId)
{
    lastId = afterId;
    int32_t last = afterId;
    const bool ok = RunRead(connection, "Uncaught Exception in ReadTicketBatch", [&](IBPP::Statement& statement) {
        statement->Prepare(std::string(TicketColumns) + "WHERE P.ProblemID > ? ORDER BY P.ProblemID ROWS ?");
        statement->Set(1, afterId);
        statement->Set(2, static_cast<int32_t>(count));
        statement->Execute();
        Ticket ticket;
        while (statement->Fetch()) {
            ReadRow(connection, statement, ticket);
            visit(ticket);
            last = ticket.ProblemID;
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
