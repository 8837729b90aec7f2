// The report queries on a real data file, checked against what isql-fb says
// the engine holds.
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <sstream>

#include "dbframework/DBFrameWork_Reports.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_Transaction.h"
#include "tests/support/datafiles/TestDatabase.h"

using namespace DBFrameWork;

namespace {

// Customers 1 and 2 share a name; 3 has a name with a comma and a UTF-8 letter.
const char* const Tickets =
    "INSERT INTO Customer (CustomerID, Name) VALUES (1, 'Ann Lee');\n"
    "INSERT INTO Customer (CustomerID, Name) VALUES (2, 'Ann Lee');\n"
    "INSERT INTO Customer (CustomerID, Name) VALUES (3, 'Zoë, Inc.');\n"
    // ProblemID, Technician, Assigned, Completed, Billable, Actual, Description, CustomerID
    "INSERT INTO Problem VALUES (1, 'Dana', '2004-01-05', NULL, 2, 3, 'Printer jams' || ASCII_CHAR(13) || "
    "ASCII_CHAR(10) || 'second line', NULL, NULL, 1);\n"
    "INSERT INTO Problem VALUES (2, 'Eve', '2004-01-31 15:30:00', '2004-02-02', 1, 4, 'Slow disk', NULL, NULL, 1);\n"
    "INSERT INTO Problem VALUES (3, 'Dana', '2004-02-01', NULL, NULL, 5, 'No sound' || ASCII_CHAR(10) || 'x', "
    "NULL, NULL, 2);\n"
    "INSERT INTO Problem VALUES (4, 'Eve', '2003-12-31', NULL, 7, 7, 'Old year', NULL, NULL, 3);\n"
    "INSERT INTO Problem VALUES (5, NULL, '2004-01-05', NULL, 1, 1, NULL, NULL, NULL, 3);\n"
    "INSERT INTO Problem VALUES (6, 'Dana', '2004-03-10', '2004-03-11', 0, 2, 'Mouse', NULL, NULL, 1);\n"
    "COMMIT;\n";

class ReportQueries : public ::testing::Test {
protected:
    void SetUp() override { database.Query(Tickets); }
    TestDatabase database;
};

std::vector<int32_t> Ids(const std::vector<OpenTicket>& tickets)
{
    std::vector<int32_t> ids;
    for (const OpenTicket& ticket : tickets)
        ids.push_back(ticket.problemId);
    return ids;
}

}  // namespace

TEST_F(ReportQueries, OpenTicketsAreTheUncompletedOldestFirst)
{
    std::vector<OpenTicket> tickets;
    ASSERT_EQ(ReadOpenTickets(database.Connection(), "", tickets), QueryOutcome::Done);
    // Tickets 1 and 5 share a day: the key decides.
    EXPECT_EQ(Ids(tickets), (std::vector<int32_t>{4, 1, 5, 3}));
    const OpenTicket& first = tickets[1];
    EXPECT_EQ(first.customerName, "Ann Lee");
    EXPECT_EQ(first.technician, "Dana");
    EXPECT_EQ(first.problemFirstLine, "Printer jams");
    EXPECT_EQ(first.actualHours, 3);
    EXPECT_EQ(first.assigned.year, 2004);
    EXPECT_EQ(first.assigned.month, 1);
    EXPECT_EQ(first.assigned.day, 5);
    EXPECT_EQ(tickets[0].customerName, "Zoë, Inc.");
    EXPECT_EQ(tickets[2].technician, "");
    EXPECT_EQ(tickets[2].problemFirstLine, "");
    EXPECT_EQ(tickets[3].problemFirstLine, "No sound");

    ASSERT_EQ(ReadOpenTickets(database.Connection(), "Dana", tickets), QueryOutcome::Done);
    EXPECT_EQ(Ids(tickets), (std::vector<int32_t>{1, 3}));
    ASSERT_EQ(ReadOpenTickets(database.Connection(), "Nobody", tickets), QueryOutcome::Done);
    EXPECT_TRUE(tickets.empty());
}

