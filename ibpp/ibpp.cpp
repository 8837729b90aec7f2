#include "ibpp/ibpp.h"

#include <atomic>

#include "ibpp/ClientLibrary.h"
#include "ibpp/EngineCall.h"
#include "ibpp/Handles.h"
#include "ibpp/Interrupts.h"
#include "ibpp/StatementImpl.h"

namespace IBPP {

bool CheckVersion(uint32_t version)
{
    Client::Load();
    return version == Version;
}

Database DatabaseFactory(const std::string& serverName, const std::string& databaseName, const std::string& userName,
                         const std::string& userPassword, const std::string& roleName, const std::string& charSet,
                         const std::string& createParams)
{
    Client::Load();
    return std::make_shared<DatabaseImpl>(serverName, databaseName, userName, userPassword, roleName, charSet,
                                          createParams);
}

Transaction TransactionFactory(Database database, TAM access, TIL isolation, TLR lockResolution, TFF flags)
{
    Client::Load();
    return std::make_shared<TransactionImpl>(DatabaseOf(database), access, isolation, lockResolution, flags);
}

namespace {

std::shared_ptr<TransactionImpl> TransactionOn(const std::shared_ptr<DatabaseImpl>& database,
                                               const Transaction& transaction)
{
    auto implementation = TransactionOf(transaction);
    if (&implementation->Database() != database.get())
        throw Exception("The transaction belongs to another database");
    return implementation;
}

}  // namespace

Statement StatementFactory(Database database, Transaction transaction, const std::string& sql)
{
    Client::Load();
    auto databaseImpl = DatabaseOf(database);
    auto statement = std::make_shared<StatementImpl>(databaseImpl, TransactionOn(databaseImpl, transaction));
    if (!sql.empty())
        statement->Prepare(sql);
    return statement;
}

Blob BlobFactory(Database database, Transaction transaction)
{
    Client::Load();
    auto databaseImpl = DatabaseOf(database);
    return std::make_shared<BlobImpl>(databaseImpl, TransactionOn(databaseImpl, transaction));
}

void SetInterruptHandler(InterruptHandler handler)
{
    Interrupts::SetHandler(handler);
}

bool Shutdown()
{
    static std::atomic<bool> done{false};
    const Client::Api* api = Client::Loaded();
    if (!api || done.exchange(true))
        return true;
    // A call left waiting keeps the engine from ever finishing its shutdown.
    if (Client::AnyAbandoned())
        return false;
    try {
        Client::Bounded("Shutting the database engine down", [api](ISC_STATUS*) {
            api->shutdown(0, fb_shutrsn_app_stopped);
            return FB_API_HANDLE{0};
        });
    } catch (const EngineNotAnswering& error) {
        Client::Notice(error.ErrorMessage());
        return false;
    }
    return true;
}

}  // namespace IBPP
