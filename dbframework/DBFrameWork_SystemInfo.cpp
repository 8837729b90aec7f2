#include "dbframework/DBFrameWork_SystemInfo.h"

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"

namespace DBFrameWork {

SystemInfo::SystemInfo(DBConnection* connection)
    : DBObjectBase(connection)
{
    DefineColumns();
}

SystemInfo::~SystemInfo() = default;

void SystemInfo::DefineColumns()
{
    SetTableName("SystemInfo");
    SetColumns({"ProblemID", "OperatingSystem", "Description"});
    SetTypes({"INTEGER", "VARCHAR(120)", "BLOB SUB_TYPE TEXT"});
    SetKeys({"ProblemID"});
    // Two entries for three columns: every caller sets the whole row before storing it.
    SetValues({"0", ""});
}

bool SystemInfo::Create()
{
    if (!DBObjectBase::Create())
        return false;
    DBConnection& connection = *GetConnection();
    try {
        connection.StartTransaction(true);
        IBPP::Statement statement = connection.GetStatement();
        statement->ExecuteImmediate("ALTER TABLE " + GetTableName() +
                                    " ADD CONSTRAINT FK$SystemInfo_Problem FOREIGN KEY (ProblemID) " +
                                    "REFERENCES Problem (ProblemID);");
        connection.Commit();
        return true;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (...) {
        // This table has no text of its own for other errors.
    }
    connection.Rollback();
    return false;
}

}  // namespace DBFrameWork
