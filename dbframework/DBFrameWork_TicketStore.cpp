#include "dbframework/DBFrameWork_TicketStore.h"

#include <exception>
#include <utility>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FileStore.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "dbframework/DBFrameWork_TransactionGuard.h"

namespace DBFrameWork {
namespace {

// Stores one row. A row that may already be stored is updated; an update that
// changed no row stored nothing, so the row is inserted after all.
bool StoreRow(DBObjectBase& table, const StringList& values, bool mayBeStored)
{
    table.SetValues(values);
    if (mayBeStored) {
        if (!table.Update())
            return false;
        if (table.GetRowsChanged() > 0)
            return true;
    }
    return table.Insert();
}

}  // namespace

bool MatchStoredCustomer(DBConnection& connection, const CustomerRecord& typed, int32_t& customerId)
{
    Customer customer(&connection);
    const StringList customerRow = ValuesOf(typed);
    const StringList customerFields(customerRow.begin() + CustomerColumn::Name, customerRow.end());
    customerId = -1;
    if (!customer.SelectByAll(customerFields))
        return false;
    const StringList found = customer.GetValues();
    if (!found.empty() && !found.front().empty() && found.front() != "0")
        customerId = ToInt(found.front());
    return true;
}

bool TicketStore::Save(DBConnection& connection, TicketRecord& ticket, bool isNew)
{
    // Generator draws are outside the transaction (the engine never takes them back).
    TransactionGuard transaction(connection);
    bool stored = false;
    try {
        stored = StoreRows(connection, ticket, isNew);
        if (stored)
            transaction.Commit();
    } catch (const IBPP::Exception& error) {
        if (!transaction.Owned())
            throw;
        OutputDebugString(error.ErrorMessage());
        stored = false;
    } catch (const std::exception& error) {
        if (!transaction.Owned())
            throw;
        OutputDebugString(std::string("Uncaught Exception in TMainForm::SaveProblem: ") + error.what());
        stored = false;
    }
    if (!stored) {
        // After a rollback none of the rows exist, and the next attempt
        // inserts them at once: an update first would have sent every report
        // twice, the unused copy holding its pages until the end of the
        // transaction, so a save that failed on a full disk failed again once
        // there was room for the ticket.
        PendingRowsMayBeStored = !transaction.RollBack();
        return false;
    }
    ForgetPendingKey();
    // The files' bytes are in the data file now; the window keeps their thumbnails.
    for (TicketFileRecord& file : ticket.Files) {
        file.Content.reset();
        file.Renamed = false;
    }
    ticket.RemovedFiles.clear();
    return true;
}

TicketStore::TicketStore(std::string user) : User(std::move(user))
{}

void TicketStore::ForgetPendingKey()
{
    PendingProblemID = 0;
    PendingRowsMayBeStored = false;
}

bool TicketStore::StoreRows(DBConnection& connection, TicketRecord& ticket, bool isNew)
{
    Customer customer(&connection);
    Problem problem(&connection);
    SystemInfo systemInfo(&connection);

    int32_t& customerId = ticket.Customer.CustomerID;
    if (!MatchStoredCustomer(connection, ticket.Customer, customerId))
        return false;

    // A customer that matches no stored one is added, for an opened ticket too.
    const bool customerIsNew = customerId == -1;
    if (customerIsNew) {
        customerId = customer.GetGenerator("CustomerIDValue", 1);
        // Key 0 reads as "no customer" in the search: never store it.
        if (customerId <= 0)
            return false;
    }
    if (!StoreRow(customer, ValuesOf(ticket.Customer), !customerIsNew))
        return false;

    bool ticketMayBeStored = !isNew;
    if (isNew) {
        if (PendingProblemID > 0) {
            ticket.Problem.ProblemID = PendingProblemID;
            ticketMayBeStored = PendingRowsMayBeStored;
        } else {
            const int drawn = problem.GetGenerator("ProblemIDValue", 1);
            if (drawn <= 0)
                return false;
            ticket.Problem.ProblemID = drawn;
            PendingProblemID = drawn;
        }
    }
    ticket.Problem.CustomerID = customerId;
    ticket.SystemInfo.ProblemID = ticket.Problem.ProblemID;
    if (!StoreRow(problem, ValuesOf(ticket.Problem), ticketMayBeStored))
        return false;
    if (!StoreRow(systemInfo, ValuesOf(ticket.SystemInfo), ticketMayBeStored))
        return false;
    return SaveJob(connection, ticket, User) && SaveFiles(connection, ticket, User, PendingRowsMayBeStored);
}

TicketLoad TicketStore::Load(DBConnection& connection, const StringList& problemValues, TicketRecord& ticket)
{
    ReadValues(problemValues, ticket.Problem);
    Customer customer(&connection);
    if (!customer.Select({std::to_string(ticket.Problem.CustomerID)}))
        return TicketLoad::CustomerMissing;
    ReadValues(customer.GetValues(), ticket.Customer);
    SystemInfo systemInfo(&connection);
    if (!systemInfo.Select({std::to_string(ticket.Problem.ProblemID)}))
        return TicketLoad::SystemInfoMissing;
    ReadValues(systemInfo.GetValues(), ticket.SystemInfo);
    // A job that cannot be read (the reason went to the debug output) leaves
    // the ticket as the older program shows it.
    LoadJob(connection, ticket);
    LoadFiles(connection, ticket.Problem.ProblemID, ticket.Files);
    return TicketLoad::Loaded;
}

}  // namespace DBFrameWork
