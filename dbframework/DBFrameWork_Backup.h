// Backups of the data file through the engine's service manager: a backup is
// only called good after it was restored into a temporary file, validated and
// found to hold as many rows as the data file. Restore swaps a backup in
// without ever touching the current file until the restored one is sound.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "ibpp/ibpp.h"

namespace DBFrameWork {

class DBConnection;

// Receives each line the engine reports while it works.
using ProgressHandler = std::function<void(const std::string& line)>;

struct BackupResult {
    bool Verified = false;
    // The backup written; renamed to say so when its verification failed.
    std::string BackupFile;
    // What failed, for the user; empty on success.
    std::string Failure;
};

struct RestoreResult {
    bool Restored = false;
    // Where the data file as it was before the restore was kept.
    std::string KeptFile;
    std::string Failure;
};

// Row counts of Customer, Problem and SystemInfo, in this order.
using RowCounts = std::vector<long>;

class Backup {
public:
    // The connection's data file is the one backed up and restored; the
    // connection stays attached except for the moment of a restore's swap.
    explicit Backup(DBConnection& connection);

    // The data file as an absolute path, or as a server names it.
    std::string DataFile() const;
    // True for a data file on a server: the service runs there, every backup
    // file name is one of the server's, and its folders are not the program's
    // to list or create.
    bool OnServer() const;
    // "Backups" beside the data file; on a server, the data file's own folder.
    std::string BackupFolder() const;
    // <folder>/<data file's name>-YYYY-MM-DD-HHMM.fbk for the given local time.
    std::string DefaultBackupFile(std::time_t when) const;

    // Backs up into backupFile (its folder is created), then verifies it.
    BackupResult Run(const std::string& backupFile, const ProgressHandler& progress);

    // Replaces the data file with the backup's content; the current file is
    // kept as <name>.before-restore-YYYY-MM-DD-HHMM.fdb. The connection is
    // attached again afterwards, to the restored file or, on failure, to the
    // unchanged current one.
    RestoreResult Restore(const std::string& backupFile, const ProgressHandler& progress, std::time_t when);

    // Verified backups in the backup folder with the default name, oldest first.
    std::vector<std::string> DatedBackups() const;
    // True when one of them was made on the day of `when` (local time).
    bool HasBackupOfDay(std::time_t when) const;
    // Deletes the oldest dated backups beyond `keep`; answers the ones deleted.
    std::vector<std::string> RemoveOldest(int keep) const;

    // The bytes of every ticket's files together; -1 for a file without their
    // table (one that an older program made).
    static int64_t FileBytes(const std::string& databaseFile, const std::string& user, const std::string& password);

    static RowCounts CountRows(const std::string& databaseFile);
    static RowCounts CountRows(const std::string& databaseFile, const std::string& user, const std::string& password);

private:
    // Restores backupFile into target and validates it; throws IBPP::Exception
    // or std::runtime_error with what failed.
    void RestoreAndValidate(const std::string& backupFile, const std::string& target, const ProgressHandler& progress);
    std::string BaseName() const;
    // Files in the backup folder with the default name and this ending, by date.
    std::vector<std::string> DatedFiles(const std::string& ending) const;
    // The server's name for a file of its own ("host/port:" before the path); a local path as it is.
    std::string OnDataFileServer(const std::string& path) const;
    IBPP::Service ConnectService() const;

    DBConnection& Connection;
};

}  // namespace DBFrameWork
