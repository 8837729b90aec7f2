#include "dbframework/DBFrameWork_BlobText.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "dbframework/DBFrameWork_DBConnection.h"

namespace DBFrameWork {

std::string ReadBlobText(IBPP::Blob& blob)
{
    std::string value;
    blob->Open();
    int size = 0, largest = 0, segments = 0;
    blob->Info(&size, &largest, &segments);
    value.reserve(static_cast<size_t>(std::max(size, 0)));
    std::array<char, BlobSegmentSize> buffer;
    int total = 0;
    while (total < size) {
        const int count = blob->Read(buffer.data(), BlobSegmentSize);
        if (count <= 0)
            break;
        value.append(buffer.data(), static_cast<size_t>(count));
        total += count;
    }
    blob->Close();
    if (total < size)
        throw std::runtime_error("A blob gave " + std::to_string(total) + " of its " + std::to_string(size) + " bytes");
    return value;
}

std::string ReadBlobStart(IBPP::Blob& blob, size_t limit)
{
    std::string value;
    blob->Open();
    std::array<char, BlobSegmentSize> buffer;
    while (value.size() < limit) {
        const size_t wanted = std::min(limit - value.size(), static_cast<size_t>(BlobSegmentSize));
        const int count = blob->Read(buffer.data(), static_cast<int>(wanted));
        if (count <= 0)
            break;
        value.append(buffer.data(), static_cast<size_t>(count));
    }
    blob->Close();
    return value;
}

void WriteBlobBytes(IBPP::Blob& blob, const std::string& bytes)
{
    blob->Create();
    for (size_t offset = 0; offset < bytes.size(); offset += BlobSegmentSize) {
        const size_t piece = std::min(bytes.size() - offset, static_cast<size_t>(BlobSegmentSize));
        blob->Write(bytes.data() + offset, static_cast<int>(piece));
    }
    blob->Close();
}

std::string ReadBlobColumn(DBConnection& connection, IBPP::Statement& statement, int column)
{
    if (statement->IsNull(column))
        return std::string();
    IBPP::Blob blob = connection.GetBlob();
    statement->Get(column, blob);
    return ReadBlobText(blob);
}

void SetBlobParameter(DBConnection& connection, IBPP::Statement& statement, int param, const std::string& bytes)
{
    if (bytes.empty()) {
        statement->SetNull(param);
        return;
    }
    IBPP::Blob blob = connection.GetBlob();
    WriteBlobBytes(blob, bytes);
    statement->Set(param, blob);
}

}  // namespace DBFrameWork