TEST_F(ReportQueries, CustomerHistoryIsTheOtherTicketsNewestFirst)
{
    std::vector<CustomerHistoryEntry> entries;
    ASSERT_EQ(ReadCustomerHistory(database.Connection(), 1, 2, entries), QueryOutcome::Done);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].problemId, 6);
    EXPECT_TRUE(entries[0].completed.IsSet());
    EXPECT_EQ(entries[0].completed.day, 11);
    EXPECT_EQ(entries[0].problemFirstLine, "Mouse");
    EXPECT_EQ(entries[1].problemId, 1);
    EXPECT_FALSE(entries[1].completed.IsSet());
    // The namesake customer 2 is another customer.
    ASSERT_EQ(ReadCustomerHistory(database.Connection(), 2, 3, entries), QueryOutcome::Done);
    EXPECT_TRUE(entries.empty());
}

TEST_F(ReportQueries, HoursReportGroupsAndSumsAsTheEngine)
{
    const CalendarDate from{2004, 1, 1}, through{2004, 1, 31};
    std::vector<HoursReportRow> rows;
    ASSERT_EQ(ReadHoursReport(database.Connection(), from, through, HoursGrouping::Technician, rows),
              QueryOutcome::Done);
    // Ticket 2, assigned in the afternoon of the last day, is inside; 3 and 4 are not.
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].group, "");
    EXPECT_EQ(rows[1].group, "Dana");
    EXPECT_EQ(rows[1].ticketCount, 1);
    EXPECT_EQ(rows[2].group, "Eve");
    EXPECT_EQ(rows[2].actualHours, 4);
    const HoursReportRow total = HoursTotals(rows);
    const std::vector<std::string> engine = database.Query(
        "SELECT COUNT(*), SUM(ActualHours), SUM(BillableHours) FROM Problem "
        "WHERE Assigned >= '2004-01-01' AND Assigned < '2004-02-01';");
    ASSERT_FALSE(engine.empty());
    std::istringstream sums(engine.back());
    int64_t count = -1, actual = -1, billable = -1;
    sums >> count >> actual >> billable;
    EXPECT_EQ(count, total.ticketCount) << engine.back();
    EXPECT_EQ(actual, total.actualHours);
    EXPECT_EQ(billable, total.billableHours);
    EXPECT_NEAR(total.BillablePercent(), 100.0 * 4 / 8, 1e-9);

    ASSERT_EQ(ReadHoursReport(database.Connection(), CalendarDate{2003, 1, 1}, CalendarDate{2004, 12, 31},
                              HoursGrouping::Customer, rows),
              QueryOutcome::Done);
    // Two customers of one name stay two groups.
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].group, "Ann Lee");
    EXPECT_EQ(rows[1].group, "Ann Lee");
    EXPECT_EQ(rows[0].actualHours + rows[1].actualHours, 3 + 4 + 5 + 2);
    EXPECT_EQ(rows[2].group, "Zoë, Inc.");
    EXPECT_EQ(rows[2].billableHours, 8);

    ASSERT_EQ(ReadHoursReport(database.Connection(), CalendarDate{2003, 12, 1}, CalendarDate{2004, 3, 31},
                              HoursGrouping::Month, rows),
              QueryOutcome::Done);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].group, "2003-12");
    EXPECT_EQ(rows[1].group, "2004-01");
    EXPECT_EQ(rows[1].ticketCount, 3);
    EXPECT_EQ(rows[3].group, "2004-03");
    // A null billable figure counts as none.
    EXPECT_EQ(rows[2].billableHours, 0);
    EXPECT_EQ(rows[2].actualHours, 5);
}

