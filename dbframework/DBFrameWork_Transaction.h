// The frame of every table operation: one read-write transaction on the
// connection, committed on success; on any error the library's message (or the
// operation's own text for other errors) goes to the debug output, the
// transaction is rolled back and the answer is false.
//
// A transaction that the caller already started on the connection is joined
// instead: the operation neither commits nor rolls it back, so several
// operations can store their rows together, and the caller, who started it,
// ends it (rolling back when an operation answered false).
#pragma once

#include <string>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"

namespace DBFrameWork {

// uncaughtText is written for errors that are not the library's; an empty
// text writes nothing.
template <typename Body>
bool RunInTransaction(DBConnection& connection, const std::string& uncaughtText, Body body)
{
    const bool joined = connection.IsTransactionActive();
    try {
        connection.StartTransaction(true);
        IBPP::Statement statement = connection.GetStatement();
        body(statement);
        if (!joined)
            connection.Commit();
        return true;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (...) {
        if (!uncaughtText.empty())
            OutputDebugString(uncaughtText);
    }
    if (!joined)
        connection.Rollback();
    return false;
}

}  // namespace DBFrameWork
