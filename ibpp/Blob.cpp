#include "ibpp/ClientLibrary.h"
#include "ibpp/Handles.h"
#include "ibpp/InfoBuffer.h"

#include <limits>
#include <string>

namespace IBPP {

namespace {

constexpr int MaxSegment = 65535;

}  // namespace

BlobImpl::BlobImpl(std::shared_ptr<DatabaseImpl> database, std::shared_ptr<TransactionImpl> transaction)
    : database_(std::move(database)), transaction_(std::move(transaction))
{
    database_->AddObject(this);
}

BlobImpl::~BlobImpl()
{
    Release();
    database_->Remove(this);
}

void BlobImpl::ReleaseBeforeDetach() noexcept
{
    Release();
}

// A blob still being written is cancelled: its id was never handed out whole.
void BlobImpl::Release() noexcept
{
    if (handle_ == 0)
        return;
    ISC_STATUS_ARRAY status = {};
    if (mode_ == Mode::Writing) {
        Client::Load().cancel_blob(status, &handle_);
        hasId_ = false;
    } else {
        Client::Load().close_blob(status, &handle_);
    }
    handle_ = 0;
    mode_ = Mode::Closed;
}

void BlobImpl::RequireMode(Mode mode, const char* operation) const
{
    if (mode_ == mode)
        return;
    const char* state = mode_ == Mode::Closed ? "closed"
        : mode_ == Mode::Writing              ? "open for writing"
                                              : "open for reading";
    throw Exception(std::string("Cannot ") + operation + " the blob: it is " + state);
}

void BlobImpl::Create()
{
    RequireMode(Mode::Closed, "create");
    isc_db_handle* database = database_->Handle();
    isc_tr_handle* transaction = transaction_->Handle();
    ISC_STATUS_ARRAY status = {};
    ISC_QUAD id = {};
    Client::Load().create_blob2(status, database, transaction, &handle_, &id, 0, nullptr);
    if (status[0] == 1 && status[1] != 0) {
        handle_ = 0;
        Client::Raise(status);
    }
    id_ = id;
    hasId_ = true;
    mode_ = Mode::Writing;
}

void BlobImpl::Open()
{
    RequireMode(Mode::Closed, "open");
    if (!hasId_)
        throw Exception("Cannot open the blob: no blob id was given");
    isc_db_handle* database = database_->Handle();
    isc_tr_handle* transaction = transaction_->Handle();
    ISC_STATUS_ARRAY status = {};
    Client::Load().open_blob2(status, database, transaction, &handle_, &id_, 0, nullptr);
    if (status[0] == 1 && status[1] != 0) {
        handle_ = 0;
        Client::Raise(status);
    }
    mode_ = Mode::Reading;
}

void BlobImpl::Close()
{
    if (mode_ == Mode::Closed)
        throw Exception("Cannot close the blob: it is not open");
    ISC_STATUS_ARRAY status = {};
    Client::Load().close_blob(status, &handle_);
    Client::Check(status);
    handle_ = 0;
    mode_ = Mode::Closed;
}

void BlobImpl::Write(const void* buffer, int size)
{
    RequireMode(Mode::Writing, "write");
    if (size < 0 || size > MaxSegment)
        throw Exception("Cannot write a blob segment of " + std::to_string(size) + " bytes (at most " +
                        std::to_string(MaxSegment) + ")");
    ISC_STATUS_ARRAY status = {};
    Client::Load().put_segment(status, &handle_, static_cast<unsigned short>(size), static_cast<const char*>(buffer));
    Client::Check(status);
}

int BlobImpl::Read(void* buffer, int size)
{
    RequireMode(Mode::Reading, "read");
    if (size <= 0)
        throw Exception("Cannot read a blob into a buffer of " + std::to_string(size) + " bytes");
    const unsigned short wanted = static_cast<unsigned short>(size > MaxSegment ? MaxSegment : size);
    unsigned short count = 0;
    ISC_STATUS_ARRAY status = {};
    const ISC_STATUS result = Client::Load().get_segment(status, &handle_, &count, wanted, static_cast<char*>(buffer));
    // isc_segment: the buffer was filled with part of a longer segment.
    if (result == isc_segstr_eof)
        return 0;
    if (result != 0 && result != isc_segment)
        Client::Raise(status);
    return count;
}

void BlobImpl::Info(int* size, int* largest, int* segments)
{
    if (mode_ == Mode::Closed)
        throw Exception("Cannot ask for the blob's figures: it is not open");
    const char items[] = {isc_info_blob_total_length, isc_info_blob_max_segment, isc_info_blob_num_segments};
    char result[64] = {};
    ISC_STATUS_ARRAY status = {};
    Client::Load().blob_info(status, &handle_, sizeof items, items, sizeof result, result);
    Client::Check(status);
    if (size)
        *size = 0;
    if (largest)
        *largest = 0;
    if (segments)
        *segments = 0;
    Info::Reader reader(result, sizeof result);
    for (Info::Item item; reader.Next(item);) {
        if (item.code == isc_info_truncated || item.code == isc_info_error)
            throw Exception("The engine gave no blob figures");
        const uint32_t value = Info::Number(item.value, item.length);
        // A figure past the int range (a blob of 2 GiB or more) is no size this layer can hand on.
        if (value > static_cast<uint32_t>(std::numeric_limits<int>::max()))
            throw Exception("The blob is larger than this program reads (" + std::to_string(value) + " bytes)");
        if (item.code == isc_info_blob_total_length && size)
            *size = static_cast<int>(value);
        else if (item.code == isc_info_blob_max_segment && largest)
            *largest = static_cast<int>(value);
        else if (item.code == isc_info_blob_num_segments && segments)
            *segments = static_cast<int>(value);
    }
}

ISC_QUAD BlobImpl::Id() const
{
    if (!hasId_)
        throw Exception("The blob has no id: create and close it first");
    if (mode_ == Mode::Writing)
        throw Exception("The blob is still open for writing: close it first");
    return id_;
}

void BlobImpl::SetId(const ISC_QUAD& id)
{
    Release();
    id_ = id;
    hasId_ = true;
}

}  // namespace IBPP
