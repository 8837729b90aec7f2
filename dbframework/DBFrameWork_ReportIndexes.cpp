#include "dbframework/DBFrameWork_ReportIndexes.h"

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

struct ReportIndex {
    const char* name;  // as the catalogue stores it
    const char* definition;
};

// Assigned serves the hours report's date range and the order of the open
// tickets; Completed finds the open ones. CustomerID, for a customer's
// history, is indexed by its foreign key already.
const ReportIndex Indexes[] = {
    {"IX$PROBLEM_ASSIGNED", "CREATE INDEX IX$Problem_Assigned ON Problem (Assigned)"},
    {"IX$PROBLEM_COMPLETED", "CREATE INDEX IX$Problem_Completed ON Problem (Completed)"},
};

}  // namespace

bool LayOutReportIndexes(DBConnection& connection)
{
    for (const ReportIndex& index : Indexes) {
        bool present = false;
        if (!RunInTransaction(connection, "Uncaught Exception in LayOutReportIndexes", [&](IBPP::Statement& statement) {
                statement->Prepare("SELECT 1 FROM RDB$INDICES WHERE RDB$INDEX_NAME = ?");
                statement->Set(1, std::string(index.name));
                statement->Execute();
                present = statement->Fetch();
                statement->Close();
            }))
            return false;
        if (present)
            continue;
        if (!RunInTransaction(connection, "Uncaught Exception in LayOutReportIndexes",
                              [&](IBPP::Statement& statement) { statement->ExecuteImmediate(index.definition); }))
            return false;
    }
    return true;
}

}  // namespace DBFrameWork