TEST_F(ReportQueries, ProgressCanCancelAndAnEmptyRangeReadsNothing)
{
    std::string values;
    for (int id = 100; id < 700; ++id)
        values += "INSERT INTO Problem (ProblemID, Assigned, CustomerID) VALUES (" + std::to_string(id) +
            ", '2005-06-01', 1);\n";
    database.Query(values + "COMMIT;\n");
    std::vector<OpenTicket> tickets;
    std::vector<size_t> calls;
    EXPECT_EQ(ReadOpenTickets(database.Connection(), "", tickets,
                              [&](size_t rows) {
                                  calls.push_back(rows);
                                  return calls.size() < 2;
                              }),
              QueryOutcome::Cancelled);
    EXPECT_EQ(calls, (std::vector<size_t>{256, 512}));
    // The connection is usable after a cancelled read.
    EXPECT_EQ(ReadOpenTickets(database.Connection(), "", tickets), QueryOutcome::Done);
    EXPECT_EQ(tickets.size(), 604u);

    // The cursor hands the same list over in batches, in the same order, and
    // a save may go on meanwhile (the cursor's transaction is its own).
    OpenTicketCursor cursor(database.Connection());
    std::vector<OpenTicket> batched;
    ASSERT_EQ(cursor.Open(""), QueryOutcome::Done);
    ASSERT_EQ(cursor.Next(600, batched), QueryOutcome::Done);
    EXPECT_EQ(batched.size(), 600u);
    EXPECT_FALSE(cursor.AtEnd());
    EXPECT_TRUE(RunInTransaction(database.Connection(), "", [](IBPP::Statement& statement) {
        statement->ExecuteImmediate("UPDATE Problem SET Completed = '2005-06-02' WHERE ProblemID = 650");
    }));
    ASSERT_EQ(cursor.Next(600, batched), QueryOutcome::Done);
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(Ids(batched), Ids(tickets));
    EXPECT_EQ(cursor.Next(600, batched), QueryOutcome::Done);  // nothing more, and no error
    EXPECT_EQ(batched.size(), 604u);

    std::vector<HoursReportRow> rows;
    EXPECT_EQ(ReadHoursReport(database.Connection(), CalendarDate{1990, 1, 1}, CalendarDate{1990, 12, 31},
                              HoursGrouping::Technician, rows),
              QueryOutcome::Done);
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(ReadHoursReport(database.Connection(), CalendarDate{}, CalendarDate{1990, 12, 31},
                              HoursGrouping::Technician, rows),
              QueryOutcome::Failed);
}

TEST_F(ReportQueries, AnotherDesksPendingChangeDoesNotHoldUpTheLists)
{
    // Another attachment changes an open ticket and has not committed yet.
    DBConnection otherDesk(database.Path());
    ASSERT_TRUE(otherDesk.Connect());
    otherDesk.StartTransaction(true);
    IBPP::Statement change = otherDesk.GetStatement();
    change->ExecuteImmediate("UPDATE Problem SET Technician = 'Pending' WHERE ProblemID = 1");

    // The list reads the last committed version instead of waiting for it.
    auto read = std::async(std::launch::async, [&] {
        OpenTicketCursor cursor(database.Connection());
        std::vector<OpenTicket> tickets;
        if (cursor.Open("") != QueryOutcome::Done || cursor.Next(100, tickets) != QueryOutcome::Done)
            tickets.clear();
        return tickets;
    });
    const bool answered = read.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    EXPECT_TRUE(answered) << "the open tickets waited for another desk's transaction";
    change.reset();
    otherDesk.Rollback();
    otherDesk.Disconnect();
    const std::vector<OpenTicket> tickets = read.get();
    ASSERT_EQ(Ids(tickets), (std::vector<int32_t>{4, 1, 5, 3}));
    EXPECT_EQ(tickets[1].technician, "Dana");
}

TEST(ReportIndexes, AddedOnceToEveryWholeFileAndUsedByTheRange)
{
    TestDatabase database;
    std::string failed;
    ASSERT_EQ(LayOutSchema(database.Connection(), failed), SchemaOutcome::Whole);
    ASSERT_EQ(LayOutSchema(database.Connection(), failed), SchemaOutcome::Whole);
    const std::vector<std::string> indexes = database.Query(
        "SELECT TRIM(RDB$INDEX_NAME) FROM RDB$INDICES WHERE RDB$INDEX_NAME STARTING WITH 'IX$PROBLEM' ORDER BY 1;");
    EXPECT_EQ(indexes, (std::vector<std::string>{"IX$PROBLEM_ASSIGNEDID", "IX$PROBLEM_COMPLETED"}));
    // The engine's plans: the report's range goes through the index, and the
    // open tickets come in the index's order, without a sort of all of them
    // before the first row.
    const auto plan = [&](std::string sql, const std::string& value) {
        for (size_t at; (at = sql.find('?')) != std::string::npos;)
            sql.replace(at, 1, value);
        std::string text;
        for (const std::string& line : database.Query("SET PLANONLY ON;\n" + sql + ";\n"))
            text += line;
        return text;
    };
    const std::string range = plan(HoursReportSql(HoursGrouping::Technician), "'2004-01-01'");
    EXPECT_NE(range.find("IX$PROBLEM_ASSIGNEDID"), std::string::npos) << range;
    const std::string open = plan(OpenTicketsSql, "''");
    EXPECT_NE(open.find("ORDER IX$PROBLEM_ASSIGNEDID"), std::string::npos) << open;
    EXPECT_EQ(open.find("SORT"), std::string::npos) << open;
}

