// Loads and saves whole tickets: the three rows of one ticket are read, or
// stored together in one transaction of the store's own.
#pragma once

#include <cstdint>
#include <string>

#include "dbframework/DBFrameWork_DBObjectBase.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_TicketRecord.h"

namespace DBFrameWork {

class DBConnection;

enum class TicketLoad { Loaded, CustomerMissing, SystemInfoMissing };

// The stored customer that a save of these fields would take (customerId -1
// for none, so a new one); false when the search failed.
bool MatchStoredCustomer(DBConnection& connection, const CustomerRecord& typed, int32_t& customerId);

class TicketStore {
public:
    // user is who the job's history names for the changes this store saves.
    explicit TicketStore(std::string user = DesktopUserName());

    // Stores the ticket. Its customer is the stored one that SelectByAll
    // matches, or a new one; a new ticket draws its key from the generator,
    // and keeps a key drawn by an earlier attempt that failed, so that no
    // ticket is stored twice. The keys used are written into the record, also
    // when the save fails. False when nothing was stored (the reason went to
    // the debug output); without the attachment the library's error is raised.
    bool Save(DBConnection& connection, TicketRecord& ticket, bool isNew);

    // A new ticket is begun: a key drawn for the one discarded stays with
    // what was stored of it.
    void ForgetPendingKey();

    // Reads the customer, the system information and the job of the ticket
    // whose Problem row is given into the record. The table objects' errors go to
    // the debug output; a row that cannot be read ends the load there.
    TicketLoad Load(DBConnection& connection, const StringList& problemValues, TicketRecord& ticket);

private:
    bool StoreRows(DBConnection& connection, TicketRecord& ticket, bool isNew);

    std::string User;

    // The problem key drawn by a save that did not complete.
    int32_t PendingProblemID = 0;
    // Whether rows of that attempt may be stored after all (its transaction
    // was not rolled back for certain), so that the next attempt looks first.
    bool PendingRowsMayBeStored = false;
};

}  // namespace DBFrameWork
