// The statement behind IBPP::Statement. Internal to the client layer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ibpp/Handles.h"
#include "ibpp/SqlArea.h"

namespace IBPP {

class StatementImpl : public IStatement, private AttachmentChild {
public:
    StatementImpl(std::shared_ptr<DatabaseImpl> database, std::shared_ptr<TransactionImpl> transaction);
    ~StatementImpl() override;
    StatementImpl(const StatementImpl&) = delete;
    StatementImpl& operator=(const StatementImpl&) = delete;

    void Prepare(const std::string& sql) override;
    void Execute() override;
    void ExecuteImmediate(const std::string& sql) override;
    bool Fetch() override;
    void Close() override;
    int AffectedRows() override;
    int Parameters() const override { return prepared_ ? input_.Described() : 0; }
    int Columns() const override { return prepared_ ? output_.Described() : 0; }

    void SetNull(int param) override;
    void Set(int param, int32_t value) override;
    void Set(int param, const std::string& value) override;
    void Set(int param, const char* value) override;
    void Set(int param, const Timestamp& value) override;
    void Set(int param, const Blob& value) override;

    bool IsNull(int column) override;
    bool Get(int column, int32_t& value) override;
    bool Get(int column, int64_t& value) override;
    bool Get(int column, std::string& value) override;
    bool Get(int column, Timestamp& value) override;
    bool Get(int column, Blob& value) override;

private:
    // What the engine described for a parameter or column, before we changed
    // the variable to carry our own values.
    struct Described {
        short type = 0;  // without the NULL flag
        short subtype = 0;
        short scale = 0;
        short length = 0;
        bool nullable = false;
    };

    void ReleaseBeforeDetach() noexcept override;
    void Free(unsigned short option) noexcept;
    void DescribeOutput();
    void DescribeInput();
    void ResetRow();
    bool CursorOpen() const;
    void RequirePrepared(const char* operation) const;
    XSQLVAR& Parameter(int param, short type, int size);
    XSQLVAR& Column(int column);
    std::string ColumnName(int column) const;
    [[noreturn]] void WrongType(int column, const char* wanted) const;

    std::shared_ptr<DatabaseImpl> database_;
    std::shared_ptr<TransactionImpl> transaction_;
    isc_stmt_handle handle_ = 0;
    bool prepared_ = false;
    int statementType_ = 0;
    SqlArea input_, output_;
    std::vector<Described> inputTypes_, outputTypes_;
    std::vector<bool> inputSet_;
    bool cursorOpen_ = false;
    unsigned cursorGeneration_ = 0;
    bool atEnd_ = false;
    bool rowPending_ = false;  // the row that EXECUTE PROCEDURE returned, not fetched yet
    bool executed_ = false;
};

}  // namespace IBPP
