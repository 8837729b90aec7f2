#include "dbframework/DBFrameWork_FileStore.h"

#include "dbframework/DBFrameWork_BlobText.h"
#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_StatementValues.h"
#include "dbframework/DBFrameWork_Transaction.h"

namespace DBFrameWork {
namespace {

const ColumnDefinition& Column(TicketFileColumn::Position position)
{
    return TicketFileTable().Columns[position];
}

// Says in the debug output why the files cannot go with the ticket.
bool WithinLimits(const std::vector<TicketFileRecord>& files)
{
    int64_t total = 0;
    for (const TicketFileRecord& file : files) {
        const int64_t size = file.Content ? static_cast<int64_t>(file.Content->size()) : file.Size;
        if (size > MaxFileBytes) {
            OutputDebugString("The file " + file.Name + " is larger than a ticket's file may be");
            return false;
        }
        total += size;
    }
    if (total > MaxTicketFileBytes) {
        OutputDebugString("The ticket's files are larger together than a ticket's files may be");
        return false;
    }
    return true;
}

bool IsStoredFile(IBPP::Statement& statement, int32_t fileId)
{
    statement->Prepare("SELECT 1 FROM TicketFile WHERE FileID = ?");
    statement->Set(1, fileId);
    statement->Execute();
    const bool found = statement->Fetch();
    statement->Close();
    return found;
}

void InsertFile(DBConnection& connection, IBPP::Statement& statement, int32_t problemId, TicketFileRecord& file,
                const std::string& user)
{
    statement->Prepare("INSERT INTO TicketFile (FileID, ProblemID, FileName, MediaType, ByteSize, AddedAt, UserName, "
                       "Content, Thumbnail) VALUES (?, ?, ?, ?, ?, CAST('NOW' AS TIMESTAMP), ?, ?, ?)");
    statement->Set(1, file.FileID);
    statement->Set(2, problemId);
    statement->Set(3, file.Name);
    statement->Set(4, file.MediaType);
    statement->Set(5, file.Size);
    statement->Set(6, user);
    SetBlobParameter(connection, statement, 7, *file.Content);
    SetBlobParameter(connection, statement, 8, file.Thumbnail);
    statement->Execute();
    statement->Prepare("SELECT AddedAt FROM TicketFile WHERE FileID = ?");
    statement->Set(1, file.FileID);
    statement->Execute();
    if (statement->Fetch())
        file.Added = MinuteTextOrEmpty(statement, 1);
    statement->Close();
}

}  // namespace

std::string StoredFileName(const std::string& name)
{
    std::string cleaned;
    for (const char c : name.substr(name.find_last_of('/') == std::string::npos ? 0 : name.find_last_of('/') + 1))
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            cleaned += c;
    cleaned = FittedText(cleaned, Column(TicketFileColumn::FileName));
    if (cleaned.empty() || cleaned == "." || cleaned == "..")
        return "file";
    return cleaned;
}

bool LoadFiles(DBConnection& connection, int32_t problemId, std::vector<TicketFileRecord>& files)
{
    files.clear();
    return RunRead(connection, "Uncaught Exception in LoadFiles", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT FileID, FileName, MediaType, ByteSize, AddedAt, UserName, Thumbnail "
                           "FROM TicketFile WHERE ProblemID = ? ORDER BY FileID");
        statement->Set(1, problemId);
        statement->Execute();
        while (statement->Fetch()) {
            TicketFileRecord file;
            file.FileID = NumberOrZero(statement, 1);
            file.Name = TextOrEmpty(statement, 2);
            file.MediaType = TextOrEmpty(statement, 3);
            file.Size = NumberOrZero(statement, 4);
            file.Added = MinuteTextOrEmpty(statement, 5);
            file.User = TextOrEmpty(statement, 6);
            file.Thumbnail = ReadBlobColumn(connection, statement, 7);
            files.push_back(std::move(file));
        }
    });
}

bool SaveFiles(DBConnection& connection, TicketRecord& ticket, const std::string& user, bool mayBeStored)
{
    bool changes = !ticket.RemovedFiles.empty();
    for (const TicketFileRecord& file : ticket.Files)
        changes = changes || file.Content || file.Renamed;
    if (!changes)
        return true;
    if (!WithinLimits(ticket.Files))
        return false;
    const int32_t problemId = ticket.Problem.ProblemID;
    const std::string storedUser = FittedText(user, Column(TicketFileColumn::UserName));
    return RunInTransaction(connection, "Uncaught Exception in SaveFiles", [&](IBPP::Statement& statement) {
        for (const int32_t fileId : ticket.RemovedFiles) {
            statement->Prepare("DELETE FROM TicketFile WHERE FileID = ? AND ProblemID = ?");
            statement->Set(1, fileId);
            statement->Set(2, problemId);
            statement->Execute();
        }
        for (TicketFileRecord& file : ticket.Files) {
            file.Name = StoredFileName(file.Name);
            file.MediaType = FittedText(file.MediaType, Column(TicketFileColumn::MediaType));
            if (file.Content) {
                file.Size = static_cast<int32_t>(file.Content->size());
                const bool drawn = file.FileID > 0;
                if (!drawn) {
                    statement->Prepare("SELECT GEN_ID(TicketFileIDValue, 1) FROM RDB$DATABASE");
                    statement->Execute();
                    statement->Fetch();
                    file.FileID = NumberOrZero(statement, 1);
                    statement->Close();
                    if (file.FileID <= 0)
                        throw IBPP::Exception("The generator TicketFileIDValue gave no key");
                }
                if (!(drawn && mayBeStored && IsStoredFile(statement, file.FileID)))
                    InsertFile(connection, statement, problemId, file, storedUser);
                file.User = storedUser;
            } else if (file.Renamed) {
                statement->Prepare("UPDATE TicketFile SET FileName = ? WHERE FileID = ? AND ProblemID = ?");
                statement->Set(1, file.Name);
                statement->Set(2, file.FileID);
                statement->Set(3, problemId);
                statement->Execute();
            }
        }
    });
}

bool ReadFileContent(DBConnection& connection, int32_t problemId, int32_t fileId, std::string& bytes)
{
    bytes.clear();
    bool found = false;
    const bool read = RunRead(connection, "Uncaught Exception in ReadFileContent", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT Content FROM TicketFile WHERE FileID = ? AND ProblemID = ?");
        statement->Set(1, fileId);
        statement->Set(2, problemId);
        statement->Execute();
        found = statement->Fetch();
        if (found)
            bytes = ReadBlobColumn(connection, statement, 1);
        statement->Close();
    });
    return read && found;
}

}  // namespace DBFrameWork
