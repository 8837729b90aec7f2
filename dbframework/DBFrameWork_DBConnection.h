// The one way to the data file: the database handle and its two transactions.
#pragma once

#include <string>

#include "ibpp/ibpp.h"

namespace Quenbrook {
class Configuration;
}

namespace DBFrameWork {

class DBConnection {
public:
    // Reads the data file path from config (the default path without one).
    explicit DBConnection(Quenbrook::Configuration* config);
    // On the data file at path, whatever the settings say: the creation of a
    // new data file lays it out under a name of its own first.
    explicit DBConnection(const std::string& path);
    // On path (the configured data file as the window resolved it), with the
    // login that the settings give for a data file on a server.
    DBConnection(const Quenbrook::Configuration* config, const std::string& path);
    // With the login given.
    DBConnection(const std::string& path, const std::string& user, const std::string& password);
    // Releases the handles; does not disconnect.
    ~DBConnection();
    DBConnection(const DBConnection&) = delete;
    DBConnection& operator=(const DBConnection&) = delete;

    bool Create();
    bool Connect();
    bool Disconnect();

    // Why the last Connect failed, as far as the engine (or server) said.
    enum class ConnectFailure { None, FileMissing, LoginRefused, Other };
    ConnectFailure GetConnectFailure() const { return LastConnectFailure; }

    // Starts a read-write (true) or read-only (false) transaction unless one is active.
    void StartTransaction(bool write);
    // From now on every transaction is read-only, so that the engine refuses
    // any change to the file (one written by a newer program).
    void RefuseWrites() { WritesRefused = true; }
    void Commit();
    void Rollback();

    // A read-only transaction of its own, with the same isolation as the
    // connection's, for a read that stays open across calls (a cursor).
    IBPP::Transaction NewReadTransaction();

    IBPP::Database& GetDatabase();
    IBPP::Transaction& GetTransaction();
    IBPP::Statement GetStatement();
    IBPP::Blob GetBlob();

    // The credentials of every attachment; the service manager needs them too.
    static const char* UserName();
    static const char* Password();

    bool IsReadOnly() const { return ReadOnly; }
    bool IsTransactionActive() const { return TransactionActive; }
    const std::string& GetPath() const { return Path; }
    // The login the data file is opened with.
    const std::string& GetUser() const { return LoginUser; }
    const std::string& GetPassword() const { return LoginPassword; }

private:
    IBPP::Database Database;
    IBPP::Transaction WriteTransaction;
    IBPP::Transaction ReadTransaction;
    bool ReadOnly = true;
    bool WritesRefused = false;

public:
    bool Connected = false;

private:
    bool TransactionActive = false;
    ConnectFailure LastConnectFailure = ConnectFailure::None;
    std::string Path;
    std::string LoginUser;
    std::string LoginPassword;
};

}  // namespace DBFrameWork
