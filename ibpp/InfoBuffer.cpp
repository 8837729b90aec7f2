#include "ibpp/InfoBuffer.h"

#include <ibase.h>

#include "ibpp/ibpp.h"

namespace IBPP::Info {

uint32_t Number(const char* data, int length)
{
    if (length < 0 || length > 4)
        throw Exception("The engine gave a number of " + std::to_string(length) + " bytes, more than four");
    uint32_t value = 0;
    for (int byte = 0; byte < length; ++byte)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(data[byte])) << (8 * byte);
    return value;
}

bool Reader::Next(Item& item)
{
    if (at_ >= end_ || *at_ == isc_info_end)
        return false;
    item.code = *at_++;
    item.value = at_;
    item.length = 0;
    if (item.code == isc_info_truncated || item.code == isc_info_error)
        return true;
    if (end_ - at_ < 2)
        throw Exception("The engine's information ends inside an item's length");
    const int length = static_cast<int>(Number(at_, 2));
    at_ += 2;
    if (length > end_ - at_)
        throw Exception("The engine gave an item of " + std::to_string(length) + " bytes in a buffer of " +
                        std::to_string(end_ - at_) + " bytes left");
    item.value = at_;
    item.length = length;
    at_ += length;
    return true;
}

}  // namespace IBPP::Info
