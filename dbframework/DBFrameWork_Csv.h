// Comma-separated values as RFC 4180 has them, for spreadsheet programs:
// UTF-8, a comma between fields, CR LF after every line, and a field quoted
// when it holds a comma, a quote or a line break (quotes inside doubled).
//
// A text field that begins with =, +, - or @ (or a tab, a carriage return, or
// a full-width form of those four) is written with a single quote in front, so
// that a spreadsheet shows it as text instead of running it as a formula.
// Numbers are written as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace DBFrameWork {

struct CsvCell {
    std::string text;
    bool number = false;  // written unguarded when text is a plain decimal number

    CsvCell(std::string value) : text(std::move(value)) {}
    CsvCell(const char* value) : text(value) {}
    CsvCell(int64_t value) : text(std::to_string(value)), number(true) {}
    CsvCell(int32_t value) : text(std::to_string(value)), number(true) {}
    // A decimal number with the given digits after the point.
    static CsvCell Decimal(double value, int digits);
};

// One field as it stands in the file.
std::string CsvField(const CsvCell& cell);
// One line, ending in CR LF.
std::string CsvLine(const std::vector<CsvCell>& cells);

// The byte order mark that tells spreadsheet programs the file is UTF-8.
extern const char* const CsvByteOrderMark;

}  // namespace DBFrameWork
