// The engine objects behind the reference-counted handles of ibpp.h. Each
// object releases its engine handle exactly once: when it ends its own work,
// when its database disconnects, or in its destructor. Internal to the client
// layer.
#pragma once

#include <ibase.h>

#include <memory>
#include <string>
#include <vector>

#include "ibpp/ibpp.h"

namespace IBPP {

// An engine object inside an attachment; the engine refuses to detach while
// transactions are active, and statement or blob handles die with the
// attachment, so the database releases its children first.
class AttachmentChild {
public:
    virtual void ReleaseBeforeDetach() noexcept = 0;

protected:
    ~AttachmentChild() = default;
};

class DatabaseImpl : public IDatabase {
public:
    DatabaseImpl(std::string serverName, std::string databaseName, std::string userName, std::string userPassword,
                 std::string roleName, std::string charSet, std::string createParams);
    ~DatabaseImpl() override;
    DatabaseImpl(const DatabaseImpl&) = delete;
    DatabaseImpl& operator=(const DatabaseImpl&) = delete;

    const std::string& DatabaseName() const override { return databaseName_; }
    void Create(int dialect) override;
    void Connect() override;
    bool Connected() const override { return handle_ != 0; }
    void Disconnect() override;
    void Drop() override;

    // The attachment; raises Exception when not connected.
    isc_db_handle* Handle();

    void AddTransaction(AttachmentChild* child) { transactions_.push_back(child); }
    void AddObject(AttachmentChild* child) { objects_.push_back(child); }
    void Remove(AttachmentChild* child) noexcept;

private:
    std::string Path() const;
    std::string ParameterBlock(bool create, int dialect) const;

    std::string serverName_, databaseName_, userName_, userPassword_, roleName_, charSet_, createParams_;
    isc_db_handle handle_ = 0;
    std::vector<AttachmentChild*> transactions_;
    std::vector<AttachmentChild*> objects_;
};

class TransactionImpl : public ITransaction, private AttachmentChild {
public:
    TransactionImpl(std::shared_ptr<DatabaseImpl> database, TAM access, TIL isolation, TLR lockResolution, TFF flags);
    ~TransactionImpl() override;
    TransactionImpl(const TransactionImpl&) = delete;
    TransactionImpl& operator=(const TransactionImpl&) = delete;

    void Start() override;
    bool Started() const override { return handle_ != 0; }
    void Commit() override;
    void Rollback() override;

    // The running transaction; raises Exception when it is not started.
    isc_tr_handle* Handle();
    // Counts ended transactions: cursors opened in an earlier one are gone.
    unsigned Generation() const { return generation_; }
    DatabaseImpl& Database() { return *database_; }

private:
    void ReleaseBeforeDetach() noexcept override;

    std::shared_ptr<DatabaseImpl> database_;
    std::string parameterBlock_;
    isc_tr_handle handle_ = 0;
    unsigned generation_ = 0;
};

class BlobImpl : public IBlob, private AttachmentChild {
public:
    BlobImpl(std::shared_ptr<DatabaseImpl> database, std::shared_ptr<TransactionImpl> transaction);
    ~BlobImpl() override;
    BlobImpl(const BlobImpl&) = delete;
    BlobImpl& operator=(const BlobImpl&) = delete;

    void Create() override;
    void Open() override;
    void Close() override;
    void Write(const void* buffer, int size) override;
    int Read(void* buffer, int size) override;
    void Info(int* size, int* largest, int* segments) override;

    // The blob's id for a statement parameter; raises Exception before the
    // blob was created or pointed at a column.
    ISC_QUAD Id() const;
    void SetId(const ISC_QUAD& id);

private:
    enum class Mode { Closed, Writing, Reading };
    void ReleaseBeforeDetach() noexcept override;
    void Release() noexcept;
    void RequireMode(Mode mode, const char* operation) const;

    std::shared_ptr<DatabaseImpl> database_;
    std::shared_ptr<TransactionImpl> transaction_;
    isc_blob_handle handle_ = 0;
    ISC_QUAD id_ = {};
    bool hasId_ = false;
    Mode mode_ = Mode::Closed;
};

// Checked casts from the public handles to these objects.
std::shared_ptr<DatabaseImpl> DatabaseOf(const Database& database);
std::shared_ptr<TransactionImpl> TransactionOf(const Transaction& transaction);

}  // namespace IBPP
