#include "dialogs/CompleteJpeg.h"

#include <string_view>

namespace {

unsigned ByteAt(const std::string& bytes, size_t at)
{
    return static_cast<unsigned char>(bytes[at]);
}

}  // namespace

bool IsCompleteJpeg(const std::string& bytes)
{
    if (bytes.size() < 4 || ByteAt(bytes, 0) != 0xFF || ByteAt(bytes, 1) != 0xD8)
        return false;
    size_t at = 2;
    // Segments are skipped by their length, so the thumbnail inside an EXIF
    // segment, with markers of its own, is never mistaken for the picture.
    while (at + 1 < bytes.size()) {
        if (ByteAt(bytes, at) != 0xFF)
            return false;
        const unsigned marker = ByteAt(bytes, at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA)
            // In the coded data that follows, 0xFF is always followed by 0x00
            // or a restart marker, so 0xFF 0xD9 is only ever the end of image.
            return bytes.find(std::string_view("\xFF\xD9", 2), at + 2) != std::string::npos;
        if (marker == 0xD9)  // ended before any picture
            return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
            at += 2;
            continue;
        }
        if (at + 3 >= bytes.size())
            return false;
        const size_t length = ByteAt(bytes, at + 2) << 8 | ByteAt(bytes, at + 3);
        if (length < 2)
            return false;
        at += 2 + length;
    }
    return false;
}
