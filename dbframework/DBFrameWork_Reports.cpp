#include "dbframework/DBFrameWork_Reports.h"

#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_JobStates.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"

namespace DBFrameWork {

// The first line is cut from the problem's leading bytes by the engine, so a
// row never makes the client read the whole text.
#define PROBLEM_HEAD "CAST(SUBSTRING(p.Description FROM 1 FOR 240) AS VARCHAR(240))"

// The technician parameter is cast to its column's type, so that the empty
// text ("every technician") and a name compare alike. The job's row comes by
// its key in the same statement; a ticket without one has neither state nor day.
#define OPEN_TICKETS_COLUMNS "SELECT p.ProblemID, p.Assigned, c.Name, p.Technician, " PROBLEM_HEAD ", p.ActualHours, "
#define OPEN_TICKETS_FROM "FROM Problem p LEFT JOIN Customer c ON c.CustomerID = p.CustomerID "
#define OPEN_TICKETS_ORDER "ORDER BY p.Assigned, p.ProblemID"

namespace {

std::string OpenTicketsWhere()
{
    return "WHERE p.Completed IS NULL AND (CAST(? AS " +
        ProblemTable().Columns[ProblemColumn::Technician].DeclaredType() + ") = '' OR p.Technician = ?) ";
}

// A file the counter's tables could not be added to lists its tickets all the same.
const std::string OpenTicketsWithoutJobSql = OPEN_TICKETS_COLUMNS
    "CAST(NULL AS VARCHAR(40)), CAST(NULL AS TIMESTAMP) " OPEN_TICKETS_FROM +
    OpenTicketsWhere() + OPEN_TICKETS_ORDER;

bool HasJobTable(IBPP::Statement& statement)
{
    statement->Prepare("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'JOB'");
    statement->Execute();
    int32_t count = 0;
    if (statement->Fetch())
        statement->Get(1, count);
    statement->Close();
    return count > 0;
}

}  // namespace

// The job's row comes by its key in the same statement; a ticket without one
// has neither state nor day.
const std::string OpenTicketsSql = OPEN_TICKETS_COLUMNS "j.State, j.PromisedBy " OPEN_TICKETS_FROM
                                                        "LEFT JOIN Job j ON j.ProblemID = p.ProblemID " +
    OpenTicketsWhere() + OPEN_TICKETS_ORDER;

const std::string OpenTicketsByPromisedSql = OPEN_TICKETS_COLUMNS "j.State, j.PromisedBy " OPEN_TICKETS_FROM
                                                                  "LEFT JOIN Job j ON j.ProblemID = p.ProblemID " +
    OpenTicketsWhere() + "ORDER BY j.PromisedBy NULLS LAST, p.Assigned, p.ProblemID";

const char* const CustomerHistorySql = "SELECT p.ProblemID, p.Assigned, p.Completed, " PROBLEM_HEAD " "
                                       "FROM Problem p WHERE p.CustomerID = ? AND p.ProblemID <> ? "
                                       "ORDER BY p.Assigned DESC, p.ProblemID DESC";

namespace {

// Every grouping answers with the same columns: group, count, actual, billable.
#define HOURS_SUMS "COUNT(*), COALESCE(SUM(p.ActualHours), 0), COALESCE(SUM(p.BillableHours), 0) "
#define HOURS_RANGE "WHERE p.Assigned >= ? AND p.Assigned < ? "

const char* const HoursByTechnicianSql = "SELECT COALESCE(p.Technician, ''), " HOURS_SUMS "FROM Problem p " HOURS_RANGE
                                         "GROUP BY 1 ORDER BY 1";

// Customers of the same name stay apart: the group is the customer's key.
const char* const HoursByCustomerSql = "SELECT COALESCE(c.Name, ''), " HOURS_SUMS
                                       "FROM Problem p LEFT JOIN Customer c ON c.CustomerID = p.CustomerID " HOURS_RANGE
                                       "GROUP BY p.CustomerID, c.Name ORDER BY 1, p.CustomerID";

const char* const HoursByMonthSql =
    "SELECT EXTRACT(YEAR FROM p.Assigned) || '-' || LPAD(EXTRACT(MONTH FROM p.Assigned), 2, '0'), " HOURS_SUMS
    "FROM Problem p " HOURS_RANGE "GROUP BY 1 ORDER BY 1";

// Rows between two calls of the progress function.
constexpr size_t ProgressStep = 256;

std::string ReadText(IBPP::Statement& statement, int column)
{
    std::string text;
    if (statement->Get(column, text))
        text.clear();
    return text;
}

int32_t ReadInt(IBPP::Statement& statement, int column)
{
    int32_t value = 0;
    if (statement->Get(column, value))
        value = 0;
    return value;
}

int64_t ReadInt64(IBPP::Statement& statement, int column)
{
    int64_t value = 0;
    if (statement->Get(column, value))
        value = 0;
    return value;
}

// Midnight of the day after: the exclusive end of a range of whole days.
IBPP::Timestamp DayAfter(const CalendarDate& date)
{
    int year = date.year, month = date.month, day = date.day + 1;
    if (day > IBPP::DaysInMonth(year, month)) {
        day = 1;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return IBPP::Timestamp(year, month, day);
}

// Runs a prepared-and-bound statement's fetch loop; the body reads one row.
template <typename Bind, typename ReadRow>
QueryOutcome Fetch(DBConnection& connection, const char* sql, const std::string& what, Bind bind, ReadRow readRow,
                   const FetchProgress& progress)
{
    bool cancelled = false;
    const bool done = RunRead(connection, "Uncaught Exception in " + what, [&](IBPP::Statement& statement) {
        statement->Prepare(sql);
        bind(statement);
        statement->Execute();
        for (size_t rows = 0; statement->Fetch();) {
            readRow(statement);
            if (progress && ++rows % ProgressStep == 0 && !progress(rows)) {
                cancelled = true;
                break;
            }
        }
        statement->Close();
    });
    if (!done)
        return QueryOutcome::Failed;
    return cancelled ? QueryOutcome::Cancelled : QueryOutcome::Done;
}

}  // namespace

const char* HoursReportSql(HoursGrouping grouping)
{
    switch (grouping) {
    case HoursGrouping::Customer:
        return HoursByCustomerSql;
    case HoursGrouping::Month:
        return HoursByMonthSql;
    case HoursGrouping::Technician:
        break;
    }
    return HoursByTechnicianSql;
}

double HoursReportRow::BillablePercent() const
{
    return actualHours > 0 ? 100.0 * static_cast<double>(billableHours) / static_cast<double>(actualHours) : -1.0;
}

HoursReportRow HoursTotals(const std::vector<HoursReportRow>& rows)
{
    HoursReportRow total;
    for (const HoursReportRow& row : rows) {
        total.ticketCount += row.ticketCount;
        total.actualHours += row.actualHours;
        total.billableHours += row.billableHours;
    }
    return total;
}

ReportTable HoursTable(const std::vector<HoursReportRow>& rows, const std::string& groupTitle)
{
    ReportTable table;
    table.columns = {{groupTitle, CellKind::Text},
                     {"Tickets", CellKind::Number},
                     {"Actual Hours", CellKind::Number},
                     {"Billable Hours", CellKind::Number},
                     {"Billable %", CellKind::Number}};
    const auto cells = [](const HoursReportRow& row, const std::string& group) {
        const double percent = row.BillablePercent();
        return std::vector<ReportCell>{ReportCell::Text(group), ReportCell::Whole(row.ticketCount),
                                       ReportCell::Whole(row.actualHours), ReportCell::Whole(row.billableHours),
                                       percent < 0 ? ReportCell::Empty(CellKind::Number)
                                                   : ReportCell::Decimal(percent, 1)};
    };
    for (const HoursReportRow& row : rows)
        table.rows.push_back(cells(row, row.group));
    table.totals = cells(HoursTotals(rows), "Total");
    return table;
}

bool IsOverdue(const OpenTicket& ticket, const CalendarDate& today)
{
    return ticket.promisedBy.IsSet() && DaysBetween(ticket.promisedBy, today) > 0;
}

ReportTable OpenTicketsTable(const std::vector<OpenTicket>& tickets, const CalendarDate& today)
{
    ReportTable table;
    table.columns = {{"Assigned", CellKind::Date},   {"Age (days)", CellKind::Number}, {"Customer", CellKind::Text},
                     {"Technician", CellKind::Text}, {"Problem", CellKind::Text},      {"Hours", CellKind::Number},
                     {"State", CellKind::Text},      {"Promised", CellKind::Date}};
    for (const OpenTicket& ticket : tickets) {
        std::vector<ReportCell> row = OpenTicketRow(ticket, today);
        if (IsOverdue(ticket, today)) {
            ReportCell& state = row[OpenTicketStateColumn];
            state.text = state.text.empty() ? "Overdue" : state.text + " (Overdue)";
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::vector<ReportCell> OpenTicketRow(const OpenTicket& ticket, const CalendarDate& today)
{
    return {ReportCell::Day(ticket.assigned),
            ticket.assigned.IsSet() ? ReportCell::Whole(DaysBetween(ticket.assigned, today))
                                    : ReportCell::Empty(CellKind::Number),
            ReportCell::Text(ticket.customerName),
            ReportCell::Text(ticket.technician),
            ReportCell::Text(ticket.problemFirstLine),
            ReportCell::Whole(ticket.actualHours),
            ReportCell::Text(ticket.state),
            ReportCell::Day(ticket.promisedBy)};
}

std::string FirstLine(const std::string& text)
{
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    // A UTF-8 character whose lead byte stands at the end without all of its
    // continuation bytes was cut by the engine's byte count.
    size_t lead = line.size();
    while (lead > 0 && (static_cast<unsigned char>(line[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0) {
        const unsigned char first = static_cast<unsigned char>(line[lead - 1]);
        const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (line.size() - (lead - 1) < length)
            line.resize(lead - 1);
    }
    return line;
}

struct OpenTicketCursor::Cursor {
    IBPP::Transaction transaction;
    IBPP::Statement statement;
    OpenTicketQuery query;
};

OpenTicketCursor::OpenTicketCursor(DBConnection& connection) : Connection(connection)
{}

OpenTicketCursor::~OpenTicketCursor()
{
    Close();
}

QueryOutcome OpenTicketCursor::Open(const std::string& technician)
{
    OpenTicketQuery query;
    query.technician = technician;
    return Open(query);
}

QueryOutcome OpenTicketCursor::Open(const OpenTicketQuery& query)
{
    Close();
    try {
        auto state = std::make_unique<Cursor>();
        state->transaction = Connection.NewReadTransaction();
        state->transaction->Start();
        state->statement = IBPP::StatementFactory(Connection.GetDatabase(), state->transaction);
        state->query = query;
        state->statement->Prepare(!HasJobTable(state->statement) ? OpenTicketsWithoutJobSql
                                      : query.byPromised         ? OpenTicketsByPromisedSql
                                                                 : OpenTicketsSql);
        state->statement->Set(1, query.technician);
        state->statement->Set(2, query.technician);
        state->statement->Execute();
        State = std::move(state);
        return QueryOutcome::Done;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (const std::exception& error) {
        OutputDebugString(std::string("Uncaught Exception in OpenTicketCursor::Open: ") + error.what());
    }
    return QueryOutcome::Failed;
}

QueryOutcome OpenTicketCursor::Next(size_t count, std::vector<OpenTicket>& tickets)
{
    if (!State)
        return QueryOutcome::Done;
    try {
        IBPP::Statement& statement = State->statement;
        const OpenTicketQuery& query = State->query;
        for (size_t read = 0; read < count;) {
            if (!statement->Fetch()) {
                Close();
                break;
            }
            // The shown state follows from the shop's list, which the engine does not know.
            std::string shown = ShownState(ReadText(statement, 7), false, query.states);
            if (!query.state.empty() && shown != query.state)
                continue;
            ++read;
            OpenTicket ticket;
            ticket.problemId = ReadInt(statement, 1);
            ticket.assigned = ReadDate(statement, 2);
            ticket.customerName = ReadText(statement, 3);
            ticket.technician = ReadText(statement, 4);
            ticket.problemFirstLine = FirstLine(ReadText(statement, 5));
            ticket.actualHours = ReadInt(statement, 6);
            ticket.state = std::move(shown);
            ticket.promisedBy = ReadDate(statement, 8);
            tickets.push_back(std::move(ticket));
        }
        return QueryOutcome::Done;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (const std::exception& error) {
        OutputDebugString(std::string("Uncaught Exception in OpenTicketCursor::Next: ") + error.what());
    }
    Close();
    return QueryOutcome::Failed;
}

void OpenTicketCursor::Close()
{
    if (!State)
        return;
    std::unique_ptr<Cursor> state = std::move(State);
    // Only read: whatever the engine says on the way out changes nothing.
    try {
        state->statement.reset();
        state->transaction->Commit();
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    }
}

QueryOutcome ReadOpenTickets(DBConnection& connection, const std::string& technician, std::vector<OpenTicket>& tickets,
                             const FetchProgress& progress)
{
    tickets.clear();
    OpenTicketCursor cursor(connection);
    if (cursor.Open(technician) != QueryOutcome::Done)
        return QueryOutcome::Failed;
    while (!cursor.AtEnd()) {
        if (cursor.Next(ProgressStep, tickets) != QueryOutcome::Done)
            return QueryOutcome::Failed;
        if (progress && !cursor.AtEnd() && !progress(tickets.size()))
            return QueryOutcome::Cancelled;
    }
    return QueryOutcome::Done;
}

QueryOutcome ReadCustomerHistory(DBConnection& connection, int32_t customerId, int32_t exceptProblemId,
                                 std::vector<CustomerHistoryEntry>& entries)
{
    entries.clear();
    return Fetch(
        connection, CustomerHistorySql, "ReadCustomerHistory",
        [&](IBPP::Statement& statement) {
            statement->Set(1, customerId);
            statement->Set(2, exceptProblemId);
        },
        [&](IBPP::Statement& statement) {
            CustomerHistoryEntry entry;
            entry.problemId = ReadInt(statement, 1);
            entry.assigned = ReadDate(statement, 2);
            entry.completed = ReadDate(statement, 3);
            entry.problemFirstLine = FirstLine(ReadText(statement, 4));
            entries.push_back(std::move(entry));
        },
        nullptr);
}

QueryOutcome ReadHoursReport(DBConnection& connection, const CalendarDate& from, const CalendarDate& through,
                             HoursGrouping grouping, std::vector<HoursReportRow>& rows, const FetchProgress& progress)
{
    rows.clear();
    if (!from.IsSet() || !through.IsSet())
        return QueryOutcome::Failed;
    return Fetch(
        connection, HoursReportSql(grouping), "ReadHoursReport",
        [&](IBPP::Statement& statement) {
            statement->Set(1, IBPP::Timestamp(from.year, from.month, from.day));
            statement->Set(2, DayAfter(through));
        },
        [&](IBPP::Statement& statement) {
            HoursReportRow row;
            row.group = ReadText(statement, 1);
            row.ticketCount = ReadInt64(statement, 2);
            row.actualHours = ReadInt64(statement, 3);
            row.billableHours = ReadInt64(statement, 4);
            rows.push_back(std::move(row));
        },
        progress);
}

}  // namespace DBFrameWork
