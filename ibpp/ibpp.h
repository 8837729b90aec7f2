// A small client layer for Firebird: the part of the IBPP interface that the
// application uses, over libfbclient's C API. The client library is loaded at
// run time by CheckVersion() (or by the first factory call) and never unloaded.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace IBPP {

// The interface version the application is built against (2.3.1.1).
constexpr uint32_t Version = 0x02030101;

// The client library file to load instead of the system's libfbclient.
constexpr const char* ClientLibraryVariable = "IBPP_CLIENT_LIBRARY";

enum TAM { amWrite, amRead };
enum TIL { ilConcurrency, ilReadDirty, ilReadCommitted, ilConsistency };
enum TLR { lrWait, lrNoWait };
enum TFF { tfNone = 0, tfIgnoreLimbo = 0x1, tfAutoCommit = 0x2, tfNoAutoUndo = 0x4 };

// Every failure of this layer. Engine errors carry the engine's own formatted
// message text, as isql would print it.
class Exception : public std::exception {
public:
    explicit Exception(std::string message, int sqlCode = 0, int engineCode = 0, int systemError = 0);
    const char* ErrorMessage() const noexcept { return message_.c_str(); }
    const char* what() const noexcept override { return message_.c_str(); }
    int SqlCode() const noexcept { return sqlCode_; }
    int EngineCode() const noexcept { return engineCode_; }
    // The operating system's error number the engine (or the server) gave
    // with the error, such as ENOENT for a data file that is not there; 0 without one.
    int SystemError() const noexcept { return systemError_; }

private:
    std::string message_;
    int sqlCode_;
    int engineCode_;
    int systemError_;
};

// Raised when the engine has not answered a call that opens, creates, detaches
// or serves a data file in time (it waits on a lock that never comes free).
// The call is left behind: the engine may stay stuck for the rest of the process.
class EngineNotAnswering : public Exception {
public:
    using Exception::Exception;
};

// The days of month (1 to 12) in year, in the Gregorian calendar; raises
// Exception for a month out of range.
int DaysInMonth(int year, int month);

// Date and time of day, to the ten-thousandth of a second. The setters check
// their arguments and raise Exception for values out of range
// (years 1 to 9999, real calendar days, hours 0-23, minutes and seconds 0-59).
class Timestamp {
public:
    Timestamp() = default;  // 1 January 1900, midnight
    Timestamp(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    void SetDate(int year, int month, int day);
    void GetDate(int& year, int& month, int& day) const;
    void SetTime(int hour, int minute, int second, int tenthousandths = 0);
    void GetTime(int& hour, int& minute, int& second) const;
    void GetTime(int& hour, int& minute, int& second, int& tenthousandths) const;

    bool operator==(const Timestamp& other) const;
    bool operator!=(const Timestamp& other) const { return !(*this == other); }

private:
    int year_ = 1900, month_ = 1, day_ = 1;
    int hour_ = 0, minute_ = 0, second_ = 0, tenthousandths_ = 0;
};

class IDatabase;
class ITransaction;
class IStatement;
class IBlob;
class IService;

// Handles are reference counted: the engine object is released when the last
// handle goes.
using Database = std::shared_ptr<IDatabase>;
using Transaction = std::shared_ptr<ITransaction>;
using Statement = std::shared_ptr<IStatement>;
using Blob = std::shared_ptr<IBlob>;
using Service = std::shared_ptr<IService>;

class IDatabase {
public:
    virtual ~IDatabase() = default;
    virtual const std::string& DatabaseName() const = 0;
    // Creates the file and leaves it detached.
    virtual void Create(int dialect) = 0;
    virtual void Connect() = 0;
    virtual bool Connected() const = 0;
    virtual void Disconnect() = 0;
    // Deletes the connected database's file, wherever its server keeps it.
    virtual void Drop() = 0;
};

class ITransaction {
public:
    virtual ~ITransaction() = default;
    virtual void Start() = 0;
    virtual bool Started() const = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
};

class IBlob {
public:
    virtual ~IBlob() = default;
    virtual void Create() = 0;  // a new blob, open for writing
    virtual void Open() = 0;  // the blob a statement filled in, open for reading
    virtual void Close() = 0;
    // Writes one segment; size must not exceed 65535 bytes.
    virtual void Write(const void* buffer, int size) = 0;
    // Reads up to size bytes (at most 65535); returns the count, 0 at the end.
    virtual int Read(void* buffer, int size) = 0;
    // Total size in bytes, largest segment and number of segments.
    virtual void Info(int* size, int* largest, int* segments) = 0;
};

// Parameters and columns are numbered from 1.
// The Get functions answer true when the column is NULL.
class IStatement {
public:
    virtual ~IStatement() = default;
    virtual void Prepare(const std::string& sql) = 0;
    virtual void Execute() = 0;
    virtual void ExecuteImmediate(const std::string& sql) = 0;
    // Moves to the next row; false when there is none. The column buffers then
    // read as "no row": NOT NULL integer columns 0, every other column NULL.
    virtual bool Fetch() = 0;
    virtual void Close() = 0;
    // Rows changed by the last executed INSERT, UPDATE or DELETE.
    virtual int AffectedRows() = 0;
    virtual int Parameters() const = 0;
    virtual int Columns() const = 0;

