#include "dbframework/DBFrameWork_SystemInfo.h"

#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {

SystemInfo::SystemInfo(DBConnection* connection) : DBObjectBase(connection)
{
    DefineColumns();
}

SystemInfo::~SystemInfo() = default;

void SystemInfo::DefineColumns()
{
    const TableDefinition& table = SystemInfoTable();
    SetTableName(table.Name);
    SetColumns(table.ColumnNames());
    SetTypes(table.DeclaredTypes());
    SetKeys({table.Key});
    // Two entries for three columns: every caller sets the whole row before storing it.
    SetValues({"0", ""});
}

bool SystemInfo::Create()
{
    if (!DBObjectBase::Create())
        return false;
    // This table writes no text of its own for errors that are not the library's.
    return RunInTransaction(*GetConnection(), "", [&](IBPP::Statement& statement) {
        statement->ExecuteImmediate("ALTER TABLE " + GetTableName() +
                                    " ADD CONSTRAINT FK$SystemInfo_Problem FOREIGN KEY (ProblemID) " +
                                    "REFERENCES Problem (ProblemID);");
    });
}

}  // namespace DBFrameWork
