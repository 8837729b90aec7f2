// A fresh data file in a temporary folder with a connection attached to it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "settings/Quenbrook_Configuration.h"
#include "tests/support/datafiles/TestSupport.h"

class TestDatabase {
public:
    // Creates and attaches the data file; with tables, also Customer, Problem and SystemInfo.
    explicit TestDatabase(bool withTables = true);
    ~TestDatabase();

    DBFrameWork::DBConnection& Connection() { return *connection_; }
    const std::string& Path() const { return path_; }
    // Detaches (the engine holds the file exclusively), runs the SQL through
    // isql-fb and attaches again; the lines it printed, trimmed, without empties.
    std::vector<std::string> Query(const std::string& sql);

private:
    TestSupport::TempDir dir_;
    std::string path_;
    Quenbrook::Configuration config_;
    std::unique_ptr<DBFrameWork::DBConnection> connection_;
};

// isql's printed lines, trimmed, without empty ones.
std::vector<std::string> OutputLines(const std::string& output);
