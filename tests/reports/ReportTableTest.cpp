// A report's table in CSV: the hours report's bytes as its own writer had
// them, each kind of cell, and a writing stopped halfway.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbframework/DBFrameWork_ReportTable.h"
#include "dbframework/DBFrameWork_Reports.h"

using namespace DBFrameWork;

namespace {

std::string Csv(const ReportTable& table, const std::function<bool(size_t)>& progress = nullptr, bool* whole = nullptr)
{
    std::string text;
    const bool done = WriteCsv(
        table, [&text](const std::string& line) { text += line; }, progress);
    if (whole)
        *whole = done;
    return text;
}

TEST(ReportTable, TheHoursTableIsWrittenAsTheHoursReportWasWithItsTotals)
{
    const std::vector<HoursReportRow> rows = {{"=cmd|' /C calc'!A0", 1, 4, 1}, {"Dana, Ann", 2, 0, 0}};
    EXPECT_EQ(Csv(HoursTable(rows, "Customer")),
              "Customer,Tickets,Actual Hours,Billable Hours,Billable %\r\n"
              "'=cmd|' /C calc'!A0,1,4,1,25.0\r\n"
              "\"Dana, Ann\",2,0,0,\r\n"
              "Total,3,4,1,25.0\r\n");
    // No groups: the header and a totals row of nothing.
    EXPECT_EQ(Csv(HoursTable({}, "Month")), "Month,Tickets,Actual Hours,Billable Hours,Billable %\r\nTotal,0,0,0,\r\n");
}

TEST(ReportTable, EachKindOfCellKeepsItsMeaningAndAStoppedWritingLeavesTheRestOut)
{
    ReportTable table;
    table.columns = {{"Note", CellKind::Text}, {"Change", CellKind::Number}, {"Assigned", CellKind::Date}};
    table.rows.push_back({ReportCell::Text("-5"), ReportCell::Whole(-5), ReportCell::Day({2004, 1, 5})});
    table.rows.push_back({ReportCell::Empty(CellKind::Text), ReportCell::Decimal(2.75, 1), ReportCell::Day({})});
    // A negative count is a number; the same text is guarded as a formula would be.
    EXPECT_EQ(Csv(table), "Note,Change,Assigned\r\n'-5,-5,2004-01-05\r\n,2.8,\r\n");

    ReportTable many = HoursTable(std::vector<HoursReportRow>(600, HoursReportRow{"Dana", 1, 1, 1}), "Technician");
    std::vector<size_t> told;
    bool whole = true;
    const std::string stopped = Csv(
        many,
        [&told](size_t rows) {
            told.push_back(rows);
            return false;
        },
        &whole);
    EXPECT_FALSE(whole);
    EXPECT_EQ(told, std::vector<size_t>{256});
    // The header and the rows up to the stop; no totals of a table not written.
    size_t lines = 0;
    for (size_t at = stopped.find("\r\n"); at != std::string::npos; at = stopped.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 257u);
    EXPECT_EQ(stopped.find("Total"), std::string::npos);
}

TEST(ReportTable, OpenTicketsCountTheirAgeInCalendarDaysAndADaylessOneHasNone)
{
    std::vector<OpenTicket> tickets(3);
    tickets[0].assigned = {2003, 6, 1};
    tickets[0].customerName = "Jones";
    tickets[0].actualHours = 3;
    tickets[1].assigned = {1999, 12, 31};
    EXPECT_EQ(Csv(OpenTicketsTable(tickets, {2004, 6, 1})),
              "Assigned,Age (days),Customer,Technician,Problem,Hours,State,Promised\r\n"
              "2003-06-01,366,Jones,,,3,,\r\n"
              "1999-12-31,1614,,,,0,,\r\n"
              ",,,,,0,,\r\n");
    EXPECT_EQ(DaysBetween({2000, 3, 1}, {2000, 2, 28}), -2);  // 2000 was a leap year
    EXPECT_EQ(DaysBetween({1900, 3, 1}, {1900, 2, 28}), -1);  // 1900 was not
}

TEST(ReportTable, AnOpenTicketPastItsPromisedDaySaysSoInItsStateForThePage)
{
    std::vector<OpenTicket> tickets(3);
    tickets[0].state = "In repair";
    tickets[0].promisedBy = {2004, 5, 31};
    tickets[1].state = "Ready";
    tickets[1].promisedBy = {2004, 6, 1};  // due today: not yet overdue
    tickets[2].promisedBy = {2004, 1, 1};
    EXPECT_EQ(Csv(OpenTicketsTable(tickets, {2004, 6, 1})),
              "Assigned,Age (days),Customer,Technician,Problem,Hours,State,Promised\r\n"
              ",,,,,0,In repair (Overdue),2004-05-31\r\n"
              ",,,,,0,Ready,2004-06-01\r\n"
              ",,,,,0,Overdue,2004-01-01\r\n");
    // The screen's row keeps the state as it is: its colour and spoken text say it.
    EXPECT_EQ(OpenTicketRow(tickets[0], {2004, 6, 1})[OpenTicketStateColumn].text, "In repair");
}

}  // namespace
