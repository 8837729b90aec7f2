#include "dbframework/DBFrameWork_DBConnection.h"

#include <cerrno>

#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "settings/Quenbrook_Configuration.h"

namespace DBFrameWork {
namespace {

const char* const DefaultDataFile = "./Data/Solutions.fdb";
const char* const User = "SYSDBA";
const char* const Secret = "plumtrove";

IBPP::Transaction MakeTransaction(const IBPP::Database& database, bool write)
{
    // Read committed in its record-version form (the client layer's "ReadDirty",
    // which reads committed data only): a read sees the last committed version
    // of a row that another desk is changing, instead of failing on it. Writes
    // to that row still conflict at once (no wait).
    return IBPP::TransactionFactory(database, write ? IBPP::amWrite : IBPP::amRead, IBPP::ilReadDirty, IBPP::lrNoWait,
                                    IBPP::tfNone);
}

// A server checks the login that the settings give for it; a local file is
// opened with the fixed one, which never goes to a server.
std::string ServerUser(const Quenbrook::Configuration* config, const std::string& path)
{
    if (!IsServerPath(path))
        return User;
    return config ? config->GetDataFileUser() : std::string();
}

std::string ServerPassword(const Quenbrook::Configuration* config, const std::string& path)
{
    if (!IsServerPath(path))
        return Secret;
    return config ? config->GetDataFilePassword() : std::string();
}

// The engine's codes for "I/O error during open" and a refused login.
constexpr int IoErrorCode = 335544344;
constexpr int LoginRefusedCode = 335544472;

DBConnection::ConnectFailure FailureOf(const IBPP::Exception& error)
{
    if (error.EngineCode() == IoErrorCode && error.SystemError() == ENOENT)
        return DBConnection::ConnectFailure::FileMissing;
    if (error.EngineCode() == LoginRefusedCode)
        return DBConnection::ConnectFailure::LoginRefused;
    return DBConnection::ConnectFailure::Other;
}

}  // namespace

// The configured path is taken as it stands; the engine reports a bad one on Connect.
DBConnection::DBConnection(Quenbrook::Configuration* config)
    : DBConnection(config, config ? config->GetDataFile() : std::string(DefaultDataFile))
{}

DBConnection::DBConnection(const std::string& path) : DBConnection(path, User, Secret)
{}

DBConnection::DBConnection(const Quenbrook::Configuration* config, const std::string& path)
    : DBConnection(path, ServerUser(config, path), ServerPassword(config, path))
{}

DBConnection::DBConnection(const std::string& path, const std::string& user, const std::string& password)
    : Path(path), LoginUser(user), LoginPassword(password)
{
    Database = IBPP::DatabaseFactory("", Path, user, password, "", "", "");
    WriteTransaction = MakeTransaction(Database, true);
    ReadTransaction = MakeTransaction(Database, false);
    ReadOnly = true;
    Connected = false;
    TransactionActive = false;
}

const char* DBConnection::UserName()
{
    return User;
}

const char* DBConnection::Password()
{
    return Secret;
}

DBConnection::~DBConnection()
{
    ReadTransaction.reset();
    WriteTransaction.reset();
    Database.reset();
}

bool DBConnection::Create()
{
    try {
        Database->Create(3);
        return true;
    } catch (const IBPP::EngineNotAnswering& error) {
        // The one failure the user can mend, and only when told how.
        OutputDebugString(error.ErrorMessage());
        ShowMessage(error.ErrorMessage());
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (...) {
        OutputDebugString("Uncaught Exception in DBConnection::Create");
    }
    return false;
}

bool DBConnection::Connect()
{
    LastConnectFailure = ConnectFailure::Other;
    try {
        Database->Connect();
        Connected = true;
        LastConnectFailure = ConnectFailure::None;
        return true;
    } catch (const IBPP::EngineNotAnswering& error) {
        // The one failure the user can mend, and only when told how.
        OutputDebugString(error.ErrorMessage());
        ShowMessage(error.ErrorMessage());
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
        LastConnectFailure = FailureOf(error);
    } catch (...) {
        OutputDebugString("Uncaught Exception in DBConnection::Connect");
    }
    Connected = false;
    return false;
}

bool DBConnection::Disconnect()
{
    const bool wasConnected = Connected;
    try {
        Database->Disconnect();
        Connected = false;
        return true;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (...) {
        OutputDebugString("Uncaught Exception in DBConnection::Disconnect");
    }
    Connected = wasConnected;
    return false;
}

void DBConnection::StartTransaction(bool write)
{
    const bool wasReadOnly = ReadOnly;
    const bool wasActive = TransactionActive;
    try {
        // Never nested: while one is active, every caller shares it, whatever kind it asked for.
        if (!TransactionActive) {
            if (write && !WritesRefused) {
                WriteTransaction = MakeTransaction(Database, true);
                WriteTransaction->Start();
                ReadOnly = false;
            } else {
                ReadTransaction = MakeTransaction(Database, false);
                ReadTransaction->Start();
                ReadOnly = true;
            }
        }
        TransactionActive = true;
        return;
    } catch (const IBPP::Exception& error) {
        OutputDebugString(error.ErrorMessage());
    } catch (...) {
        // The caller learns of it from its next call on the transaction.
    }
    ReadOnly = wasReadOnly;
    TransactionActive = wasActive;
}

void DBConnection::Commit()
{
    GetTransaction()->Commit();
    TransactionActive = false;
    ReadOnly = true;
}

void DBConnection::Rollback()
{
    GetTransaction()->Rollback();
    TransactionActive = false;
    ReadOnly = true;
}

IBPP::Transaction DBConnection::NewReadTransaction()
{
    return MakeTransaction(Database, false);
}

IBPP::Database& DBConnection::GetDatabase()
{
    return Database;
}

IBPP::Transaction& DBConnection::GetTransaction()
{
    return ReadOnly ? ReadTransaction : WriteTransaction;
}

IBPP::Statement DBConnection::GetStatement()
{
    return IBPP::StatementFactory(Database, GetTransaction());
}

IBPP::Blob DBConnection::GetBlob()
{
    return IBPP::BlobFactory(Database, GetTransaction());
}

}  // namespace DBFrameWork
