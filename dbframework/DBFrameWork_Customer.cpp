#include "dbframework/DBFrameWork_Customer.h"

#include <stdexcept>

#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

bool IsCharacterType(const std::string& type)
{
    return type.find("CHAR") != std::string::npos;
}

}  // namespace

Customer::Customer(DBConnection* connection) : DBObjectBase(connection)
{
    DefineColumns();
}

Customer::~Customer() = default;

void Customer::DefineColumns()
{
    const TableDefinition& table = CustomerTable();
    SetTableName(table.Name);
    SetColumns(table.ColumnNames());
    SetTypes(table.DeclaredTypes());
    SetKeys({table.Key});
    SetValues({"0", "", "", "", "", ""});
}

bool Customer::Create()
{
    if (!DBObjectBase::Create())
        return false;
    return RunInTransaction(
        *GetConnection(), "Uncaught Exception in Customer::Create",
        [&](IBPP::Statement& statement) { statement->ExecuteImmediate("CREATE GENERATOR CustomerIDValue;"); });
}

bool Customer::SelectByAll(const StringList& values)
{
    const StringList keys = GetKeys();
    const StringList columns = GetColumns();
    const StringList types = GetTypes();
    StringList row = GetValues();
    const size_t keyCount = keys.size();
    if (values.size() + keyCount < columns.size())
        throw std::runtime_error("Select parameters missing in Customer::SelectByAll");

    // An empty field is stored as NULL; it takes part in the search as the empty
    // text, so that the empty search value ("%") finds it and any other does not.
    StringList conditions;
    for (size_t i = keyCount; i < columns.size(); ++i)
        conditions.push_back(IsCharacterType(types.at(i)) ? "COALESCE(" + columns[i] + ", '') LIKE ?"
                                                          : columns[i] + " LIKE ?");
    std::string sql = "SELECT ";
    for (size_t i = 0; i < columns.size(); ++i)
        sql += (i > 0 ? ", " : "") + columns[i];
    sql += " FROM " + GetTableName() + " WHERE ";
    for (size_t i = 0; i < conditions.size(); ++i)
        sql += (i > 0 ? " AND " : "") + conditions[i];
    sql += ";";

    return RunInTransaction(
        *GetConnection(), "Uncaught Exception in Customer::SelectByAll", [&](IBPP::Statement& statement) {
            statement->Prepare(sql);
            int parameter = 1;
            for (size_t i = keyCount; i < columns.size(); ++i, ++parameter)
                BindValue(statement, parameter, MatchingPattern(values[i - keyCount], CustomerTable().Columns.at(i)),
                          types.at(i));
            statement->Execute();
            // Only the first match is taken; without one the row reads as a fresh customer's.
            statement->Fetch();
            row.clear();
            for (size_t i = 0; i < columns.size(); ++i) {
                std::string value;
                ReadValue(statement, static_cast<int>(i) + 1, value, types.at(i));
                row.push_back(value);
            }
            SetValues(row);
            statement->Close();
        });
}

}  // namespace DBFrameWork
