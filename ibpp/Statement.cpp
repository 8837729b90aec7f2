#include <cstring>
#include <limits>

#include "ibpp/ClientLibrary.h"
#include "ibpp/InfoBuffer.h"
#include "ibpp/StatementImpl.h"
#include "ibpp/TimestampConversion.h"

namespace IBPP {

namespace {

constexpr unsigned short Dialect = SQL_DIALECT_V6;
constexpr int MaxText = 32765;

template <typename Value>
Value Read(const char* data)
{
    Value value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

bool IsIntegerType(short type)
{
    return type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64;
}

}  // namespace

StatementImpl::StatementImpl(std::shared_ptr<DatabaseImpl> database, std::shared_ptr<TransactionImpl> transaction)
    : database_(std::move(database)), transaction_(std::move(transaction))
{
    database_->AddObject(this);
}

StatementImpl::~StatementImpl()
{
    Free(DSQL_drop);
    database_->Remove(this);
}

void StatementImpl::ReleaseBeforeDetach() noexcept
{
    Free(DSQL_drop);
}

void StatementImpl::Free(unsigned short option) noexcept
{
    if (handle_ == 0)
        return;
    ISC_STATUS_ARRAY status = {};
    Client::Load().dsql_free_statement(status, &handle_, option);
    handle_ = 0;
    prepared_ = false;
    cursorOpen_ = false;
}

bool StatementImpl::CursorOpen() const
{
    // Ending the transaction closed the engine's cursor.
    return cursorOpen_ && cursorGeneration_ == transaction_->Generation();
}

void StatementImpl::RequirePrepared(const char* operation) const
{
    if (!prepared_)
        throw Exception(std::string("Cannot ") + operation + ": no statement is prepared");
}

void StatementImpl::Prepare(const std::string& sql)
{
    if (sql.empty())
        throw Exception("Cannot prepare an empty statement");
    if (sql.size() > std::numeric_limits<unsigned short>::max())
        throw Exception("Cannot prepare a statement of " + std::to_string(sql.size()) + " bytes");
    const Client::Api& api = Client::Load();
    isc_db_handle* database = database_->Handle();
    isc_tr_handle* transaction = transaction_->Handle();
    Close();
    prepared_ = false;
    executed_ = false;
    ISC_STATUS_ARRAY status = {};
    if (handle_ == 0) {
        api.dsql_allocate_statement(status, database, &handle_);
        if (status[0] == 1 && status[1] != 0) {
            handle_ = 0;
            Client::Raise(status);
        }
    }
    api.dsql_prepare(status, transaction, &handle_, static_cast<unsigned short>(sql.size()), sql.data(), Dialect,
                     nullptr);
    Client::Check(status);

    const char item = isc_info_sql_stmt_type;
    char result[16] = {};
    api.dsql_sql_info(status, &handle_, 1, &item, sizeof result, result);
    Client::Check(status);
    statementType_ = 0;
    Info::Reader reader(result, sizeof result);
    for (Info::Item info; reader.Next(info);)
        if (info.code == isc_info_sql_stmt_type)
            statementType_ = static_cast<int>(Info::Number(info.value, info.length));

    DescribeOutput();
    DescribeInput();
    prepared_ = true;
}

void StatementImpl::DescribeOutput()
{
    const Client::Api& api = Client::Load();
    ISC_STATUS_ARRAY status = {};
    api.dsql_describe(status, &handle_, SQLDA_VERSION1, output_.Get());
    Client::Check(status);
    if (output_.Described() > output_.Capacity()) {
        output_.Resize(output_.Described());
        api.dsql_describe(status, &handle_, SQLDA_VERSION1, output_.Get());
        Client::Check(status);
    }
    const int count = output_.Described();
    outputTypes_.assign(count, {});
    for (int index = 0; index < count; ++index) {
        XSQLVAR& var = output_.Var(index);
        Described& described = outputTypes_[index];
        described = {static_cast<short>(var.sqltype & ~1), var.sqlsubtype, var.sqlscale, var.sqllen,
                     (var.sqltype & 1) != 0};
        // An indicator on every column, so a NOT NULL one can read as "no row".
        var.sqltype = static_cast<short>(described.type | 1);
        output_.Allocate(index, described.type == SQL_VARYING ? var.sqllen + 2 : var.sqllen);
    }
    ResetRow();
}

void StatementImpl::DescribeInput()
{
    const Client::Api& api = Client::Load();
    ISC_STATUS_ARRAY status = {};
    api.dsql_describe_bind(status, &handle_, SQLDA_VERSION1, input_.Get());
    Client::Check(status);
    if (input_.Described() > input_.Capacity()) {
        input_.Resize(input_.Described());
        api.dsql_describe_bind(status, &handle_, SQLDA_VERSION1, input_.Get());
        Client::Check(status);
    }
    const int count = input_.Described();
    inputTypes_.assign(count, {});
    inputSet_.assign(count, false);
    for (int index = 0; index < count; ++index) {
        const XSQLVAR& var = input_.Var(index);
        inputTypes_[index] = {static_cast<short>(var.sqltype & ~1), var.sqlsubtype, var.sqlscale, var.sqllen,
                              (var.sqltype & 1) != 0};
    }
}

// The engine leaves the buffers alone when a fetch finds no row; callers
// read such a row as NOT NULL integers 0 and everything else NULL.
void StatementImpl::ResetRow()
{
    for (int index = 0; index < output_.Described(); ++index) {
        XSQLVAR& var = output_.Var(index);
        const Described& described = outputTypes_[index];
        std::memset(var.sqldata, 0, described.type == SQL_VARYING ? described.length + 2 : described.length);
        *var.sqlind = !described.nullable && IsIntegerType(described.type) ? 0 : -1;
    }
}

void StatementImpl::Execute()
{
    RequirePrepared("execute");
    for (int index = 0; index < Parameters(); ++index)
        if (!inputSet_[index])
            throw Exception("Cannot execute: parameter " + std::to_string(index + 1) + " was not set");
    isc_tr_handle* transaction = transaction_->Handle();
    Close();
    ResetRow();
    executed_ = false;
    rowPending_ = false;
    atEnd_ = false;
    const Client::Api& api = Client::Load();
    ISC_STATUS_ARRAY status = {};
    XSQLDA* input = Parameters() > 0 ? input_.Get() : nullptr;
    const bool cursor = statementType_ == isc_info_sql_stmt_select ||
        statementType_ == isc_info_sql_stmt_select_for_upd;
    if (!cursor && Columns() > 0) {
        api.dsql_execute2(status, transaction, &handle_, SQLDA_VERSION1, input, output_.Get());
        Client::Check(status);
        rowPending_ = true;
    } else {
        api.dsql_execute(status, transaction, &handle_, SQLDA_VERSION1, input);
        Client::Check(status);
        if (cursor) {
            cursorOpen_ = true;
            cursorGeneration_ = transaction_->Generation();
        }
    }
    executed_ = true;
}

void StatementImpl::ExecuteImmediate(const std::string& sql)
{
    if (sql.empty())
        throw Exception("Cannot execute an empty statement");
    if (sql.size() > std::numeric_limits<unsigned short>::max())
        throw Exception("Cannot execute a statement of " + std::to_string(sql.size()) + " bytes");
    const Client::Api& api = Client::Load();
    isc_db_handle* database = database_->Handle();
    isc_tr_handle* transaction = transaction_->Handle();
    ISC_STATUS_ARRAY status = {};
    api.dsql_execute_immediate(status, database, transaction, static_cast<unsigned short>(sql.size()), sql.data(),
                               Dialect, nullptr);
    Client::Check(status);
}

bool StatementImpl::Fetch()
{
    if (rowPending_) {
        rowPending_ = false;
        atEnd_ = true;
        return true;
    }
    if (prepared_ && executed_ && atEnd_) {
        ResetRow();
        return false;
    }
    if (!CursorOpen())
        throw Exception("Cannot fetch: no cursor is open (execute a SELECT first, in a running transaction)");
    ISC_STATUS_ARRAY status = {};
    const ISC_STATUS result = Client::Load().dsql_fetch(status, &handle_, SQLDA_VERSION1, output_.Get());
    if (result == 100) {
        atEnd_ = true;
        ResetRow();
        return false;
    }
    Client::Check(status);
    return true;
}

void StatementImpl::Close()
{
    if (CursorOpen()) {
        ISC_STATUS_ARRAY status = {};
        cursorOpen_ = false;
        Client::Load().dsql_free_statement(status, &handle_, DSQL_close);
        Client::Check(status);
    }
    cursorOpen_ = false;
}

int StatementImpl::AffectedRows()
{
    RequirePrepared("count the affected rows");
    if (!executed_)
        throw Exception("Cannot count the affected rows: the statement was not executed");
    const char item = isc_info_sql_records;
    char result[64] = {};
    ISC_STATUS_ARRAY status = {};
    Client::Load().dsql_sql_info(status, &handle_, 1, &item, sizeof result, result);
    Client::Check(status);
    Info::Reader reader(result, sizeof result);
    Info::Item records;
    if (!reader.Next(records) || records.code != isc_info_sql_records)
        throw Exception("The engine gave no count of affected rows");
    int64_t rows = 0;
    Info::Reader counters(records.value, static_cast<size_t>(records.length));
    for (Info::Item counter; counters.Next(counter);)
        if (counter.code == isc_info_req_insert_count || counter.code == isc_info_req_update_count ||
            counter.code == isc_info_req_delete_count)
            rows += Info::Number(counter.value, counter.length);
    if (rows > std::numeric_limits<int>::max())
        throw Exception("The statement changed more rows than a count here holds (" + std::to_string(rows) + ")");
    return static_cast<int>(rows);
}

XSQLVAR& StatementImpl::Parameter(int param, short type, int size)
{
    RequirePrepared("set a parameter");
    if (param < 1 || param > Parameters())
        throw Exception("Parameter " + std::to_string(param) + " is out of range (the statement has " +
                        std::to_string(Parameters()) + ")");
    const int index = param - 1;
    XSQLVAR& var = input_.Var(index);
    // Marked nullable always: the engine ignores the indicator of a variable
    // it described as NOT NULL and would store the stale buffer instead.
    var.sqltype = static_cast<short>(type | 1);
    var.sqllen = static_cast<short>(size);
    var.sqlscale = 0;
    var.sqlsubtype = 0;
    input_.Allocate(index, type == SQL_VARYING ? size + 2 : size);
    *var.sqlind = 0;
    inputSet_[index] = true;
    return var;
}

void StatementImpl::SetNull(int param)
{
    const Described described = param >= 1 && param <= Parameters() ? inputTypes_[param - 1] : Described{};
    XSQLVAR& var = Parameter(param, described.type, described.length);
    var.sqlscale = described.scale;
    var.sqlsubtype = described.subtype;
    *var.sqlind = -1;
}

void StatementImpl::Set(int param, int32_t value)
{
    XSQLVAR& var = Parameter(param, SQL_LONG, sizeof value);
    std::memcpy(var.sqldata, &value, sizeof value);
}

void StatementImpl::Set(int param, const std::string& value)
{
    if (value.size() > MaxText)
        throw Exception("Cannot set parameter " + std::to_string(param) + " to a text of " +
                        std::to_string(value.size()) + " bytes (at most " + std::to_string(MaxText) + ")");
    const Described described = param >= 1 && param <= Parameters() ? inputTypes_[param - 1] : Described{};
    // Sent as VARCHAR of its own length: the engine converts it to the
    // parameter's type and reports a text too long instead of cutting it.
    XSQLVAR& var = Parameter(param, SQL_VARYING, static_cast<int>(value.size()));
    var.sqlsubtype = described.type == SQL_TEXT || described.type == SQL_VARYING ? described.subtype : 0;
    const unsigned short length = static_cast<unsigned short>(value.size());
    std::memcpy(var.sqldata, &length, sizeof length);
    std::memcpy(var.sqldata + sizeof length, value.data(), value.size());
}

void StatementImpl::Set(int param, const char* value)
{
    if (!value)
        throw Exception("Cannot set parameter " + std::to_string(param) + " to a null text pointer");
    Set(param, std::string(value));
}

void StatementImpl::Set(int param, const Timestamp& value)
{
    XSQLVAR& var = Parameter(param, SQL_TIMESTAMP, sizeof(ISC_TIMESTAMP));
    const ISC_TIMESTAMP stamp = {ToEngineDate(value), ToEngineTime(value)};
    std::memcpy(var.sqldata, &stamp, sizeof stamp);
}

void StatementImpl::Set(int param, const Blob& value)
{
    auto blob = std::dynamic_pointer_cast<BlobImpl>(value);
    if (!blob)
        throw Exception("Cannot set parameter " + std::to_string(param) + " to an empty blob handle");
    const ISC_QUAD id = blob->Id();
    const Described described = param >= 1 && param <= Parameters() ? inputTypes_[param - 1] : Described{};
    XSQLVAR& var = Parameter(param, SQL_BLOB, sizeof id);
    var.sqlsubtype = described.type == SQL_BLOB ? described.subtype : 0;
    std::memcpy(var.sqldata, &id, sizeof id);
}

XSQLVAR& StatementImpl::Column(int column)
{
    RequirePrepared("read a column");
    if (column < 1 || column > Columns())
        throw Exception("Column " + std::to_string(column) + " is out of range (the statement has " +
                        std::to_string(Columns()) + ")");
    return output_.Var(column - 1);
}

std::string StatementImpl::ColumnName(int column) const
{
    const XSQLVAR& var = output_.Var(column - 1);
    return std::string(var.aliasname, static_cast<size_t>(var.aliasname_length));
}

void StatementImpl::WrongType(int column, const char* wanted) const
{
    throw Exception("Column " + std::to_string(column) + " (" + ColumnName(column) + ") cannot be read as " + wanted);
}

bool StatementImpl::IsNull(int column)
{
    return *Column(column).sqlind == -1;
}

bool StatementImpl::Get(int column, int64_t& value)
{
    const XSQLVAR& var = Column(column);
    const Described& described = outputTypes_[column - 1];
    if (!IsIntegerType(described.type) || described.scale != 0)
        WrongType(column, "an integer");
    if (*var.sqlind == -1)
        return true;
    if (described.type == SQL_SHORT)
        value = Read<int16_t>(var.sqldata);
    else if (described.type == SQL_LONG)
        value = Read<int32_t>(var.sqldata);
    else
        value = Read<int64_t>(var.sqldata);
    return false;
}

bool StatementImpl::Get(int column, int32_t& value)
{
    int64_t wide = 0;
    if (Get(column, wide))
        return true;
    if (wide < std::numeric_limits<int32_t>::min() || wide > std::numeric_limits<int32_t>::max())
        throw Exception("Column " + std::to_string(column) + " (" + ColumnName(column) + ") holds " +
                        std::to_string(wide) + ", which does not fit in a 32-bit integer");
    value = static_cast<int32_t>(wide);
    return false;
}

bool StatementImpl::Get(int column, std::string& value)
{
    const XSQLVAR& var = Column(column);
    const Described& described = outputTypes_[column - 1];
    if (described.type != SQL_TEXT && described.type != SQL_VARYING)
        WrongType(column, "text");
    if (*var.sqlind == -1)
        return true;
    if (described.type == SQL_TEXT) {
        value.assign(var.sqldata, static_cast<size_t>(described.length));
    } else {
        const unsigned short length = Read<unsigned short>(var.sqldata);
        // The column's area holds its declared length and no more, whatever the prefix says.
        if (length > described.length)
            throw Exception("Column " + std::to_string(column) + " came with " + std::to_string(length) +
                            " bytes, more than its " + std::to_string(described.length));
        value.assign(var.sqldata + sizeof length, length);
    }
    return false;
}

bool StatementImpl::Get(int column, Timestamp& value)
{
    const XSQLVAR& var = Column(column);
    const Described& described = outputTypes_[column - 1];
    if (described.type != SQL_TIMESTAMP && described.type != SQL_TYPE_DATE)
        WrongType(column, "a timestamp");
    if (*var.sqlind == -1)
        return true;
    if (described.type == SQL_TIMESTAMP) {
        const ISC_TIMESTAMP stamp = Read<ISC_TIMESTAMP>(var.sqldata);
        value = FromEngine(stamp.timestamp_date, stamp.timestamp_time);
    } else {
        value = FromEngine(Read<ISC_DATE>(var.sqldata), 0);
    }
    return false;
}

bool StatementImpl::Get(int column, Blob& value)
{
    const XSQLVAR& var = Column(column);
    if (outputTypes_[column - 1].type != SQL_BLOB)
        WrongType(column, "a blob");
    if (*var.sqlind == -1)
        return true;
    if (!value)
        value = std::make_shared<BlobImpl>(database_, transaction_);
    auto blob = std::dynamic_pointer_cast<BlobImpl>(value);
    if (!blob)
        throw Exception("Cannot read column " + std::to_string(column) + " into a foreign blob handle");
    blob->SetId(Read<ISC_QUAD>(var.sqldata));
    return false;
}

}  // namespace IBPP
