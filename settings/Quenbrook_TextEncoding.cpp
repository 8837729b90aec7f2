#include "settings/Quenbrook_TextEncoding.h"

#include <cerrno>
#include <iconv.h>

namespace Quenbrook {
namespace {

// One iconv conversion of a whole text. onInvalid is asked what to do with the
// input at a sequence the target cannot take: it appends a replacement to the
// output and returns the input bytes it used, or 0 to give up.
template <typename OnInvalid>
bool Convert(const char* to, const char* from, const std::string& text, std::string& converted, OnInvalid onInvalid)
{
    converted.clear();
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    char* input = const_cast<char*>(text.data());
    size_t inputLeft = text.size();
    char buffer[4096];
    bool ok = true;
    while (ok && inputLeft > 0) {
        char* output = buffer;
        size_t outputLeft = sizeof buffer;
        const size_t result = iconv(converter, &input, &inputLeft, &output, &outputLeft);
        converted.append(buffer, static_cast<size_t>(output - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        const size_t used = errno == EILSEQ ? onInvalid(input, inputLeft, converted) : 0;
        ok = used > 0;
        input += used;
        inputLeft -= used;
    }
    iconv_close(converter);
    return ok;
}

}  // namespace

bool IsValidUtf8(const std::string& text)
{
    std::string ignored;
    return Convert("UTF-8", "UTF-8", text, ignored, [](const char*, size_t, std::string&) { return size_t{0}; });
}

std::string Windows1252ToUtf8(const std::string& text)
{
    std::string converted;
    // The five bytes the code page leaves undefined stand for the control
    // characters of the same number, as Windows reads them.
    Convert("UTF-8", "WINDOWS-1252", text, converted, [](const char* input, size_t, std::string& output) {
        const unsigned char byte = static_cast<unsigned char>(*input);
        output += static_cast<char>(0xC0 | (byte >> 6));
        output += static_cast<char>(0x80 | (byte & 0x3F));
        return size_t{1};
    });
    return converted;
}

bool Utf8ToWindows1252(const std::string& text, std::string& converted)
{
    return Convert("WINDOWS-1252", "UTF-8", text, converted, [](const char* input, size_t left, std::string& output) {
        // The same control characters back to their single bytes.
        const unsigned char lead = static_cast<unsigned char>(input[0]);
        const unsigned char next = left > 1 ? static_cast<unsigned char>(input[1]) : 0;
        if (lead != 0xC2 || next < 0x80 || next > 0x9F)
            return size_t{0};
        output += static_cast<char>(next);
        return size_t{2};
    });
}

}  // namespace Quenbrook
