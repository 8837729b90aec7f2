// A data file laid out as the program lays it out (change log included) in a
// temporary folder, with helpers that store tickets through plain SQL.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_TicketRecord.h"
#include "tests/support/datafiles/TestSupport.h"

// An open ticket with the key given to its problem and to a customer of its
// own; the texts a search looks at are left empty for the test to choose.
DBFrameWork::TicketRecord SampleTicket(int32_t problemID);

class FindDataFile {
public:
    FindDataFile();
    ~FindDataFile();

    DBFrameWork::DBConnection& Connection() { return *connection_; }
    const std::string& Path() const { return path_; }
    std::string IndexFolder() const { return path_ + ".find"; }
    TestSupport::TempDir& Dir() { return dir_; }

    // Stores the ticket's three rows with the keys it carries, on connection
    // (the fixture's own when none is given).
    void Add(const DBFrameWork::TicketRecord& ticket, DBFrameWork::DBConnection* connection = nullptr);
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
