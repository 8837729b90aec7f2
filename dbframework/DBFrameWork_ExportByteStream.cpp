#include "dbframework/DBFrameWork_ExportByteStream.h"

#include <algorithm>

#include "dbframework/DBFrameWork_BlobText.h"

namespace DBFrameWork {

BlobStream::~BlobStream()
{
    Close();
}

bool BlobStream::Open()
{
    try {
        Blob->Open();
        Opened = true;
        Given = 0;
        return true;
    } catch (const IBPP::Exception& error) {
        Reason = error.ErrorMessage();
    }
    return false;
}

int64_t BlobStream::Read(char* buffer, size_t count)
{
    if (Given == Bytes)
        return 0;
    try {
        const int wanted = static_cast<int>(std::min(count, static_cast<size_t>(BlobSegmentSize)));
        const int read = wanted > 0 ? Blob->Read(buffer, wanted) : 0;
        Given += std::max(read, 0);
        if (read <= 0 && Given != Bytes) {
            Reason = "A blob gave " + std::to_string(Given) + " of its " + std::to_string(Bytes) + " bytes";
            return -1;
        }
        if (Given > Bytes) {
            Reason = "A blob gave more than its " + std::to_string(Bytes) + " bytes";
            return -1;
        }
        return std::max(read, 0);
    } catch (const IBPP::Exception& error) {
        Reason = error.ErrorMessage();
    }
    return -1;
}

void BlobStream::Close()
{
    if (!Opened)
        return;
    Opened = false;
    try {
        Blob->Close();
    } catch (const IBPP::Exception& error) {
        // The bytes were read (or the read failed already); closing cannot change them.
        Reason = error.ErrorMessage();
    }
}

}  // namespace DBFrameWork
