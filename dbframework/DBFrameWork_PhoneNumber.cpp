#include "dbframework/DBFrameWork_PhoneNumber.h"

#include <algorithm>
#include <cctype>

namespace DBFrameWork {

std::string PhoneDigits(const std::string& text)
{
    std::string digits;
    for (const char c : text)
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits += c;
    return digits;
}

bool IsPhoneNumberText(const std::string& text, size_t minimumDigits)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    size_t digits = 0;
    for (size_t at = first; at < text.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (std::isdigit(c))
            ++digits;
        else if (c == '+' && at == first)
            continue;
        else if (c != ' ' && c != '-' && c != '.' && c != '/' && c != '(' && c != ')')
            return false;
    }
    return digits >= minimumDigits;
}

std::string ReversedDigits(const std::string& digits)
{
    return std::string(digits.rbegin(), digits.rend());
}

}  // namespace DBFrameWork
