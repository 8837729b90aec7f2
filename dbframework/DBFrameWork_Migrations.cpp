#include "dbframework/DBFrameWork_Migrations.h"

namespace DBFrameWork {
namespace {

// Without these the search and the reports are slower or behind, but right:
// the file opens all the same.
const char* const ChangeLogFailure = "The change log of the search could not be laid out";
const char* const ReportIndexFailure = "The report indexes could not be added to the data file";

}  // namespace

const std::vector<Migration>& SchemaMigrations()
{
    static const std::vector<Migration> migrations = {
        // The engine itself writes the key of every ticket whose Problem,
        // Customer or SystemInfo row changes, with a sequence number, so that
        // a search index learns of changes made by any program or desk.
        {1,
         "change log",
         ChangeLogFailure,
         {
             {StepKind::Add, "FINDCHANGE",
              "CREATE TABLE FindChange (ChangeSeq BIGINT NOT NULL, ProblemID INTEGER NOT NULL, "
              "CONSTRAINT PK$FindChange PRIMARY KEY (ChangeSeq));"},
             {StepKind::Add, "FINDCHANGEVALUE", "CREATE GENERATOR FindChangeValue;"},
         }},
        // A change of a key is logged under the old key too: the index drops it there.
        {2,
         "change log triggers",
         ChangeLogFailure,
         {
             {StepKind::Add, "FINDCHANGE_PROBLEM",
              "CREATE TRIGGER FindChange_Problem FOR Problem AFTER INSERT OR UPDATE OR DELETE AS "
              "BEGIN "
              "  IF (NOT DELETING) THEN INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), NEW.ProblemID); "
              "  IF (DELETING OR (UPDATING AND NEW.ProblemID IS DISTINCT FROM OLD.ProblemID)) THEN "
              "    INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), OLD.ProblemID); "
              "END"},
             {StepKind::Add, "FINDCHANGE_SYSTEMINFO",
              "CREATE TRIGGER FindChange_SystemInfo FOR SystemInfo AFTER INSERT OR UPDATE OR DELETE AS "
              "BEGIN "
              "  IF (NOT DELETING) THEN INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), NEW.ProblemID); "
              "  IF (DELETING OR (UPDATING AND NEW.ProblemID IS DISTINCT FROM OLD.ProblemID)) THEN "
              "    INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), OLD.ProblemID); "
              "END"},
             // A save writes the customer row again unchanged: only a real change
             // touches the customer's tickets. A column added to Customer comes
             // with a CREATE OR ALTER of this trigger (StepKind::Replace).
             {StepKind::Add, "FINDCHANGE_CUSTOMER",
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
         }},
        // The token tells one data file from another (DataFileIdentity).
        {3,
         "find identity",
         ChangeLogFailure,
         {
             {StepKind::Add, "FINDIDENTITY", "CREATE TABLE FindIdentity (Token VARCHAR(40) NOT NULL);"},
         }},
        {4,
         "find identity token",
         ChangeLogFailure,
         {
             {StepKind::AddRow, "FINDIDENTITY", "INSERT INTO FindIdentity (Token) VALUES (UUID_TO_CHAR(GEN_UUID()));"},
         }},
        // Assigned (with the key, the list's tie-break) serves the hours report's
        // date range and hands the open tickets over in their order without a
        // sort, so the first screen comes at once; Completed finds the open ones.
        // CustomerID, for a customer's history, is indexed by its foreign key already.
        {5,
         "report indexes",
         ReportIndexFailure,
         {
             {StepKind::Add, "IX$PROBLEM_ASSIGNEDID",
              "CREATE INDEX IX$Problem_AssignedID ON Problem (Assigned, ProblemID)"},
             {StepKind::Add, "IX$PROBLEM_COMPLETED", "CREATE INDEX IX$Problem_Completed ON Problem (Completed)"},
         }},
    };
    return migrations;
}

}  // namespace DBFrameWork
