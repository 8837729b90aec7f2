#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_ChangeLog.h"
#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_Migrations.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/datafiles/TestSupport.h"

using namespace DBFrameWork;
using Lines = std::vector<std::string>;
using TestSupport::DebugCapture;

namespace {

// The file's own schema as the engine's catalogue holds it, trigger sources
// and index segments included; names the engine makes up (RDB$n, INTEG_n) aside.
Lines Catalogue(TestDatabase& db)
{
    return db.Query(
        "SELECT 'table ' || TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "ORDER BY 1;"
        "SELECT 'column ' || TRIM(rf.RDB$RELATION_NAME) || '.' || TRIM(rf.RDB$FIELD_NAME) || ' ' || "
        "rf.RDB$FIELD_POSITION || ' ' || f.RDB$FIELD_TYPE || ' ' || f.RDB$FIELD_LENGTH || ' ' || "
        "COALESCE(rf.RDB$NULL_FLAG, 0) FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f "
        "ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE WHERE COALESCE(rf.RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1;"
        "SELECT 'generator ' || TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "ORDER BY 1;"
        "SELECT 'constraint ' || TRIM(RDB$CONSTRAINT_NAME) || ' ' || TRIM(RDB$CONSTRAINT_TYPE) || ' ' || "
        "TRIM(RDB$RELATION_NAME) || ' ' || TRIM(RDB$INDEX_NAME) FROM RDB$RELATION_CONSTRAINTS "
        "WHERE RDB$CONSTRAINT_TYPE <> 'NOT NULL' ORDER BY 1;"
        "SELECT 'index ' || TRIM(i.RDB$INDEX_NAME) || ' ' || TRIM(i.RDB$RELATION_NAME) || ' ' || "
        "COALESCE(i.RDB$UNIQUE_FLAG, 0) || ' ' || COALESCE(i.RDB$INDEX_INACTIVE, 0) || ' ' || "
        "s.RDB$FIELD_POSITION || ' ' || TRIM(s.RDB$FIELD_NAME) FROM RDB$INDICES i JOIN RDB$INDEX_SEGMENTS s "
        "ON s.RDB$INDEX_NAME = i.RDB$INDEX_NAME WHERE COALESCE(i.RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1;"
        "SELECT 'trigger ' || TRIM(RDB$TRIGGER_NAME) || ' ' || TRIM(RDB$RELATION_NAME) || ' ' || "
        "RDB$TRIGGER_TYPE || ' ' || COALESCE(RDB$TRIGGER_INACTIVE, 0) || ' ' || "
        "CAST(RDB$TRIGGER_SOURCE AS VARCHAR(2000)) FROM RDB$TRIGGERS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
        "ORDER BY 1;");
}

Lines Version(TestDatabase& db)
{
    return db.Query("SELECT Version FROM SchemaVersion;");
}

// What a search index knows the file by.
Lines Token(TestDatabase& db)
{
    return db.Query("SELECT Token FROM FindIdentity;");
}

// Through isql: an attachment of its own may drop a table that the program's
// attachment has just changed rows of, which the engine refuses to that one.
void Change(TestDatabase& db, const Lines& statements)
{
    std::string script;
    for (const std::string& sql : statements)
        script += sql + ";\nCOMMIT;\n";
    EXPECT_EQ(db.Query(script), Lines()) << script;
}

SchemaOutcome LayOut(TestDatabase& db)
{
    std::string failed;
    return LayOutSchema(db.Connection(), failed);
}

bool HasLineStarting(const Lines& lines, const std::string& start)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

const int Latest = LatestVersion(SchemaMigrations());

}  // namespace

