#include "dbframework/DBFrameWork_ReportIndexes.h"

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

struct ReportIndex {
    const char* name;  // as the catalogue stores it
    const char* definition;
};

// Assigned (with the key, the list's tie-break) serves the hours report's
// date range and hands the open tickets over in their order without a sort,
// so the first screen comes at once; Completed finds the open ones. CustomerID, for a customer's
// history, is indexed by its foreign key already.
const ReportIndex Indexes[] = {
    {"IX$PROBLEM_ASSIGNEDID", "CREATE INDEX IX$Problem_AssignedID ON Problem (Assigned, ProblemID)"},
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
