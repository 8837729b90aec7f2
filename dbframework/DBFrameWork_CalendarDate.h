// The program's one date: a calendar day as the data file stores it in a
// TIMESTAMP (the time of day is not used by the program); all zero stands for
// "no date".
#pragma once

#include <string>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool IsSet() const { return year != 0; }
};

// The day of a stored timestamp.
CalendarDate DateOf(const IBPP::Timestamp& timestamp);
// The day in a TIMESTAMP column of the row fetched; "no date" for NULL.
CalendarDate ReadDate(IBPP::Statement& statement, int column);
// A value list's date text ("month/day/year", perhaps followed by a time of
// day) as a day; "no date" for the empty text.
CalendarDate DateFromValueText(const std::string& text);
// The day as a value list holds it, "month/day/year"; the empty text (NULL)
// for "no date".
std::string ValueTextOf(const CalendarDate& date);
// Days from `from` to `to` in the Gregorian calendar; negative when `to` comes first.
long long DaysBetween(const CalendarDate& from, const CalendarDate& to);

}  // namespace DBFrameWork
