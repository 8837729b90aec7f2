#include "dbframework/DBFrameWork_StatementValues.h"

#include <cstdio>

namespace DBFrameWork {

std::string TextOrEmpty(IBPP::Statement& statement, int column)
{
    std::string value;
    if (!statement->IsNull(column))
        statement->Get(column, value);
    return value;
}

int32_t NumberOrZero(IBPP::Statement& statement, int column)
{
    int32_t value = 0;
    if (!statement->IsNull(column))
        statement->Get(column, value);
    return value;
}

std::string MinuteTextOrEmpty(IBPP::Statement& statement, int column)
{
    if (statement->IsNull(column))
        return std::string();
    IBPP::Timestamp time;
    statement->Get(column, time);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    time.GetDate(year, month, day);
    time.GetTime(hour, minute, second);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}

}  // namespace DBFrameWork
