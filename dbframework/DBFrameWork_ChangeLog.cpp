#include "dbframework/DBFrameWork_ChangeLog.h"

#include <algorithm>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"

namespace DBFrameWork {

std::string DataFileIdentity(DBConnection& connection)
{
    std::string identity;
    RunRead(connection, "Uncaught Exception in DataFileIdentity", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT (SELECT FIRST 1 Token FROM FindIdentity), CAST(MON$CREATION_DATE AS VARCHAR(30)) "
                           "FROM MON$DATABASE");
        statement->Execute();
        if (statement->Fetch()) {
            std::string token, created;
            statement->Get(1, token);
            statement->Get(2, created);
            identity = token + " " + created;
        }
        statement->Close();
    });
    return identity;
}

int64_t LastChangeSequence(DBConnection& connection)
{
    int64_t sequence = -1;
    RunRead(connection, "Uncaught Exception in LastChangeSequence", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT GEN_ID(FindChangeValue, 0) FROM RDB$DATABASE");
        statement->Execute();
        if (statement->Fetch())
            statement->Get(1, sequence);
        statement->Close();
    });
    return sequence;
}

bool ReadChanges(DBConnection& connection, int64_t after, size_t limit, std::vector<TicketChange>& changes)
{
    changes.clear();
    return RunRead(connection, "Uncaught Exception in ReadChanges", [&](IBPP::Statement& statement) {
        // The bound text keeps the 64-bit number whole through the client layer's setters.
        statement->Prepare("SELECT ChangeSeq, ProblemID FROM FindChange WHERE ChangeSeq > CAST(? AS BIGINT) "
                           "ORDER BY ChangeSeq ROWS ?");
        statement->Set(1, std::to_string(after));
        statement->Set(2, static_cast<int32_t>(std::min<size_t>(limit, 1000000)));
        statement->Execute();
        TicketChange change;
        while (statement->Fetch()) {
            statement->Get(1, change.Sequence);
            statement->Get(2, change.ProblemID);
            changes.push_back(change);
        }
    });
}

}  // namespace DBFrameWork
