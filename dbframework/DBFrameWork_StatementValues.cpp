#include "dbframework/DBFrameWork_StatementValues.h"

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

}  // namespace DBFrameWork
