#include "dbframework/DBFrameWork_TransactionGuard.h"

#include "dbframework/DBFrameWork_Platform.h"

namespace DBFrameWork {

TransactionGuard::TransactionGuard(DBConnection& connection) : Connection(connection)
{
    Connection.StartTransaction(true);
    IsOwned = Connection.IsTransactionActive();
}

TransactionGuard::~TransactionGuard()
{
    if (IsOwned)
        RollBack();
}

void TransactionGuard::Commit()
{
    if (!IsOwned)
        return;
    Connection.Commit();
    IsOwned = false;
}

bool TransactionGuard::RollBack()
{
    if (!IsOwned || !Connection.IsTransactionActive())
        return false;
    IsOwned = false;
    try {
        Connection.Rollback();
        return true;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    }
    return false;
}

}  // namespace DBFrameWork
