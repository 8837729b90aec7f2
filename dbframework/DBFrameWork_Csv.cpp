#include "dbframework/DBFrameWork_Csv.h"

#include <cstdio>
#include <cstring>

namespace DBFrameWork {
namespace {

bool IsPlainNumber(const std::string& text)
{
    size_t at = text.size() > 1 && text[0] == '-' ? 1 : 0;
    bool digits = false, point = false;
    for (; at < text.size(); ++at) {
        if (text[at] >= '0' && text[at] <= '9')
            digits = true;
        else if (text[at] == '.' && !point && digits)
            point = true;
        else
            return false;
    }
    return digits && text.back() != '.';
}

// What a spreadsheet may take for the start of a formula: = + - @, a tab or
// a carriage return before one, and their full-width forms (U+FF1D, U+FF0B,
// U+FF0D, U+FF20), which some spreadsheets read as the plain ones.
bool StartsLikeAFormula(const std::string& text)
{
    if (text.empty())
        return false;
    if (std::strchr("=+-@\t\r", text[0]) && text[0] != '\0')
        return true;
    for (const char* wide : {"\xEF\xBC\x9D", "\xEF\xBC\x8B", "\xEF\xBC\x8D", "\xEF\xBC\xA0"})
        if (text.rfind(wide, 0) == 0)
            return true;
    return false;
}

}  // namespace

const char* const CsvByteOrderMark = "\xEF\xBB\xBF";

CsvCell CsvCell::Decimal(double value, int digits)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
    CsvCell cell{std::string(buffer)};
    cell.number = true;
    return cell;
}

std::string CsvField(const CsvCell& cell)
{
    std::string text = cell.text;
    if (!(cell.number && IsPlainNumber(text)) && StartsLikeAFormula(text))
        text.insert(0, 1, '\'');
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvLine(const std::vector<CsvCell>& cells)
{
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += ',';
        line += CsvField(cells[i]);
    }
    return line + "\r\n";
}

}  // namespace DBFrameWork
