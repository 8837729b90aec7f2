// What the shop's lists and reports read from the tables: each query is
// one statement with parameters, and answers with records of named fields.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_CalendarDate.h"
#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_ReportTable.h"

namespace DBFrameWork {

class DBConnection;

// A ticket whose Complete box is not checked (no completion date stored).
struct OpenTicket {
    int32_t problemId = 0;
    CalendarDate assigned;
    std::string customerName;
    std::string technician;
    std::string problemFirstLine;
    int32_t actualHours = 0;
    // The state shown (ShownState of the stored one; the stored one when the
    // shop has no states), and the day promised, if any.
    std::string state;
    CalendarDate promisedBy;
};

// Whether the day promised has passed by `today` (the ticket being open).
bool IsOverdue(const OpenTicket& ticket, const CalendarDate& today);

// Which open tickets, in which order.
struct OpenTicketQuery {
    // Empty: every technician.
    std::string technician;
    // The shop's states in order, the last meaning done.
    StringList states;
    // The state shown to keep; empty: every state.
    std::string state;
    // Earliest promised day first, tickets without one last; else oldest assignment first.
    bool byPromised = false;
};

// Another ticket of the same customer.
struct CustomerHistoryEntry {
    int32_t problemId = 0;
    CalendarDate assigned;
    CalendarDate completed;  // not set while the ticket is open
    std::string problemFirstLine;
};

enum class HoursGrouping { Technician, Customer, Month };

// One group of the hours report: a technician, a customer or a month.
struct HoursReportRow {
    std::string group;  // technician, customer name, or "2004-12" for a month
    int64_t ticketCount = 0;
    int64_t actualHours = 0;
    int64_t billableHours = 0;
    // Billable hours as a percentage of actual hours; negative when there
    // were no actual hours to compare with.
    double BillablePercent() const;
};

// Sums over the rows of a report.
HoursReportRow HoursTotals(const std::vector<HoursReportRow>& rows);
// The report as its table: the group (headed groupTitle), tickets, actual and
// billable hours and billable percent, with the totals row.
ReportTable HoursTable(const std::vector<HoursReportRow>& rows, const std::string& groupTitle);

// Told the number of rows fetched so far, every few hundred rows; answering
// false stops the query, which then reports Cancelled.
using FetchProgress = std::function<bool(size_t rowsFetched)>;

enum class QueryOutcome { Done, Cancelled, Failed };

// The open tickets, oldest assignment first (or by the day promised), handed
// over a batch at a time from one statement, so that a list of many thousand
// shows its first screen at once. Holds a read-only transaction of its own
// until closed.
class OpenTicketCursor {
public:
    explicit OpenTicketCursor(DBConnection& connection);
    ~OpenTicketCursor();
    OpenTicketCursor(const OpenTicketCursor&) = delete;
    OpenTicketCursor& operator=(const OpenTicketCursor&) = delete;

    // Runs the statement; an empty technician means all. Failed when the
    // engine refused (its message is in the debug output).
    QueryOutcome Open(const std::string& technician);
    QueryOutcome Open(const OpenTicketQuery& query);
    // Appends up to count more tickets (of the state asked for; the others
    // are read past); AtEnd() once the last was read.
    QueryOutcome Next(size_t count, std::vector<OpenTicket>& tickets);
    bool AtEnd() const { return !State; }
    void Close();

private:
    struct Cursor;
    DBConnection& Connection;
    std::unique_ptr<Cursor> State;
};

// The list as its table: assigned, age in days on `today`, customer,
// technician, the problem's first line, hours, state and the day promised;
// the state of an overdue ticket says so, for the page that has no colour.
ReportTable OpenTicketsTable(const std::vector<OpenTicket>& tickets, const CalendarDate& today);
// Where the state and the day promised stand in that table.
constexpr size_t OpenTicketStateColumn = 6;
constexpr size_t OpenTicketPromisedColumn = 7;
// One ticket's row of that table as the screen shows it (in colour when overdue).
std::vector<ReportCell> OpenTicketRow(const OpenTicket& ticket, const CalendarDate& today);

// Open tickets, oldest assignment first; an empty technician means all.
QueryOutcome ReadOpenTickets(DBConnection& connection, const std::string& technician, std::vector<OpenTicket>& tickets,
                             const FetchProgress& progress = nullptr);

// The customer's tickets except the one given, newest assignment first.
QueryOutcome ReadCustomerHistory(DBConnection& connection, int32_t customerId, int32_t exceptProblemId,
                                 std::vector<CustomerHistoryEntry>& entries);

// Tickets assigned from `from` through `through` (both days included), in
// groups sorted by their name (months in calendar order).
QueryOutcome ReadHoursReport(DBConnection& connection, const CalendarDate& from, const CalendarDate& through,
                             HoursGrouping grouping, std::vector<HoursReportRow>& rows,
                             const FetchProgress& progress = nullptr);

// The SQL of each query, for the benchmark's engine-alone timing.
extern const std::string OpenTicketsSql;
extern const std::string OpenTicketsByPromisedSql;
extern const char* const CustomerHistorySql;
const char* HoursReportSql(HoursGrouping grouping);

// The first line of a problem text (lines end with CR, LF or both), with a
// character cut in half at the end of a shortened text dropped.
std::string FirstLine(const std::string& text);

}  // namespace DBFrameWork
