#include "dbframework/DBFrameWork_Problem.h"

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"

namespace DBFrameWork {

Problem::Problem(DBConnection* connection)
    : DBObjectBase(connection)
{
    DefineColumns();
}

Problem::~Problem() = default;

void Problem::DefineColumns()
{
    SetTableName("Problem");
    SetColumns({"ProblemID", "Technician", "Assigned", "Completed", "BillableHours", "ActualHours", "Description",
                "Resolution", "Comment", "CustomerID"});
    SetTypes({"INTEGER", "VARCHAR(120)", "TIMESTAMP", "TIMESTAMP", "INTEGER", "INTEGER", "BLOB SUB_TYPE TEXT",
              "BLOB SUB_TYPE TEXT", "BLOB SUB_TYPE TEXT", "INTEGER"});
    SetKeys({"ProblemID"});
    SetValues({"0", "", "", "", "0", "0", "", "", "", "0"});
}

bool Problem::Create()
{
    if (!DBObjectBase::Create())
        return false;
    DBConnection& connection = *GetConnection();
    try {
        // Generator and foreign key share one transaction: a failed key takes the generator with it.
        connection.StartTransaction(true);
        IBPP::Statement statement = connection.GetStatement();
        statement->ExecuteImmediate("CREATE GENERATOR ProblemIDValue;");
        statement->ExecuteImmediate("ALTER TABLE " + GetTableName() +
                                    " ADD CONSTRAINT FK$Problem_Customer FOREIGN KEY (CustomerID) " +
                                    "REFERENCES Customer (CustomerID);");
        connection.Commit();
        return true;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (...) {
        OutputDebugString("Uncaught Exception in Problem::Create");
    }
    connection.Rollback();
    return false;
}

}  // namespace DBFrameWork
