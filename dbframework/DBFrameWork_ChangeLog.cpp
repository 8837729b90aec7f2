#include "dbframework/DBFrameWork_ChangeLog.h"

#include <algorithm>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

const char* const Uncaught = "Uncaught Exception in LayOutChangeLog";

// Each object with the statement that makes it, in the order they are made.
struct LogObject {
    const char* name;  // as the catalogue stores it
    const char* sql;
};

// A change of a key is logged under the old key too: the index drops it there.
const LogObject LogObjects[] = {
    {"FINDCHANGE",
     "CREATE TABLE FindChange (ChangeSeq BIGINT NOT NULL, ProblemID INTEGER NOT NULL, "
     "CONSTRAINT PK$FindChange PRIMARY KEY (ChangeSeq));"},
    {"FINDCHANGEVALUE", "CREATE GENERATOR FindChangeValue;"},
    {"FINDIDENTITY", "CREATE TABLE FindIdentity (Token VARCHAR(40) NOT NULL);"},
    {"FINDCHANGE_PROBLEM",
     "CREATE TRIGGER FindChange_Problem FOR Problem AFTER INSERT OR UPDATE OR DELETE AS "
     "BEGIN "
     "  IF (NOT DELETING) THEN INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), NEW.ProblemID); "
     "  IF (DELETING OR (UPDATING AND NEW.ProblemID IS DISTINCT FROM OLD.ProblemID)) THEN "
     "    INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), OLD.ProblemID); "
     "END"},
    {"FINDCHANGE_SYSTEMINFO",
     "CREATE TRIGGER FindChange_SystemInfo FOR SystemInfo AFTER INSERT OR UPDATE OR DELETE AS "
     "BEGIN "
     "  IF (NOT DELETING) THEN INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), NEW.ProblemID); "
     "  IF (DELETING OR (UPDATING AND NEW.ProblemID IS DISTINCT FROM OLD.ProblemID)) THEN "
     "    INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), OLD.ProblemID); "
     "END"},
    // A save writes the customer row again unchanged: only a real change
    // touches the customer's tickets.
    {"FINDCHANGE_CUSTOMER",
     "CREATE TRIGGER FindChange_Customer FOR Customer AFTER UPDATE OR DELETE AS "
     "DECLARE VARIABLE Key INTEGER; "
     "BEGIN "
     "  IF (DELETING OR NEW.CustomerID IS DISTINCT FROM OLD.CustomerID OR NEW.Name IS DISTINCT FROM OLD.Name "
     "      OR NEW.Address IS DISTINCT FROM OLD.Address OR NEW.City IS DISTINCT FROM OLD.City "
     "      OR NEW.State IS DISTINCT FROM OLD.State OR NEW.Zip IS DISTINCT FROM OLD.Zip) THEN "
     "    FOR SELECT ProblemID FROM Problem WHERE CustomerID = OLD.CustomerID OR CustomerID = NEW.CustomerID "
     "        INTO :Key DO "
     "      INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), :Key); "
     "END"},
};

bool ReadLogNames(DBConnection& connection, std::set<std::string>& names)
{
    return RunRead(connection, Uncaught, [&](IBPP::Statement& statement) {
        statement->Prepare(
            "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME STARTING WITH 'FIND' "
            "UNION ALL SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME STARTING WITH 'FIND' "
            "UNION ALL SELECT TRIM(RDB$TRIGGER_NAME) FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME STARTING WITH 'FIND'");
        statement->Execute();
        std::string name;
        while (statement->Fetch())
            if (!statement->Get(1, name))
                names.insert(name);
    });
}

}  // namespace

bool LayOutChangeLog(DBConnection& connection)
{
    std::set<std::string> names;
    return ReadLogNames(connection, names) && LayOutChangeLog(connection, names);
}

bool LayOutChangeLog(DBConnection& connection, const std::set<std::string>& names)
{
    for (const LogObject& object : LogObjects) {
        if (names.count(object.name))
            continue;
        const bool identity = std::string(object.name) == "FINDIDENTITY";
        // One transaction per object: the engine needs a table committed before a trigger may use it.
        if (!RunInTransaction(connection, Uncaught, [&](IBPP::Statement& statement) {
                statement->ExecuteImmediate(object.sql);
            }))
            return false;
        if (identity && !RunInTransaction(connection, Uncaught, [&](IBPP::Statement& statement) {
                statement->ExecuteImmediate("INSERT INTO FindIdentity (Token) VALUES (UUID_TO_CHAR(GEN_UUID()));");
            }))
            return false;
    }
    return true;
}

std::string DataFileIdentity(DBConnection& connection)
{
    std::string identity;
    RunRead(connection, "Uncaught Exception in DataFileIdentity", [&](IBPP::Statement& statement) {
        statement->Prepare(
            "SELECT (SELECT FIRST 1 Token FROM FindIdentity), CAST(MON$CREATION_DATE AS VARCHAR(30)) "
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
