#include <algorithm>

#include "ibpp/ClientLibrary.h"
#include "ibpp/EngineCall.h"
#include "ibpp/Handles.h"
#include "ibpp/Interrupts.h"

namespace IBPP {

namespace {

// What an item is, for a message: never its value, which may be a password.
const char* ItemName(char code)
{
    switch (code) {
    case isc_dpb_user_name:
        return "user name";
    case isc_dpb_password:
        return "password";
    case isc_dpb_sql_role_name:
        return "role";
    case isc_dpb_config:
        return "configuration";
    default:
        return "character set";
    }
}

void AppendItem(std::string& block, char code, const std::string& value)
{
    if (value.size() > 255)
        throw Exception(std::string("The connection's ") + ItemName(code) + " is too long (at most 255 bytes)");
    block += code;
    block += static_cast<char>(value.size());
    block += value;
}

void AppendNumber(std::string& block, char code, int value)
{
    block += code;
    block += static_cast<char>(4);
    for (int byte = 0; byte < 4; ++byte)
        block += static_cast<char>((static_cast<unsigned>(value) >> (8 * byte)) & 0xFF);
}

// Releases an attachment that a bounded call made after its caller gave up.
void Detach(FB_API_HANDLE handle)
{
    ISC_STATUS_ARRAY status = {};
    Client::Load().detach_database(status, &handle);
}

// A detach takes the engine's locks too.
void DetachBounded(const std::string& what, isc_db_handle attached)
{
    const Client::Api& api = Client::Load();
    Client::Bounded(what, [&api, attached](ISC_STATUS* status) {
        isc_db_handle handle = attached;
        api.detach_database(status, &handle);
        return FB_API_HANDLE{0};
    });
}

}  // namespace

DatabaseImpl::DatabaseImpl(std::string serverName, std::string databaseName, std::string userName,
                           std::string userPassword, std::string roleName, std::string charSet,
                           std::string createParams)
    : serverName_(std::move(serverName)), databaseName_(std::move(databaseName)), userName_(std::move(userName)),
      userPassword_(std::move(userPassword)), roleName_(std::move(roleName)), charSet_(std::move(charSet)),
      createParams_(std::move(createParams))
{}

DatabaseImpl::~DatabaseImpl()
{
    if (handle_ == 0)
        return;
    try {
        DetachBounded("Closing " + Path(), handle_);
    } catch (const EngineNotAnswering& error) {
        Client::Notice(error.ErrorMessage());
    } catch (const Exception&) {
        // Nothing to be done about a detach that fails here.
    }
}

std::string DatabaseImpl::Path() const
{
    return serverName_.empty() ? databaseName_ : serverName_ + ":" + databaseName_;
}

std::string DatabaseImpl::ParameterBlock(bool create, int dialect) const
{
    std::string block(1, static_cast<char>(isc_dpb_version1));
    if (!userName_.empty())
        AppendItem(block, isc_dpb_user_name, userName_);
    if (!userPassword_.empty())
        AppendItem(block, isc_dpb_password, userPassword_);
    if (!roleName_.empty())
        AppendItem(block, isc_dpb_sql_role_name, roleName_);
    if (!charSet_.empty())
        AppendItem(block, isc_dpb_lc_ctype, charSet_);
    if (!ServerOf(Path()).empty())
        AppendItem(block, isc_dpb_config, ServerLinkConfig);
    if (create) {
        // Without this item the engine makes a dialect 1 database.
        AppendNumber(block, isc_dpb_sql_dialect, dialect);
        if (!charSet_.empty())
            AppendItem(block, isc_dpb_set_db_charset, charSet_);
    }
    return block;
}

void DatabaseImpl::Create(int dialect)
{
    if (handle_ != 0)
        throw Exception("Cannot create " + databaseName_ + ": the database is connected");
    if (dialect != 1 && dialect != 3)
        throw Exception("Cannot create " + databaseName_ + ": SQL dialect " + std::to_string(dialect) +
                        " is not 1 or 3");
    if (!createParams_.empty())
        throw Exception("Cannot create " + databaseName_ + ": creation parameters are not supported");
    const Client::Api& api = Client::Load();
    const std::string path = Path();
    const std::string block = ParameterBlock(true, dialect);
    const Interrupts::Handlers before = Interrupts::Current();
    isc_db_handle created = 0;
    try {
        created = Client::Bounded(
            "Creating " + path,
            [&api, path, block](ISC_STATUS* status) {
                isc_db_handle made = 0;
                api.create_database(status, 0, path.c_str(), &made, static_cast<short>(block.size()), block.data(), 0);
                return made;
            },
            Detach);
    } catch (...) {
        Interrupts::TakeBack(before);
        throw;
    }
    Interrupts::TakeBack(before);
    DetachBounded("Closing " + path, created);
}

void DatabaseImpl::Connect()
{
    if (handle_ != 0)
        return;
    const Client::Api& api = Client::Load();
    const std::string path = Path();
    const std::string block = ParameterBlock(false, 0);
    // The first attach may start the embedded engine and its signal handlers.
    const Interrupts::Handlers before = Interrupts::Current();
    try {
        handle_ = Client::Bounded(
            "Opening " + path,
            [&api, path, block](ISC_STATUS* status) {
                isc_db_handle attached = 0;
                api.attach_database(status, 0, path.c_str(), &attached, static_cast<short>(block.size()), block.data());
                return attached;
            },
            Detach);
    } catch (...) {
        handle_ = 0;
        Interrupts::TakeBack(before);
        throw;
    }
    Interrupts::TakeBack(before);
}

void DatabaseImpl::Disconnect()
{
    if (handle_ == 0)
        throw Exception("Cannot disconnect " + databaseName_ + ": the database is not connected");
    // Copies: a child may remove itself while it is released.
    for (AttachmentChild* child : std::vector<AttachmentChild*>(objects_))
        child->ReleaseBeforeDetach();
    for (AttachmentChild* child : std::vector<AttachmentChild*>(transactions_))
        child->ReleaseBeforeDetach();
    try {
        DetachBounded("Closing " + Path(), handle_);
    } catch (const EngineNotAnswering&) {
        handle_ = 0;  // the detach may still end by itself
        throw;
    }
    handle_ = 0;
}

void DatabaseImpl::Drop()
{
    if (handle_ == 0)
        throw Exception("Cannot drop " + databaseName_ + ": the database is not connected");
    for (AttachmentChild* child : std::vector<AttachmentChild*>(objects_))
        child->ReleaseBeforeDetach();
    for (AttachmentChild* child : std::vector<AttachmentChild*>(transactions_))
        child->ReleaseBeforeDetach();
    ISC_STATUS_ARRAY status = {};
    Client::Load().drop_database(status, &handle_);
    Client::Check(status);
    handle_ = 0;
}

isc_db_handle* DatabaseImpl::Handle()
{
    if (handle_ == 0)
        throw Exception("The database " + databaseName_ + " is not connected");
    return &handle_;
}

void DatabaseImpl::Remove(AttachmentChild* child) noexcept
{
    transactions_.erase(std::remove(transactions_.begin(), transactions_.end(), child), transactions_.end());
    objects_.erase(std::remove(objects_.begin(), objects_.end(), child), objects_.end());
}

TransactionImpl::TransactionImpl(std::shared_ptr<DatabaseImpl> database, TAM access, TIL isolation, TLR lockResolution,
                                 TFF flags)
    : database_(std::move(database))
{
    std::string& block = parameterBlock_;
    block += static_cast<char>(isc_tpb_version3);
    block += static_cast<char>(access == amRead ? isc_tpb_read : isc_tpb_write);
    switch (isolation) {
    case ilConcurrency:
        block += static_cast<char>(isc_tpb_concurrency);
        break;
    case ilConsistency:
        block += static_cast<char>(isc_tpb_consistency);
        break;
    case ilReadCommitted:
        block += static_cast<char>(isc_tpb_read_committed);
        block += static_cast<char>(isc_tpb_no_rec_version);
        break;
    case ilReadDirty:
        block += static_cast<char>(isc_tpb_read_committed);
        block += static_cast<char>(isc_tpb_rec_version);
        break;
    }
    block += static_cast<char>(lockResolution == lrNoWait ? isc_tpb_nowait : isc_tpb_wait);
    if (flags & tfIgnoreLimbo)
        block += static_cast<char>(isc_tpb_ignore_limbo);
    if (flags & tfAutoCommit)
        block += static_cast<char>(isc_tpb_autocommit);
    if (flags & tfNoAutoUndo)
        block += static_cast<char>(isc_tpb_no_auto_undo);
    database_->AddTransaction(this);
}

TransactionImpl::~TransactionImpl()
{
    ReleaseBeforeDetach();
    database_->Remove(this);
}

void TransactionImpl::ReleaseBeforeDetach() noexcept
{
    if (handle_ == 0)
        return;
    ISC_STATUS_ARRAY status = {};
    Client::Load().rollback_transaction(status, &handle_);
    handle_ = 0;
    ++generation_;
}

void TransactionImpl::Start()
{
    if (handle_ != 0)
        return;
    isc_db_handle* database = database_->Handle();
    ISC_STATUS_ARRAY status = {};
    Client::Load().start_transaction(status, &handle_, 1, database, static_cast<unsigned short>(parameterBlock_.size()),
                                     parameterBlock_.data());
    if (status[0] == 1 && status[1] != 0) {
        handle_ = 0;
        Client::Raise(status);
    }
}

void TransactionImpl::Commit()
{
    if (handle_ == 0)
        throw Exception("Cannot commit: the transaction is not started");
    ISC_STATUS_ARRAY status = {};
    // A failed commit leaves the transaction active; the destructor rolls it back.
    Client::Load().commit_transaction(status, &handle_);
    Client::Check(status);
    handle_ = 0;
    ++generation_;
}

void TransactionImpl::Rollback()
{
    if (handle_ == 0)
        throw Exception("Cannot roll back: the transaction is not started");
    ISC_STATUS_ARRAY status = {};
    Client::Load().rollback_transaction(status, &handle_);
    Client::Check(status);
    handle_ = 0;
    ++generation_;
}

isc_tr_handle* TransactionImpl::Handle()
{
    if (handle_ == 0)
        throw Exception("The transaction is not started");
    return &handle_;
}

std::shared_ptr<DatabaseImpl> DatabaseOf(const Database& database)
{
    auto implementation = std::dynamic_pointer_cast<DatabaseImpl>(database);
    if (!implementation)
        throw Exception("No database handle given");
    return implementation;
}

std::shared_ptr<TransactionImpl> TransactionOf(const Transaction& transaction)
{
    auto implementation = std::dynamic_pointer_cast<TransactionImpl>(transaction);
    if (!implementation)
        throw Exception("No transaction handle given");
    return implementation;
}

}  // namespace IBPP
