#include "dbframework/DBFrameWork_BlobText.h"

#include <algorithm>
#include <array>
#include <stdexcept>

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

}  // namespace DBFrameWork