TEST(ReportText, FirstLineStopsAtBreaksAndNeverHalvesACharacter)
{
    EXPECT_EQ(FirstLine("one\r\ntwo"), "one");
    EXPECT_EQ(FirstLine("one\rtwo"), "one");
    EXPECT_EQ(FirstLine("one\ntwo"), "one");
    EXPECT_EQ(FirstLine("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(FirstLine("caf\xC3"), "caf");
    EXPECT_EQ(FirstLine("x\xE2\x82"), "x");
    EXPECT_EQ(FirstLine("x\xE2\x82\xAC"), "x\xE2\x82\xAC");
    EXPECT_EQ(FirstLine(""), "");
}

TEST_F(ReportQueries, OpenTicketsCarryTheJobsStateAndDayAndSortAndFilterByThem)
{
    std::string failed;
    const SchemaOutcome laidOut = LayOutSchema(database.Connection(), failed);
    ASSERT_TRUE(laidOut == SchemaOutcome::Whole || laidOut == SchemaOutcome::Completed) << failed;
    // 3 stored the last state while open: it shows the one before. 5 has no Job row.
    database.Query("INSERT INTO Job (ProblemID, State, PromisedBy) VALUES (1, 'Waiting', '2004-03-01 17:00:00');\n"
                   "INSERT INTO Job (ProblemID, State, PromisedBy) VALUES (3, 'Done', '2004-02-10');\n"
                   "INSERT INTO Job (ProblemID, Accessories) VALUES (4, 'charger');\nCOMMIT;\n");
    const StringList states = {"Checked in", "Waiting", "Done"};
    const auto read = [&](const std::string& technician, const std::string& state, bool byPromised, size_t step) {
        OpenTicketQuery query;
        query.technician = technician;
        query.states = states;
        query.state = state;
        query.byPromised = byPromised;
        OpenTicketCursor cursor(database.Connection());
        std::vector<OpenTicket> tickets;
        EXPECT_EQ(cursor.Open(query), QueryOutcome::Done);
        // Each step hands over as many of the state asked for, however many it reads past.
        while (!cursor.AtEnd()) {
            const size_t before = tickets.size();
            EXPECT_EQ(cursor.Next(step, tickets), QueryOutcome::Done);
            EXPECT_TRUE(tickets.size() == before + step || cursor.AtEnd());
        }
        return tickets;
    };
    const std::vector<OpenTicket> all = read("", "", false, 10);
    ASSERT_EQ(Ids(all), (std::vector<int32_t>{4, 1, 5, 3}));
    std::vector<std::string> shown;
    for (const OpenTicket& ticket : all)
        shown.push_back(ticket.state);
    EXPECT_EQ(shown, (std::vector<std::string>{"Checked in", "Waiting", "Checked in", "Waiting"}));
    EXPECT_EQ(all[1].promisedBy.year, 2004);
    EXPECT_EQ(all[1].promisedBy.month, 3);
    EXPECT_EQ(all[1].promisedBy.day, 1);
    EXPECT_FALSE(all[0].promisedBy.IsSet());
    EXPECT_FALSE(IsOverdue(all[1], {2004, 3, 1}));
    EXPECT_TRUE(IsOverdue(all[1], {2004, 3, 2}));
    EXPECT_FALSE(IsOverdue(all[0], {2030, 1, 1}));

    // Earliest promised first, none last in the order of assignment.
    EXPECT_EQ(Ids(read("", "", true, 10)), (std::vector<int32_t>{3, 1, 4, 5}));
    EXPECT_EQ(Ids(read("", "Checked in", false, 1)), (std::vector<int32_t>{4, 5}));
    EXPECT_EQ(Ids(read("Dana", "Waiting", true, 1)), (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(Ids(read("Dana", "Checked in", false, 1)), (std::vector<int32_t>{}));
    EXPECT_EQ(Ids(read("Eve", "Checked in", false, 1)), (std::vector<int32_t>{4}));
    EXPECT_EQ(Ids(read("", "Done", false, 1)), (std::vector<int32_t>{}));
}
