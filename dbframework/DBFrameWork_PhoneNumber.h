// Phone numbers as people type them: "+1 (555) 123-4567", "555 123 4567" and
// "5551234567" are one number to the search.
#pragma once

#include <string>

namespace DBFrameWork {

// The digits of the text, in order; everything else dropped.
std::string PhoneDigits(const std::string& text);

// True when the text is written the way a phone number (or the part of one
// being typed) is: digits, with spaces, dashes, dots, slashes, brackets and a
// leading "+", and at least minimumDigits digits.
bool IsPhoneNumberText(const std::string& text, size_t minimumDigits);

// The digits backwards, for the index that finds a number by its end.
std::string ReversedDigits(const std::string& digits);

}  // namespace DBFrameWork