TEST(SchemaVersion, AFileOfAnyAgeOrCutOffMidwayComesOutAsANewFileAndStaysSo)
{
    TestDatabase fresh(false);
    ASSERT_EQ(LayOut(fresh), SchemaOutcome::Completed);
    const Lines expected = Catalogue(fresh);
    for (const char* start :
         {"table FINDCHANGE", "table FINDIDENTITY", "table SCHEMAVERSION", "generator FINDCHANGEVALUE",
          "trigger FINDCHANGE_PROBLEM PROBLEM ", "trigger FINDCHANGE_SYSTEMINFO SYSTEMINFO ",
          "trigger FINDCHANGE_CUSTOMER CUSTOMER ", "index IX$PROBLEM_ASSIGNEDID PROBLEM 0 0 0 ASSIGNED",
          "index IX$PROBLEM_ASSIGNEDID PROBLEM 0 0 1 PROBLEMID", "index IX$PROBLEM_COMPLETED PROBLEM 0 0 0 COMPLETED"})
        EXPECT_TRUE(HasLineStarting(expected, start)) << start;
    EXPECT_EQ(Version(fresh), Lines({std::to_string(Latest)}));

    // What each file lacks, taken from a whole one; the first has only the three tables.
    struct Damage {
        const char* what;
        Lines statements;
        bool keepsToken;
    };
    const std::vector<Damage> damages = {
        {"three tables only", {}, false},
        {"the program before versions", {"DROP TABLE SchemaVersion"}, true},
        {"version behind",
         {"DROP TABLE FindIdentity", "DROP INDEX IX$Problem_AssignedID", "DROP INDEX IX$Problem_Completed",
          "UPDATE SchemaVersion SET Version = 2"},
         false},
        {"change log without its triggers, no version",
         {"DROP TRIGGER FindChange_Problem", "DROP TRIGGER FindChange_SystemInfo", "DROP TRIGGER FindChange_Customer",
          "DROP TABLE FindIdentity", "DROP INDEX IX$Problem_Completed", "DROP TABLE SchemaVersion"},
         false},
        {"version table and identity without their rows",
         {"DELETE FROM SchemaVersion", "DELETE FROM FindIdentity", "DROP INDEX IX$Problem_Completed"},
         false},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        TestDatabase db;
        if (!damage.statements.empty()) {
            ASSERT_EQ(LayOut(db), SchemaOutcome::Whole);
            Change(db, damage.statements);
        }
        const Lines tokenBefore = Token(db);
        DebugCapture debug;
        ASSERT_EQ(LayOut(db), SchemaOutcome::Whole);
        EXPECT_EQ(debug.Lines(), Lines());
        EXPECT_EQ(Catalogue(db), expected);
        EXPECT_EQ(Version(db), Lines({std::to_string(Latest)}));
        const Lines token = Token(db);
        EXPECT_EQ(token.size(), 1u);
        if (damage.keepsToken) {
            EXPECT_EQ(token, tokenBefore);
        }

        ASSERT_EQ(LayOut(db), SchemaOutcome::Whole);
        EXPECT_EQ(Catalogue(db), expected);
        EXPECT_EQ(Version(db), Lines({std::to_string(Latest)}));
        EXPECT_EQ(Token(db), token);
    }
}

TEST(SchemaVersion, ATableLaidOutAgainGetsItsAdditionsBackWhateverTheFileRecords)
{
    TestDatabase db;
    ASSERT_EQ(LayOut(db), SchemaOutcome::Whole);
    const Lines whole = Catalogue(db);
    // Its trigger goes with it; the file still records the latest version.
    Change(db, {"DROP TABLE SystemInfo"});
    EXPECT_EQ(LayOut(db), SchemaOutcome::Completed);
    EXPECT_EQ(Catalogue(db), whole);
}

TEST(SchemaVersion, ANewerProgramsFileIsLeftAsItIsEvenWithATableMissing)
{
    TestDatabase db(false);
    Customer customer(&db.Connection());
    ASSERT_TRUE(customer.Create());
    Change(db,
           {"CREATE TABLE SchemaVersion (Version INTEGER NOT NULL)",
            "INSERT INTO SchemaVersion VALUES (" + std::to_string(Latest + 1) + ")"});
    const Lines before = Catalogue(db);
    EXPECT_EQ(LayOut(db), SchemaOutcome::Newer);
    EXPECT_EQ(Catalogue(db), before);
    EXPECT_EQ(Version(db), Lines({std::to_string(Latest + 1)}));
}

