// A report as a table of typed cells: the columns' headers and kinds, the
// rows, and an optional totals row; every writer (screen, CSV, print, PDF)
// takes it as it is, so that they all show the same figures.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_CalendarDate.h"

namespace DBFrameWork {

enum class CellKind { Text, Number, Date };

struct ReportCell {
    CellKind kind = CellKind::Text;
    std::string text;
    // A number is whole unless it has digits after the point.
    int64_t whole = 0;
    double decimal = 0;
    int digits = 0;
    CalendarDate date;
    // No value: an empty field of any kind.
    bool empty = false;

    static ReportCell Text(std::string value);
    static ReportCell Whole(int64_t value);
    static ReportCell Decimal(double value, int digits);
    static ReportCell Day(const CalendarDate& value);
    static ReportCell Empty(CellKind kind);
};

struct ReportColumn {
    std::string header;
    CellKind kind = CellKind::Text;
};

struct ReportTable {
    std::vector<ReportColumn> columns;
    std::vector<std::vector<ReportCell>> rows;
    // Empty when the report has no totals row.
    std::vector<ReportCell> totals;
};

// Told each line of the file in turn, CR LF included.
using LineWriter = std::function<void(const std::string& line)>;

// The table as CSV lines (header, rows, totals), without the byte order mark;
// `progress` hears of every few hundred rows and stops the writing with
// false, which answers false.
bool WriteCsv(const ReportTable& table, const LineWriter& write, const std::function<bool(size_t rows)>& progress);

}  // namespace DBFrameWork
