// Reading the engine's information buffers (blob, statement and request
// figures): clusters of a one-byte item, a two-byte little-endian length and
// that many bytes of value. A server sends these, so no length is trusted:
// one that runs past the buffer, or a number wider than four bytes, raises
// Exception instead of reading beyond it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace IBPP::Info {

struct Item {
    char code = 0;
    const char* value = nullptr;
    int length = 0;
};

// The little-endian unsigned number of length bytes (0 to 4).
uint32_t Number(const char* data, int length);

class Reader {
public:
    Reader(const char* buffer, size_t size) : at_(buffer), end_(buffer + size) {}

    // The next cluster; false at the end mark or the buffer's end. The end
    // mark, isc_info_truncated and isc_info_error carry no length and are
    // given back as items of length 0 (the end mark ends the reading).
    bool Next(Item& item);

private:
    const char* at_;
    const char* end_;
};

}  // namespace IBPP::Info
