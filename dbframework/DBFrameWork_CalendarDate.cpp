#include "dbframework/DBFrameWork_CalendarDate.h"

#include "dbframework/DBFrameWork_DBObjectBase.h"

namespace DBFrameWork {

CalendarDate DateOf(const IBPP::Timestamp& timestamp)
{
    CalendarDate date;
    timestamp.GetDate(date.year, date.month, date.day);
    return date;
}

CalendarDate ReadDate(IBPP::Statement& statement, int column)
{
    IBPP::Timestamp timestamp;
    // Get answers true for NULL.
    if (statement->Get(column, timestamp))
        return CalendarDate();
    return DateOf(timestamp);
}

CalendarDate DateFromValueText(const std::string& text)
{
    if (text.empty())
        return CalendarDate();
    // A time of day follows the date after a space; the day alone is kept.
    return DateOf(ToTimestamp(text.substr(0, text.find(' '))));
}

namespace {

// Days since 1970-01-01, counted in whole 400-year eras of the calendar.
long long DayNumber(const CalendarDate& date)
{
    const long long year = date.year - (date.month <= 2 ? 1 : 0);
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

long long DaysBetween(const CalendarDate& from, const CalendarDate& to)
{
    return DayNumber(to) - DayNumber(from);
}

std::string ValueTextOf(const CalendarDate& date)
{
    if (!date.IsSet())
        return std::string();
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + std::to_string(date.year);
}

}  // namespace DBFrameWork
