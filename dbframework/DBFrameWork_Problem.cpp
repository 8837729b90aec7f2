#include "dbframework/DBFrameWork_Problem.h"

#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {

Problem::Problem(DBConnection* connection) : DBObjectBase(connection)
{
    DefineColumns();
}

Problem::~Problem() = default;

void Problem::DefineColumns()
{
    const TableDefinition& table = ProblemTable();
    SetTableName(table.Name);
    SetColumns(table.ColumnNames());
    SetTypes(table.DeclaredTypes());
    SetKeys({table.Key});
    SetValues({"0", "", "", "", "0", "0", "", "", "", "0"});
}

bool Problem::Create()
{
    if (!DBObjectBase::Create())
        return false;
    // Generator and foreign key share one transaction: a failed key takes the generator with it.
    return RunInTransaction(*GetConnection(), "Uncaught Exception in Problem::Create", [&](IBPP::Statement& statement) {
        statement->ExecuteImmediate("CREATE GENERATOR ProblemIDValue;");
        statement->ExecuteImmediate("ALTER TABLE " + GetTableName() +
                                    " ADD CONSTRAINT FK$Problem_Customer FOREIGN KEY (CustomerID) " +
                                    "REFERENCES Customer (CustomerID);");
    });
}

}  // namespace DBFrameWork
