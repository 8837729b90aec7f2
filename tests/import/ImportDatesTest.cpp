#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_ImportDates.h"

using namespace DBFrameWork;

namespace {

std::string Read(const std::string& text, ImportDateFormat format)
{
    CalendarDate date;
    std::string reason;
    if (!ReadImportDate(text, format, date, reason))
        return "refused: " + reason;
    return date.IsSet() ? ValueTextOf(date) : "no date";
}

}  // namespace

TEST(ImportDates, EachFormatReadsItsDatesAndDropsTheTime)
{
    EXPECT_EQ("3/4/2024", Read("03/04/2024", ImportDateFormat::MonthDayYear));
    EXPECT_EQ("3/4/2024", Read("3/4/2024 10:30 AM", ImportDateFormat::MonthDayYear));
    EXPECT_EQ("4/3/2024", Read("03/04/2024", ImportDateFormat::DayMonthYear));
    EXPECT_EQ("12/31/2024", Read("31.12.2024", ImportDateFormat::DayMonthYear));
    EXPECT_EQ("2/29/2024", Read("2024-02-29", ImportDateFormat::Iso8601));
    EXPECT_EQ("2/29/2024", Read("2024-02-29T23:59:59Z", ImportDateFormat::Iso8601));
    EXPECT_EQ("2/29/2024", Read("2024-02-29 08:15", ImportDateFormat::Iso8601));
    EXPECT_EQ("no date", Read("  ", ImportDateFormat::Iso8601));
    // Two-digit years as strptime's %y.
    EXPECT_EQ("7/1/2068", Read("7/1/68", ImportDateFormat::MonthDayYear));
    EXPECT_EQ("7/1/1969", Read("7/1/69", ImportDateFormat::MonthDayYear));
}

TEST(ImportDates, TextThatIsNoDateIsRefusedWithTheReason)
{
    EXPECT_EQ("refused: 13/45/2024 is not a date in day/month/year",
              Read("13/45/2024", ImportDateFormat::DayMonthYear));
    EXPECT_EQ("refused: 13/04/2024 is not a date in month/day/year",
              Read("13/04/2024", ImportDateFormat::MonthDayYear));
    EXPECT_EQ("refused: 2023-02-29 is not a date in year-month-day (ISO 8601)",
              Read("2023-02-29", ImportDateFormat::Iso8601));
    EXPECT_EQ(0u, Read("2024-03-04", ImportDateFormat::MonthDayYear).rfind("refused", 0));
    EXPECT_EQ(0u, Read("3/4/2024x", ImportDateFormat::MonthDayYear).rfind("refused", 0));
    EXPECT_EQ(0u, Read("3/4-2024", ImportDateFormat::MonthDayYear).rfind("refused", 0));
    EXPECT_EQ(0u, Read("3/4/1850", ImportDateFormat::MonthDayYear).rfind("refused", 0));
    EXPECT_EQ(0u, Read("3/4/202", ImportDateFormat::MonthDayYear).rfind("refused", 0));
    EXPECT_EQ(0u, Read("yesterday", ImportDateFormat::Iso8601).rfind("refused", 0));
}

TEST(ImportDates, GuessTakesTheFormatThatReadsMostValues)
{
    // Ambiguous alone: the shop's format.
    EXPECT_EQ(ImportDateFormat::MonthDayYear, GuessDateFormat({"03/04/2024", "05/06/2024"}));
    // A day above 12 decides either way.
    EXPECT_EQ(ImportDateFormat::DayMonthYear, GuessDateFormat({"03/04/2024", "", "25/04/2024"}));
    EXPECT_EQ(ImportDateFormat::MonthDayYear, GuessDateFormat({"03/04/2024", "04/25/2024"}));
    EXPECT_EQ(ImportDateFormat::Iso8601, GuessDateFormat({"2024-03-04 10:00", "2024-12-31"}));
    EXPECT_EQ(ImportDateFormat::MonthDayYear, GuessDateFormat({}));
}
