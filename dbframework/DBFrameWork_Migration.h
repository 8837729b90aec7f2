// One addition to the data file's schema and how it goes in. Its steps and its
// version bump commit together, so the recorded version never claims what is
// not there; each step first looks whether its object is there already, so a
// file that got some of it another way (an earlier build of this program, a
// run cut off) comes out the same as any other. Additions only: a program
// that knows fewer versions keeps reading and writing the file.
#pragma once

#include <string>
#include <vector>

namespace DBFrameWork {

class DBConnection;

enum class StepKind {
    Add,  // a CREATE, or ALTER TABLE ... ADD of a column: run where the catalogue lacks the name
    AddRow,  // INSERT: run where the table of that name holds no row
    Replace,  // CREATE OR ALTER: always run, it puts the object in this form whatever form it had
};

struct MigrationStep {
    StepKind kind;
    std::string name;  // as the catalogue stores it; a column as TABLE.COLUMN
    std::string sql;
};

// The engine uses a table, generator or column only once it is committed: a
// step that uses one made by another step goes in a later migration.
struct Migration {
    int version;  // what the file records once the steps are in
    std::string name;
    std::string failureText;  // what the debug output says when it fails
    std::vector<MigrationStep> steps;
};

// The highest version among them; 0 for none.
int LatestVersion(const std::vector<Migration>& migrations);

// Runs, in their order, the migrations above recordedVersion (as
// ReadSchemaVersion read it), making the version table first where it is
// missing. At the first that fails, its failureText goes to the debug output,
// its transaction is rolled back, none after it runs and the answer is false.
bool RunMigrations(DBConnection& connection, int recordedVersion, const std::vector<Migration>& migrations);

}  // namespace DBFrameWork
