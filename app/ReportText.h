// The text a system-information report file is stored as.
#pragma once

#include <optional>
#include <string>

namespace ReportText {

// Turns the bytes of a report file into the report kept with a ticket. Reports
// saved as UTF-16 (with a byte order mark, or without one when every second
// byte of the start is zero) become UTF-8, and a charset named in their HTML
// head becomes utf-8. Every other file keeps its bytes: UTF-8 with or without
// a byte order mark and 8-bit code pages alike. Each line then ends in one
// line feed. Returns nothing when the result still holds a zero byte: such a
// file is not a text report, and the data file could not hand it back whole.
std::optional<std::string> FromFileBytes(std::string bytes);

}  // namespace ReportText
