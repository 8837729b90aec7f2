#include "dbframework/DBFrameWork_Migration.h"

#include <algorithm>
#include <set>

#include "dbframework/DBFrameWork_Catalogue.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_SchemaVersion.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

bool HoldsRow(IBPP::Statement& statement, const std::string& table)
{
    statement->Prepare("SELECT FIRST 1 1 FROM " + table);
    statement->Execute();
    const bool holds = statement->Fetch();
    statement->Close();
    return holds;
}

bool IsDone(IBPP::Statement& statement, const MigrationStep& step, const std::set<std::string>& names)
{
    switch (step.kind) {
    case StepKind::Add:
        return names.count(step.name) > 0;
    case StepKind::AddRow:
        return HoldsRow(statement, step.name);
    case StepKind::Replace:
        return false;
    }
    return false;
}

bool RunMigration(DBConnection& connection, const Migration& migration)
{
    return RunInTransaction(connection, "Uncaught Exception in the migration " + migration.name,
                            [&](IBPP::Statement& statement) {
                                std::set<std::string> names;
                                ReadCatalogueNames(statement, names);
                                for (const MigrationStep& step : migration.steps)
                                    if (!IsDone(statement, step, names))
                                        statement->ExecuteImmediate(step.sql);
                                RecordSchemaVersion(statement, migration.version);
                            });
}

}  // namespace

int LatestVersion(const std::vector<Migration>& migrations)
{
    int latest = 0;
    for (const Migration& migration : migrations)
        latest = std::max(latest, migration.version);
    return latest;
}

bool RunMigrations(DBConnection& connection, int recordedVersion, const std::vector<Migration>& migrations)
{
    if (recordedVersion >= LatestVersion(migrations))
        return true;
    if (!LayOutSchemaVersionTable(connection)) {
        OutputDebugString("The schema version could not be recorded in the data file");
        return false;
    }
    for (const Migration& migration : migrations) {
        if (migration.version <= recordedVersion)
            continue;
        if (!RunMigration(connection, migration)) {
            OutputDebugString(migration.failureText);
            return false;
        }
    }
    return true;
}

}  // namespace DBFrameWork
