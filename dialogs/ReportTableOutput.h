// A report's table on screen, in CSV and in a printed document, the same way
// for every report.
#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

#include "dbframework/DBFrameWork_ReportTable.h"
#include "dialogs/RecordTableModel.h"

class QWidget;

namespace ReportTableOutput {

// A cell as the window shows it; dates in the locale's short format.
QString CellText(const DBFrameWork::ReportCell& cell);
// A cell for a table view: whole numbers as numbers, the rest as shown.
QVariant CellValue(const DBFrameWork::ReportCell& cell);
// The view's columns over `table`, which the caller keeps: its rows, then
// its totals row, if any.
std::vector<RecordTableModel::Column> ModelColumns(const DBFrameWork::ReportTable& table);
// The view's columns over rows that the caller keeps in a form of its own and
// turns into cells when one is shown: a long list is then not held twice.
using RowCells = std::function<std::vector<DBFrameWork::ReportCell>(int row)>;
std::vector<RecordTableModel::Column> ModelColumns(const std::vector<DBFrameWork::ReportColumn>& columns,
                                                   const RowCells& rowCells);
// The header, the rows and the totals row, as shown.
std::vector<std::vector<QString>> TableText(const DBFrameWork::ReportTable& table);
// The table for a document: header and totals in bold, numbers to the right.
QString TableHtml(const DBFrameWork::ReportTable& table);
// Asks for a CSV file (suggestedName proposed) and writes the table there off
// the window's thread; an error box says when it could not be written.
void ExportCsv(QWidget* owner, const DBFrameWork::ReportTable& table, const QString& suggestedName);

}  // namespace ReportTableOutput
