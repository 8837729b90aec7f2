#include "dbframework/DBFrameWork_ReportTable.h"

#include <cstdio>
#include <utility>

#include "dbframework/DBFrameWork_Csv.h"

namespace DBFrameWork {
namespace {

// Rows between two calls of the progress function.
constexpr size_t ProgressStep = 256;

CsvCell CsvOf(const ReportCell& cell)
{
    if (cell.empty)
        return CsvCell("");
    switch (cell.kind) {
    case CellKind::Number:
        return cell.digits > 0 ? CsvCell::Decimal(cell.decimal, cell.digits) : CsvCell(cell.whole);
    case CellKind::Date: {
        // The one spelling of a day that every spreadsheet reads alike.
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", cell.date.year, cell.date.month, cell.date.day);
        return CsvCell(std::string(text));
    }
    case CellKind::Text:
        break;
    }
    return CsvCell(cell.text);
}

std::string LineOf(const std::vector<ReportCell>& cells)
{
    std::vector<CsvCell> fields;
    for (const ReportCell& cell : cells)
        fields.push_back(CsvOf(cell));
    return CsvLine(fields);
}

}  // namespace

ReportCell ReportCell::Text(std::string value)
{
    ReportCell cell;
    cell.text = std::move(value);
    return cell;
}

ReportCell ReportCell::Whole(int64_t value)
{
    ReportCell cell;
    cell.kind = CellKind::Number;
    cell.whole = value;
    return cell;
}

ReportCell ReportCell::Decimal(double value, int digits)
{
    ReportCell cell;
    cell.kind = CellKind::Number;
    cell.decimal = value;
    cell.digits = digits;
    return cell;
}

ReportCell ReportCell::Day(const CalendarDate& value)
{
    ReportCell cell;
    cell.kind = CellKind::Date;
    cell.date = value;
    cell.empty = !value.IsSet();
    return cell;
}

ReportCell ReportCell::Empty(CellKind kind)
{
    ReportCell cell;
    cell.kind = kind;
    cell.empty = true;
    return cell;
}

bool WriteCsv(const ReportTable& table, const LineWriter& write, const std::function<bool(size_t rows)>& progress)
{
    std::vector<CsvCell> header;
    for (const ReportColumn& column : table.columns)
        header.push_back(CsvCell(column.header));
    write(CsvLine(header));
    for (size_t i = 0; i < table.rows.size(); ++i) {
        write(LineOf(table.rows[i]));
        if (progress && i % ProgressStep == ProgressStep - 1 && !progress(i + 1))
            return false;
    }
    if (!table.totals.empty())
        write(LineOf(table.totals));
    return true;
}

}  // namespace DBFrameWork
