#include "dbframework/DBFrameWork_SchemaVersion.h"

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

const char* const Uncaught = "Uncaught Exception in the schema version";

bool HoldsVersionTable(IBPP::Statement& statement)
{
    statement->Prepare("SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'SCHEMAVERSION'");
    statement->Execute();
    const bool holds = statement->Fetch();
    statement->Close();
    return holds;
}

}  // namespace

bool ReadSchemaVersion(DBConnection& connection, int& version)
{
    version = 0;
    return RunRead(connection, Uncaught, [&](IBPP::Statement& statement) {
        if (!HoldsVersionTable(statement))
            return;
        // MAX: two desks that migrated an older file at once may each have put in the row.
        statement->Prepare("SELECT MAX(Version) FROM SchemaVersion");
        statement->Execute();
        int32_t recorded = 0;
        if (statement->Fetch() && !statement->Get(1, recorded))
            version = recorded;
        statement->Close();
    });
}

bool LayOutSchemaVersionTable(DBConnection& connection)
{
    return RunInTransaction(connection, Uncaught, [&](IBPP::Statement& statement) {
        if (!HoldsVersionTable(statement))
            statement->ExecuteImmediate("CREATE TABLE SchemaVersion (Version INTEGER NOT NULL);");
    });
}

void RecordSchemaVersion(IBPP::Statement& statement, int version)
{
    statement->Prepare("UPDATE SchemaVersion SET Version = ? WHERE Version < ?");
    statement->Set(1, static_cast<int32_t>(version));
    statement->Set(2, static_cast<int32_t>(version));
    statement->Execute();
    statement->Prepare("INSERT INTO SchemaVersion (Version) SELECT CAST(? AS INTEGER) FROM RDB$DATABASE "
                       "WHERE NOT EXISTS (SELECT 1 FROM SchemaVersion)");
    statement->Set(1, static_cast<int32_t>(version));
    statement->Execute();
}

}  // namespace DBFrameWork
