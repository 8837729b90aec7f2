#include "dbframework/DBFrameWork_Backup.h"
#include "dbframework/DBFrameWork_FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <stdexcept>
#include <system_error>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "ibpp/ibpp.h"

namespace DBFrameWork {
namespace fs = std::filesystem;

namespace {

const char* const Tables[] = {"Customer", "Problem", "SystemInfo"};

std::string Stamp(std::time_t when, const char* format)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

// "host/port" and "/path" of "host/port:/path"; no server for a local path.
std::pair<std::string, std::string> SplitServer(const std::string& name)
{
    const std::string server = IBPP::ServerOf(name);
    if (server.empty())
        return {"", name};
    return {server, name.substr(server.size() + 1)};
}

void Follow(IBPP::Service& service, const ProgressHandler& progress)
{
    std::string line;
    while (service->WaitMsg(line))
        if (progress)
            progress(line);
}

// Removes a scratch database file when it goes, whatever path leaves the
// scope. One on a server is dropped through the server, which alone can reach it.
class TemporaryFile {
public:
    TemporaryFile(std::string path, std::string serverName, const DBConnection& login)
        : path_(std::move(path)), serverName_(std::move(serverName)), login_(login)
    {
        Remove();
    }
    ~TemporaryFile() { Remove(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    // The file's name on its server's disk, and as a client names it.
    const std::string& Path() const { return path_; }
    std::string ClientName() const { return serverName_.empty() ? path_ : serverName_ + ":" + path_; }

private:
    void Remove()
    {
        if (serverName_.empty()) {
            std::error_code ignored;
            fs::remove(path_, ignored);
            return;
        }
        try {
            IBPP::Database database = IBPP::DatabaseFactory("", ClientName(), login_.GetUser(), login_.GetPassword());
            database->Connect();
            database->Drop();
        } catch (const IBPP::Exception&) {
            // Nothing there to drop.
        }
    }
    std::string path_;
    std::string serverName_;
    const DBConnection& login_;
};

std::string Describe(const RowCounts& data, const RowCounts& restored)
{
    std::string text;
    for (size_t i = 0; i < data.size() && i < restored.size(); ++i)
        if (data[i] != restored[i])
            text += std::string(text.empty() ? "" : ", ") + Tables[i] + ": " + std::to_string(data[i]) +
                " in the data file, " + std::to_string(restored[i]) + " in the backup";
    return text;
}

// A name that no file has yet: the path itself, else with -2, -3 ... before the extension.
std::string FreeName(const fs::path& path)
{
    if (!fs::exists(path))
        return path.string();
    for (int n = 2;; ++n) {
        fs::path candidate = path.parent_path() /
            (path.stem().string() + "-" + std::to_string(n) + path.extension().string());
        if (!fs::exists(candidate))
            return candidate.string();
    }
}

}  // namespace

Backup::Backup(DBConnection& connection) : Connection(connection)
{}

std::string Backup::DataFile() const
{
    if (OnServer())
        return Connection.GetPath();
    return fs::absolute(Connection.GetPath()).lexically_normal().string();
}

bool Backup::OnServer() const
{
    return IsServerPath(Connection.GetPath());
}

std::string Backup::OnDataFileServer(const std::string& path) const
{
    const std::string server = SplitServer(Connection.GetPath()).first;
    return server.empty() ? path : server + ":" + path;
}

IBPP::Service Backup::ConnectService() const
{
    IBPP::Service service = IBPP::ServiceFactory(SplitServer(Connection.GetPath()).first, Connection.GetUser(),
                                                 Connection.GetPassword());
    service->Connect();
    return service;
}

std::string Backup::BaseName() const
{
    return fs::path(SplitServer(DataFile()).second).stem().string();
}

std::string Backup::BackupFolder() const
{
    const fs::path folder = fs::path(SplitServer(DataFile()).second).parent_path();
    return OnServer() ? folder.string() : (folder / "Backups").string();
}

std::string Backup::DefaultBackupFile(std::time_t when) const
{
    return (fs::path(BackupFolder()) / (BaseName() + Stamp(when, "-%Y-%m-%d-%H%M.fbk"))).string();
}

RowCounts Backup::CountRows(const std::string& databaseFile)
{
    return CountRows(databaseFile, DBConnection::UserName(), DBConnection::Password());
}

RowCounts Backup::CountRows(const std::string& databaseFile, const std::string& user, const std::string& password)
{
    IBPP::Database database = IBPP::DatabaseFactory("", databaseFile, user, password);
    database->Connect();
    RowCounts counts;
    {
        // One snapshot for the three tables.
        IBPP::Transaction transaction = IBPP::TransactionFactory(database, IBPP::amRead, IBPP::ilConcurrency);
        transaction->Start();
        for (const char* table : Tables) {
            IBPP::Statement count = IBPP::StatementFactory(database, transaction,
                                                           std::string("SELECT COUNT(*) FROM ") + table);
            count->Execute();
            int64_t rows = -1;
            if (!count->Fetch() || count->Get(1, rows))
                rows = -1;
            counts.push_back(static_cast<long>(rows));
        }
        transaction->Commit();
    }
    database->Disconnect();
    return counts;
}

int64_t Backup::FileBytes(const std::string& databaseFile, const std::string& user, const std::string& password)
{
    IBPP::Database database = IBPP::DatabaseFactory("", databaseFile, user, password);
    database->Connect();
    int64_t bytes = -1;
    {
        IBPP::Transaction transaction = IBPP::TransactionFactory(database, IBPP::amRead, IBPP::ilConcurrency);
        transaction->Start();
        IBPP::Statement statement = IBPP::StatementFactory(database, transaction);
        statement->Prepare("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'TICKETFILE'");
        statement->Execute();
        int32_t tables = 0;
        if (statement->Fetch() && !statement->Get(1, tables) && tables > 0) {
            // Every blob's length, so that a backup that lost a file's bytes is found out.
            statement->Prepare("SELECT COALESCE(SUM(OCTET_LENGTH(Content)), 0) FROM TicketFile");
            statement->Execute();
            if (!statement->Fetch() || statement->Get(1, bytes))
                bytes = -1;
        }
        transaction->Commit();
    }
    database->Disconnect();
    return bytes;
}

void Backup::RestoreAndValidate(const std::string& backupFile, const std::string& target,
                                const ProgressHandler& progress)
{
    IBPP::Service service = ConnectService();
    service->StartRestore(backupFile, target, false, true);
    Follow(service, progress);
    if (!OnServer() && !MakePrivate(target))
        throw std::runtime_error("the verification copy " + target + " cannot be made private");
    try {
        service->StartValidation(target);
        Follow(service, progress);
    } catch (const IBPP::Exception& error) {
        throw std::runtime_error(std::string("The engine's validation found errors: ") + error.ErrorMessage());
    }
}

BackupResult Backup::Run(const std::string& backupFile, const ProgressHandler& progress)
{
    BackupResult result;
    result.BackupFile = backupFile;
    const std::string dataFile = DataFile();
    const std::string& user = Connection.GetUser();
    const std::string& password = Connection.GetPassword();
    std::string stage = "Backup failed: ";
    // A local backup is written and verified under a name of its own and takes
    // its name only then, so that a crash midway never leaves half a backup
    // under a backup's name, nor destroys the file it was to replace. (A
    // server writes it on its own disk, under its name from the start.)
    const std::string written = OnServer() ? backupFile : backupFile + ".partial";
    try {
        const fs::path folder = fs::path(backupFile).parent_path();
        if (!OnServer() && !folder.empty() && !MakePrivateFolders(folder.string()))
            throw std::runtime_error("the folder " + folder.string() + " cannot be made");
        // What backups cut short by a crash left: only this program writes
        // beside a local data file, so none of them is still being written.
        if (!OnServer()) {
            fs::remove(written);
            for (const std::string& partial : DatedFiles(".fbk.partial"))
                fs::remove(partial);
            for (const std::string& copy : DatedFiles(".fbk.verify.fdb"))
                fs::remove(copy);
            // The engine would make the backup 0666 less the umask: it is the whole data file.
            if (!CreatePrivate(written))
                throw std::runtime_error("the file " + written + " cannot be made");
        }
        // Counted in the snapshot the backup starts from, when nobody else
        // writes; on a server another desk may save meanwhile, and the
        // comparison then names the difference.
        const RowCounts before = CountRows(dataFile, user, password);
        const int64_t bytesBefore = FileBytes(dataFile, user, password);
        {
            IBPP::Service service = ConnectService();
            service->StartBackup(SplitServer(dataFile).second, written, true);
            Follow(service, progress);
        }
        if (!OnServer() && !fs::exists(written))
            throw std::runtime_error("the engine wrote no backup file");

        stage = "Verification failed: ";
        const TemporaryFile restored(backupFile + ".verify.fdb", SplitServer(dataFile).first, Connection);
        RestoreAndValidate(written, restored.Path(), progress);
        const std::string differences = Describe(before, CountRows(restored.ClientName(), user, password));
        if (!differences.empty())
            throw std::runtime_error("the row counts differ (" + differences + ")");
        const int64_t bytesRestored = FileBytes(restored.ClientName(), user, password);
        if (bytesRestored != bytesBefore)
            throw std::runtime_error("the tickets' files hold " + std::to_string(bytesBefore) +
                                     " bytes in the data file and " + std::to_string(bytesRestored) + " in the backup");
        stage = "Backup failed: ";
        if (written != backupFile)
            fs::rename(written, backupFile);
        result.Verified = true;
        return result;
    } catch (const IBPP::Exception& error) {
        result.Failure = stage + error.ErrorMessage();
    } catch (const std::exception& error) {
        result.Failure = stage + error.what();
    }
    OutputDebugString(result.Failure);
    // A backup that could not be verified must not pass for a good one. (A
    // server's file cannot be renamed from here: the message names it.)
    std::error_code missing;
    if (!OnServer() && fs::exists(written, missing)) {
        const fs::path path(backupFile);
        const std::string failedName = FreeName(path.parent_path() /
                                                (path.stem().string() + "-FAILED" + path.extension().string()));
        std::error_code renameError;
        fs::rename(written, failedName, renameError);
        if (!renameError)
            result.BackupFile = failedName;
    }
    return result;
}

RestoreResult Backup::Restore(const std::string& backupFile, const ProgressHandler& progress, std::time_t when)
{
    RestoreResult result;
    if (OnServer()) {
        // The swap is a rename on the server's disk, which only the server's
        // own administrator can do (gbak -c there).
        result.Failure = "Restore failed: a data file on a server is restored on the server itself";
        OutputDebugString(result.Failure);
        return result;
    }
    const fs::path dataFile = DataFile();
    // Beside the data file, so that the swap is a rename on one file system.
    const TemporaryFile restored(dataFile.string() + ".restoring.fdb", "", Connection);
    try {
        if (!fs::exists(backupFile))
            throw std::runtime_error("the backup file " + backupFile + " does not exist");
        RestoreAndValidate(backupFile, restored.Path(), progress);
        // The restored file takes the mode of the file it replaces, never the engine's own 0660.
        std::error_code missing;
        const fs::perms mode = fs::exists(dataFile, missing) ? fs::status(dataFile).permissions()
                                                             : fs::perms::owner_read | fs::perms::owner_write;
        fs::permissions(restored.Path(), mode);
    } catch (const IBPP::Exception& error) {
        result.Failure = std::string("Restore failed: ") + error.ErrorMessage();
    } catch (const std::exception& error) {
        result.Failure = std::string("Restore failed: ") + error.what();
    }
    if (!result.Failure.empty()) {
        OutputDebugString(result.Failure);
        return result;
    }

    const std::string kept = FreeName(
        dataFile.parent_path() /
        (dataFile.stem().string() + ".before-restore-" + Stamp(when, "%Y-%m-%d-%H%M") + ".fdb"));
    if (Connection.Connected && !Connection.Disconnect()) {
        result.Failure = "Restore failed: the data file could not be closed";
        return result;
    }
    // The current file gets its second name as a hard link first, and the
    // restored file then replaces it in one rename: a crash at any moment
    // leaves a whole data file under its name. Where the file system has no
    // hard links, the current file is renamed aside first, as before.
    std::error_code error;
    fs::create_hard_link(dataFile, kept, error);
    const bool linked = !error;
    if (!linked)
        fs::rename(dataFile, kept, error);
    if (!error) {
        fs::rename(restored.Path(), dataFile, error);
        if (error) {
            std::error_code back;
            if (linked)
                fs::remove(kept, back);
            else
                fs::rename(kept, dataFile, back);
        }
    }
    if (error) {
        result.Failure = "Restore failed: the files could not be swapped (" + error.message() + ")";
    } else if (!Connection.Connect()) {
        // Put the current file back exactly as it was; the restored one goes.
        std::error_code back;
        fs::rename(kept, dataFile, back);
        result.Failure = "Restore failed: the restored data file could not be opened";
    }
    if (!result.Failure.empty()) {
        OutputDebugString(result.Failure);
        if (!Connection.Connected)
            Connection.Connect();
        return result;
    }
    result.Restored = true;
    result.KeptFile = kept;
    return result;
}

std::vector<std::string> Backup::DatedBackups() const
{
    return DatedFiles(".fbk");
}

std::vector<std::string> Backup::DatedFiles(const std::string& ending) const
{
    std::vector<std::string> files;
    std::error_code error;
    const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    const std::regex dated(std::regex_replace(BaseName(), special, R"(\$&)") + R"(-\d{4}-\d{2}-\d{2}-\d{4})" +
                           std::regex_replace(ending, special, R"(\$&)"));
    for (const auto& entry : fs::directory_iterator(BackupFolder(), error))
        if (entry.is_regular_file() && std::regex_match(entry.path().filename().string(), dated))
            files.push_back(entry.path().string());
    // The date in the name sorts them.
    std::sort(files.begin(), files.end());
    return files;
}

bool Backup::HasBackupOfDay(std::time_t when) const
{
    const std::string day = BaseName() + Stamp(when, "-%Y-%m-%d-");
    for (const auto& file : DatedBackups())
        if (fs::path(file).filename().string().compare(0, day.size(), day) == 0)
            return true;
    return false;
}

std::vector<std::string> Backup::RemoveOldest(int keep) const
{
    std::vector<std::string> files = DatedBackups();
    std::vector<std::string> removed;
    const size_t kept = static_cast<size_t>(std::max(keep, 0));
    for (size_t i = 0; i + kept < files.size(); ++i) {
        std::error_code error;
        if (fs::remove(files[i], error))
            removed.push_back(files[i]);
        else
            OutputDebugString("Cannot remove the old backup " + files[i] + ": " + error.message());
    }
    return removed;
}

}  // namespace DBFrameWork
