#include "dbframework/DBFrameWork_CalendarDate.h"

#include "dbframework/DBFrameWork_DBObjectBase.h"

namespace DBFrameWork {

CalendarDate DateOf(const IBPP::Timestamp& timestamp)
{
    CalendarDate date;
    timestamp.GetDate(date.year, date.month, date.day);
    return date;
}

CalendarDate DateFromValueText(const std::string& text)
{
    if (text.empty())
        return CalendarDate();
    // A time of day follows the date after a space; the day alone is kept.
    return DateOf(ToTimestamp(text.substr(0, text.find(' '))));
}

std::string ValueTextOf(const CalendarDate& date)
{
    if (!date.IsSet())
        return std::string();
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + std::to_string(date.year);
}

}  // namespace DBFrameWork
