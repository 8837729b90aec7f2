// Dates of an imported file, read in the format the user confirmed: the
// shop's month/day/year (as the program shows dates), day/month/year, or
// ISO 8601. A time of day after the date is dropped, as the program keeps
// days only.
//
// Month/day/year and day/month/year take "/", "." or "-" between the parts,
// and the time after a space ("3/4/2024 10:30 AM"). ISO 8601 is
// yyyy-mm-dd, perhaps followed by "T" or a space and hh:mm[:ss], with
// fractions and a zone after it allowed.
//
// A two-digit year is read as POSIX strptime("%y") reads it: 00 to 68 are
// 2000 to 2068, 69 to 99 are 1969 to 1999. Years before 1900 are refused.
#pragma once

#include <string>
#include <vector>

#include "dbframework/DBFrameWork_CalendarDate.h"

namespace DBFrameWork {

enum class ImportDateFormat { MonthDayYear, DayMonthYear, Iso8601 };

// What the user is shown: "month/day/year", "day/month/year", "year-month-day (ISO 8601)".
std::string DateFormatName(ImportDateFormat format);

// The date in the format; the empty text (after trimming) is "no date" and
// reads. False, with the reason for the user, for a text that is no date in
// the format: "13/45/2024 is not a date in day/month/year".
bool ReadImportDate(const std::string& text, ImportDateFormat format, CalendarDate& date, std::string& reason);

// The format that reads most of a column's first values; on a tie the
// shop's format, then ISO 8601. So 03/04/2024 alone is month/day/year, and
// a 13/04/2024 among the values makes the column day/month/year.
ImportDateFormat GuessDateFormat(const std::vector<std::string>& samples);

}  // namespace DBFrameWork