    virtual void SetNull(int param) = 0;
    virtual void Set(int param, int32_t value) = 0;
    virtual void Set(int param, const std::string& value) = 0;
    virtual void Set(int param, const char* value) = 0;
    virtual void Set(int param, const Timestamp& value) = 0;
    virtual void Set(int param, const Blob& value) = 0;

    virtual bool IsNull(int column) = 0;
    // 64-bit results (GEN_ID, COUNT, SUM) are accepted when they fit in 32 bits.
    virtual bool Get(int column, int32_t& value) = 0;
    virtual bool Get(int column, int64_t& value) = 0;
    virtual bool Get(int column, std::string& value) = 0;
    virtual bool Get(int column, Timestamp& value) = 0;
    // Points the given blob handle at the column's blob.
    virtual bool Get(int column, Blob& value) = 0;
};

// The engine's service manager: backup, restore and validation of a data file
// by path, run by the engine itself (with the embedded engine, inside this
// process). One action at a time: start it, then read its lines until the end.
// An action that fails raises Exception with the engine's message from the
// call that learns of it (the start, or WaitMsg/Wait).
class IService {
public:
    virtual ~IService() = default;
    virtual void Connect() = 0;
    virtual bool Connected() const = 0;
    virtual void Disconnect() = 0;

    // Writes a backup (the gbak format) of databaseFile into backupFile.
    virtual void StartBackup(const std::string& databaseFile, const std::string& backupFile, bool verbose) = 0;
    // Makes databaseFile from backupFile; an existing databaseFile is refused
    // unless replace is set.
    virtual void StartRestore(const std::string& backupFile, const std::string& databaseFile, bool replace,
                              bool verbose) = 0;
    // Checks every page and record of databaseFile without changing it, as
    // gfix -v -full does. Errors found end the action with an Exception whose
    // message is the engine's summary of them.
    virtual void StartValidation(const std::string& databaseFile) = 0;

    // The next line of the running action's output; false once the action
    // has ended (successfully: a failure raises Exception).
    virtual bool WaitMsg(std::string& line) = 0;
    // Reads the running action's output to its end and drops it.
    virtual void Wait() = 0;
};

// The server a data file path names, as the engine reads it: "host:file",
// "host/port:file", "[IPv6 address]:file" (or "[...]/port:file"); empty for a
// local file. A single letter before the colon names a drive, and a backslash
// before it a local folder.
std::string ServerOf(const std::string& path);

// The link settings every attach to a server asks for: an encrypted link and
// a login that never crosses it in the legacy form, or no link at all.
constexpr const char* ServerLinkConfig = "WireCrypt = Required\nAuthClient = Srp256, Srp";

// Loads the client library when it is not loaded yet and answers whether the
// interface version matches. Raises Exception naming the library file when it
// cannot be loaded.
bool CheckVersion(uint32_t version);

Database DatabaseFactory(const std::string& serverName, const std::string& databaseName, const std::string& userName,
                         const std::string& userPassword, const std::string& roleName = "",
                         const std::string& charSet = "", const std::string& createParams = "");
Transaction TransactionFactory(Database database, TAM access = amWrite, TIL isolation = ilConcurrency,
                               TLR lockResolution = lrWait, TFF flags = tfNone);
Statement StatementFactory(Database database, Transaction transaction, const std::string& sql = "");
Blob BlobFactory(Database database, Transaction transaction);
// An empty server name reaches the local (embedded) service manager.
Service ServiceFactory(const std::string& serverName, const std::string& userName, const std::string& userPassword);

// Called (on a thread of the client library, never in signal context) when the
// process receives SIGINT or SIGTERM after the engine took over those signals;
// the attachments are kept open so that the handler can end the program in order.
using InterruptHandler = void (*)(int signal);
void SetInterruptHandler(InterruptHandler handler);

// Receives what the client layer did by itself, such as freeing a lock that a
// process which ended had left taken; without a handler it goes to standard error.
using NoticeHandler = std::function<void(const std::string&)>;
void SetNoticeHandler(NoticeHandler handler);

// Called every tenth of a second, on the thread that set it, while a call into
// the engine that opens, creates, detaches or serves a data file waits for its
// answer longer than a working engine takes, so that a window can repaint.
using WaitHandler = std::function<void()>;
void SetWaitHandler(WaitHandler handler);

// Shuts the client library down; call once before the process exits. Safe to
// call when the library was never loaded. Answers false when the engine could
// not be shut down (a call it never answered, or the shutdown itself): the
// process should then end at once, without its exit handlers, which would
// wait for the engine again.
bool Shutdown();

}  // namespace IBPP
