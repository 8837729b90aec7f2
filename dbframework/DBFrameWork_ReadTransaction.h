// The frame of a read: a read-only transaction of the connection (or the one
// the caller started, which it leaves open); engine errors go to the debug
// output and the answer is false. An error that is not the engine's or the
// library's (a caller's visitor) rolls back and goes on to the caller.
#pragma once

#include <stdexcept>
#include <string>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"

namespace DBFrameWork {

template <typename Body>
bool RunRead(DBConnection& connection, const std::string& uncaughtText, Body body)
{
    const bool joined = connection.IsTransactionActive();
    try {
        connection.StartTransaction(false);
        IBPP::Statement statement = connection.GetStatement();
        body(statement);
        statement.reset();
        if (!joined)
            connection.Commit();
        return true;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (const std::exception& error) {
        OutputDebugString(uncaughtText + ": " + error.what());
    } catch (...) {
        if (!joined && connection.IsTransactionActive())
            connection.Rollback();
        throw;
    }
    if (!joined && connection.IsTransactionActive()) {
        try {
            connection.Rollback();
        } catch (const IBPP::Exception& error) {
            OutputDebugString(error.ErrorMessage());
        }
    }
    return false;
}

}  // namespace DBFrameWork
