#include "dbframework/DBFrameWork_ImportDates.h"

#include <cctype>

namespace DBFrameWork {
namespace {

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The digits at `at` (at most maxDigits), moved past; -1 when there are none.
int ReadNumber(const std::string& text, size_t& at, size_t maxDigits, size_t& digits)
{
    int value = 0;
    digits = 0;
    while (at < text.size() && IsDigit(text[at]) && digits < maxDigits) {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    return digits > 0 ? value : -1;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsCalendarDay(int year, int month, int day)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    return day <= days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

int FullYear(int year, size_t digits)
{
    if (digits != 2)
        return year;
    return year <= 68 ? 2000 + year : 1900 + year;
}

// What may follow the date: nothing, or a time of day after a space (or a
// "T" in ISO 8601); the time itself is not read.
bool EndsTheDate(const std::string& text, size_t at, bool iso)
{
    if (at == text.size())
        return true;
    if (text[at] == ' ' || (iso && (text[at] == 'T' || text[at] == 't')))
        return at + 1 < text.size() && IsDigit(text[at + 1]);
    return false;
}

bool ReadParts(const std::string& text, ImportDateFormat format, CalendarDate& date)
{
    size_t at = 0, digits = 0;
    if (format == ImportDateFormat::Iso8601) {
        const int year = ReadNumber(text, at, 4, digits);
        if (digits != 4 || at >= text.size() || text[at] != '-')
            return false;
        ++at;
        const int month = ReadNumber(text, at, 2, digits);
        if (digits != 2 || at >= text.size() || text[at] != '-')
            return false;
        ++at;
        const int day = ReadNumber(text, at, 2, digits);
        if (digits != 2 || !EndsTheDate(text, at, true) || !IsCalendarDay(year, month, day))
            return false;
        date = {year, month, day};
        return true;
    }
    const int first = ReadNumber(text, at, 2, digits);
    if (first < 0 || at >= text.size())
        return false;
    const char separator = text[at];
    if (separator != '/' && separator != '.' && separator != '-')
        return false;
    ++at;
    const int second = ReadNumber(text, at, 2, digits);
    if (second < 0 || at >= text.size() || text[at] != separator)
        return false;
    ++at;
    const int year = ReadNumber(text, at, 4, digits);
    if (digits != 2 && digits != 4)
        return false;
    if (!EndsTheDate(text, at, false))
        return false;
    const int month = format == ImportDateFormat::MonthDayYear ? first : second;
    const int day = format == ImportDateFormat::MonthDayYear ? second : first;
    const int fullYear = FullYear(year, digits);
    if (!IsCalendarDay(fullYear, month, day))
        return false;
    date = {fullYear, month, day};
    return true;
}

}  // namespace

std::string DateFormatName(ImportDateFormat format)
{
    switch (format) {
    case ImportDateFormat::MonthDayYear:
        return "month/day/year";
    case ImportDateFormat::DayMonthYear:
        return "day/month/year";
    case ImportDateFormat::Iso8601:
        return "year-month-day (ISO 8601)";
    }
    return std::string();
}

bool ReadImportDate(const std::string& text, ImportDateFormat format, CalendarDate& date, std::string& reason)
{
    const std::string value = Trimmed(text);
    reason.clear();
    if (value.empty()) {
        date = CalendarDate();
        return true;
    }
    CalendarDate read;
    if (!ReadParts(value, format, read)) {
        reason = value + " is not a date in " + DateFormatName(format);
        return false;
    }
    date = read;
    return true;
}

ImportDateFormat GuessDateFormat(const std::vector<std::string>& samples)
{
    // In the order that wins a tie.
    const ImportDateFormat formats[] = {ImportDateFormat::MonthDayYear, ImportDateFormat::Iso8601,
                                        ImportDateFormat::DayMonthYear};
    ImportDateFormat best = ImportDateFormat::MonthDayYear;
    size_t bestCount = 0;
    for (const ImportDateFormat format : formats) {
        size_t count = 0;
        for (const std::string& sample : samples) {
            const std::string value = Trimmed(sample);
            CalendarDate date;
            count += !value.empty() && ReadParts(value, format, date) ? 1 : 0;
        }
        if (count > bestCount) {
            best = format;
            bestCount = count;
        }
    }
    return best;
}

}  // namespace DBFrameWork
