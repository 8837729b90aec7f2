#include "ibpp/TimestampConversion.h"

#include <string>

namespace IBPP {

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        throw Exception("Month " + std::to_string(month) + " is out of range (1 to 12)");
    const bool leapYear = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leapYear ? 29 : days[month - 1];
}

namespace {

// Days since 1 March of year 0 in the proleptic Gregorian calendar.
long DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

void CivilFromDays(long days, int& year, int& month, int& day)
{
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

// ISC_DATE counts days from 17 November 1858.
const long EngineEpoch = DaysFromCivil(1858, 11, 17);

constexpr ISC_TIME TicksPerSecond = 10000;

}  // namespace

Timestamp::Timestamp(int year, int month, int day, int hour, int minute, int second)
{
    SetDate(year, month, day);
    SetTime(hour, minute, second);
}

void Timestamp::SetDate(int year, int month, int day)
{
    if (year < 1 || year > 9999)
        throw Exception("Invalid date: year " + std::to_string(year) + " is outside 1 to 9999");
    if (month < 1 || month > 12)
        throw Exception("Invalid date: month " + std::to_string(month) + " is outside 1 to 12");
    if (day < 1 || day > DaysInMonth(year, month))
        throw Exception("Invalid date: " + std::to_string(year) + "-" + std::to_string(month) + " has no day " +
                        std::to_string(day));
    year_ = year;
    month_ = month;
    day_ = day;
}

void Timestamp::GetDate(int& year, int& month, int& day) const
{
    year = year_;
    month = month_;
    day = day_;
}

void Timestamp::SetTime(int hour, int minute, int second, int tenthousandths)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || tenthousandths < 0 ||
        tenthousandths > 9999)
        throw Exception("Invalid time: " + std::to_string(hour) + ":" + std::to_string(minute) + ":" +
                        std::to_string(second) + "." + std::to_string(tenthousandths));
    hour_ = hour;
    minute_ = minute;
    second_ = second;
    tenthousandths_ = tenthousandths;
}

void Timestamp::GetTime(int& hour, int& minute, int& second) const
{
    hour = hour_;
    minute = minute_;
    second = second_;
}

void Timestamp::GetTime(int& hour, int& minute, int& second, int& tenthousandths) const
{
    GetTime(hour, minute, second);
    tenthousandths = tenthousandths_;
}

bool Timestamp::operator==(const Timestamp& other) const
{
    return year_ == other.year_ && month_ == other.month_ && day_ == other.day_ && hour_ == other.hour_ &&
        minute_ == other.minute_ && second_ == other.second_ && tenthousandths_ == other.tenthousandths_;
}

ISC_DATE ToEngineDate(const Timestamp& value)
{
    int year, month, day;
    value.GetDate(year, month, day);
    return static_cast<ISC_DATE>(DaysFromCivil(year, month, day) - EngineEpoch);
}

ISC_TIME ToEngineTime(const Timestamp& value)
{
    int hour, minute, second, tenthousandths;
    value.GetTime(hour, minute, second, tenthousandths);
    return ((hour * 60 + minute) * 60 + second) * TicksPerSecond + tenthousandths;
}

Timestamp FromEngine(ISC_DATE date, ISC_TIME time)
{
    int year, month, day;
    CivilFromDays(static_cast<long>(date) + EngineEpoch, year, month, day);
    Timestamp value;
    value.SetDate(year, month, day);
    const ISC_TIME seconds = time / TicksPerSecond;
    value.SetTime(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                  static_cast<int>(time % TicksPerSecond));
    return value;
}

}  // namespace IBPP
