#include "dbframework/DBFrameWork_Schema.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "dbframework/DBFrameWork_Catalogue.h"
#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Migrations.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_SchemaVersion.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

// One table of the data file with the named objects its Create() makes.
struct TableLayout {
    DBObjectBase* table;
    // Constraints, indexes and triggers: they go when the table is dropped.
    StringList parts;
    // Generators outlive their table and are dropped on their own.
    StringList generators;
};

// The tables in the order they are laid out: a table's foreign keys refer only
// to tables before it. What a new data file holds is added here.
class SchemaTables {
public:
    explicit SchemaTables(DBConnection* connection) : customer(connection), problem(connection), systemInfo(connection)
    {}

    std::vector<TableLayout> Layouts()
    {
        return {
            {&customer, {"PK$Customer"}, {"CustomerIDValue"}},
            {&problem, {"PK$Problem", "FK$Problem_Customer"}, {"ProblemIDValue"}},
            {&systemInfo, {"PK$SystemInfo", "FK$SystemInfo_Problem"}, {}},
        };
    }

private:
    Customer customer;
    Problem problem;
    SystemInfo systemInfo;
};

// The catalogue stores unquoted names in capitals.
std::string Stored(const std::string& name)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

bool ReadNames(DBConnection& connection, std::set<std::string>& names)
{
    return RunRead(connection, "Uncaught Exception in LayOutSchema",
                   [&](IBPP::Statement& statement) { ReadCatalogueNames(statement, names); });
}

bool HoldsRow(DBConnection& connection, const std::string& table, bool& holds)
{
    return RunInTransaction(connection, "Uncaught Exception in LayOutSchema", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT FIRST 1 1 FROM " + table + ";");
        statement->Execute();
        holds = statement->Fetch();
        statement->Close();
    });
}

bool Execute(DBConnection& connection, const std::string& sql)
{
    return RunInTransaction(connection, "Uncaught Exception in LayOutSchema",
                            [&](IBPP::Statement& statement) { statement->ExecuteImmediate(sql); });
}

// The additions come after the tables they watch. A failed one has said so in
// the debug output; the file opens all the same.
void AddMigrations(DBConnection& connection, int recordedVersion)
{
    RunMigrations(connection, recordedVersion, SchemaMigrations());
}

}  // namespace

SchemaOutcome LayOutSchema(DBConnection& connection, std::string& failedTable)
{
    SchemaTables schema(&connection);
    const std::vector<TableLayout> layouts = schema.Layouts();
    std::vector<DBObjectBase*> tables;
    for (const TableLayout& layout : layouts)
        tables.push_back(layout.table);

    // Until something is laid out, a failure is one to make the first table.
    failedTable = tables.front()->GetTableName();
    std::set<std::string> names;
    int version = 0;
    if (!ReadNames(connection, names) || !ReadSchemaVersion(connection, version))
        return SchemaOutcome::Unreadable;
    // What a newer program made of the file is its own; not even a missing table is ours to mend.
    if (version > LatestVersion(SchemaMigrations())) {
        failedTable.clear();
        OutputDebugString("The data file was laid out by a newer program; it is left as it is");
        return SchemaOutcome::Newer;
    }
    const auto present = [&](const std::string& name) { return names.count(Stored(name)) > 0; };
    const auto whole = [&](size_t index) {
        const TableLayout& layout = layouts[index];
        return present(tables[index]->GetTableName()) &&
            std::all_of(layout.parts.begin(), layout.parts.end(), present) &&
            std::all_of(layout.generators.begin(), layout.generators.end(), present);
    };

    size_t first = 0;
    while (first < tables.size() && whole(first))
        ++first;
    if (first == tables.size()) {
        failedTable.clear();
        AddMigrations(connection, version);
        return SchemaOutcome::Whole;
    }

    // A stored ticket is never put at risk to mend a schema.
    for (DBObjectBase* table : tables) {
        bool holds = false;
        if (!present(table->GetTableName()))
            continue;
        if (!HoldsRow(connection, table->GetTableName(), holds))
            return SchemaOutcome::Unreadable;
        if (holds) {
            OutputDebugString("The data file lacks part of its tables but holds rows; it is left as it is");
            return SchemaOutcome::HoldsRows;
        }
    }

    // Later tables first: their foreign keys hold on to the earlier ones.
    for (size_t index = tables.size(); index-- > first;) {
        const std::string name = tables[index]->GetTableName();
        failedTable = name;
        if (present(name) && !Execute(connection, "DROP TABLE " + name + ";"))
            return SchemaOutcome::Failed;
        for (const std::string& generator : layouts[index].generators)
            if (present(generator) && !Execute(connection, "DROP GENERATOR " + generator + ";"))
                return SchemaOutcome::Failed;
    }
    for (size_t index = first; index < tables.size(); ++index) {
        failedTable = tables[index]->GetTableName();
        if (!tables[index]->Create())
            return SchemaOutcome::Failed;
    }
    failedTable.clear();
    // The triggers and indexes of a table laid out again went with the old
    // one, whatever the file records: every migration looks again.
    AddMigrations(connection, 0);
    return SchemaOutcome::Completed;
}

bool IsServerPath(const std::string& path)
{
    return !IBPP::ServerOf(path).empty();
}

std::string ServerName(const std::string& path)
{
    return IBPP::ServerOf(path);
}

}  // namespace DBFrameWork