TEST(SchemaVersion, AFailedMigrationIsToldAndTheFileOpensAtTheVersionBefore)
{
    // Someone else's FindChange, which the log's triggers cannot write to.
    TestDatabase db;
    Change(db, {"CREATE TABLE FindChange (Other INTEGER)"});
    DebugCapture debug;
    EXPECT_EQ(LayOut(db), SchemaOutcome::Whole);
    EXPECT_TRUE(debug.Contains("The change log of the search could not be laid out"));
    EXPECT_EQ(Version(db), Lines({"1"}));
    const Lines catalogue = Catalogue(db);
    EXPECT_FALSE(HasLineStarting(catalogue, "trigger "));
    EXPECT_FALSE(HasLineStarting(catalogue, "table FINDIDENTITY"));

    // Within a migration, what went in before the failing step goes too, and nothing after it runs.
    std::vector<Migration> migrations = SchemaMigrations();
    migrations.push_back({Latest + 1,
                          "probe",
                          "The probe could not be laid out",
                          {{StepKind::Add, "PROBE", "CREATE TABLE Probe (Mark INTEGER)"},
                           {StepKind::Add, "PROBE_BROKEN", "CREATE TABLE Probe_Broken (Mark NO_SUCH_DOMAIN)"}}});
    migrations.push_back(
        {Latest + 2, "after the probe", "unexpected", {{StepKind::Add, "LATER", "CREATE TABLE Later (Mark INTEGER)"}}});
    TestDatabase whole;
    ASSERT_EQ(LayOut(whole), SchemaOutcome::Whole);
    const Lines before = Catalogue(whole);
    debug.Clear();
    EXPECT_FALSE(RunMigrations(whole.Connection(), Latest, migrations));
    EXPECT_TRUE(debug.Contains("The probe could not be laid out"));
    EXPECT_FALSE(debug.Contains("unexpected"));
    EXPECT_EQ(Catalogue(whole), before);
    EXPECT_EQ(Version(whole), Lines({std::to_string(Latest)}));
}

TEST(SchemaVersion, ALaterColumnOfCustomerComesWithItsTriggerReplaced)
{
    std::vector<Migration> migrations = SchemaMigrations();
    migrations.push_back({Latest + 1,
                          "customer email",
                          "The email could not be added",
                          {{StepKind::Add, "CUSTOMER.EMAIL", "ALTER TABLE Customer ADD Email VARCHAR(120)"}}});
    migrations.push_back({Latest + 2,
                          "log the email",
                          "The email could not be logged",
                          {{StepKind::Replace, "FINDCHANGE_CUSTOMER",
                            "CREATE OR ALTER TRIGGER FindChange_Customer FOR Customer AFTER UPDATE OR DELETE AS "
                            "DECLARE VARIABLE Key INTEGER; "
                            "BEGIN "
                            "  IF (DELETING OR NEW.Email IS DISTINCT FROM OLD.Email) THEN "
                            "    FOR SELECT ProblemID FROM Problem WHERE CustomerID = OLD.CustomerID INTO :Key DO "
                            "      INSERT INTO FindChange VALUES (GEN_ID(FindChangeValue, 1), :Key); "
                            "END"}}});
    TestDatabase db;
    ASSERT_EQ(LayOut(db), SchemaOutcome::Whole);
    ASSERT_TRUE(RunMigrations(db.Connection(), Latest, migrations));
    const Lines migrated = Catalogue(db);
    EXPECT_TRUE(HasLineStarting(migrated, "column CUSTOMER.EMAIL "));
    // Both there, an older version recorded: the column is not added twice, the trigger is put in again.
    Change(db, {"UPDATE SchemaVersion SET Version = " + std::to_string(Latest)});
    DebugCapture debug;
    ASSERT_TRUE(RunMigrations(db.Connection(), Latest, migrations));
    EXPECT_EQ(debug.Lines(), Lines());
    EXPECT_EQ(Catalogue(db), migrated);
    EXPECT_EQ(Version(db), Lines({std::to_string(Latest + 2)}));

    Change(db,
           {"INSERT INTO Customer (CustomerID, Name) VALUES (1, 'Ann')",
            "INSERT INTO Problem (ProblemID, CustomerID) VALUES (1, 1)"});
    const int64_t sequence = LastChangeSequence(db.Connection());
    Change(db, {"UPDATE Customer SET Email = 'ann@example.com' WHERE CustomerID = 1"});
    EXPECT_EQ(LastChangeSequence(db.Connection()), sequence + 1);
    // To this program the file is now a newer one's.
    EXPECT_EQ(LayOut(db), SchemaOutcome::Newer);
}
