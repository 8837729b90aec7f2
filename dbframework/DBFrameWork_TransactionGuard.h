// A read-write transaction that its owner ends: committed when asked, rolled
// back when the guard goes out of scope first (an error, an early return).
#pragma once

#include "dbframework/DBFrameWork_DBConnection.h"

namespace DBFrameWork {

class TransactionGuard {
public:
    // Starts the transaction. Without the attachment none starts, and the
    // guard owns nothing: the operations inside then fail as they always do.
    explicit TransactionGuard(DBConnection& connection);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    bool Owned() const { return IsOwned; }
    // Raises the library's error when the engine refuses the commit.
    void Commit();
    // True when nothing of the transaction can have been stored; a refused
    // rollback goes to the debug output.
    bool RollBack();

private:
    DBConnection& Connection;
    bool IsOwned = false;
};

}  // namespace DBFrameWork
