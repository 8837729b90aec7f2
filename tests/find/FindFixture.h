// A data file laid out as the program lays it out (change log included) in a
// temporary folder, with helpers that store tickets through plain SQL.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "tests/support/datafiles/TestSupport.h"

struct StoredTicket {
    int32_t ProblemID = 0;
    std::string Name = "Ann Smith";
    std::string City = "Springfield";
    std::string Technician = "Bob";
    int Year = 2004, Month = 6, Day = 1;
    bool Completed = false;
    std::string Description;
    std::string Resolution;
    std::string Comment;
    std::string OperatingSystem = "Windows XP";
    std::string Report;
};

class FindDataFile {
public:
    FindDataFile();
    ~FindDataFile();

    DBFrameWork::DBConnection& Connection() { return *connection_; }
    const std::string& Path() const { return path_; }
    std::string IndexFolder() const { return path_ + ".find"; }
    TestSupport::TempDir& Dir() { return dir_; }

    // Stores a customer of its own and the ticket's two rows, on connection
    // (the fixture's own when none is given).
    void Add(const StoredTicket& ticket, DBFrameWork::DBConnection* connection = nullptr);
    void Execute(const std::string& sql, DBFrameWork::DBConnection* connection = nullptr);

private:
    TestSupport::TempDir dir_;
    std::string path_;
    std::unique_ptr<DBFrameWork::DBConnection> connection_;
};

// Waits (up to a minute) until no rebuild runs; false when one still does.
bool WaitForIndex(DBFrameWork::FindIndex& index);
// The keys of the hits, in their order.
std::vector<int32_t> Keys(const std::vector<DBFrameWork::FindHit>& hits);
