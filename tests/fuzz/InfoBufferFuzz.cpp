// Feeds arbitrary bytes to the reader of the engine's information buffers, as
// a server could send them: every cluster it hands out must lie inside the
// buffer (AddressSanitizer checks each byte read), and a bad length may only
// end in IBPP::Exception.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ibpp/InfoBuffer.h"
#include "ibpp/ibpp.h"

namespace {

uint64_t ReadAll(const char* buffer, size_t size, int depth)
{
    uint64_t sum = 0;
    IBPP::Info::Reader reader(buffer, size);
    for (IBPP::Info::Item item; reader.Next(item);) {
        for (int byte = 0; byte < item.length; ++byte)
            sum += static_cast<unsigned char>(item.value[byte]);
        try {
            sum += IBPP::Info::Number(item.value, item.length);
        } catch (const IBPP::Exception&) {}
        // The request counters nest clusters inside a cluster's value.
        if (depth < 2)
            sum += ReadAll(item.value, static_cast<size_t>(item.length), depth + 1);
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that a read one byte past the end is caught.
    const std::vector<char> buffer(data, data + size);
    try {
        volatile uint64_t sum = ReadAll(buffer.data(), buffer.size(), 0);
        (void)sum;
    } catch (const IBPP::Exception&) {}
    return 0;
}
