#include "dialogs/ReportTableOutput.h"

#include <QSaveFile>

#include "dbframework/DBFrameWork_Csv.h"
#include "dialogs/BackgroundWork.h"
#include "dialogs/DocumentOutput.h"
#include "dialogs/Interaction.h"
#include "dialogs/ReportDates.h"

namespace ReportTableOutput {
namespace {

// Rows of CSV that take less than the hand-over to another thread would.
constexpr size_t RowsWrittenAtOnce = 1000;

}  // namespace

QString CellText(const DBFrameWork::ReportCell& cell)
{
    if (cell.empty)
        return QString();
    switch (cell.kind) {
    case DBFrameWork::CellKind::Number:
        return cell.digits > 0 ? QString::number(cell.decimal, 'f', cell.digits)
                               : QString::number(static_cast<qlonglong>(cell.whole));
    case DBFrameWork::CellKind::Date:
        return ShortDateText(ToQDate(cell.date));
    case DBFrameWork::CellKind::Text:
        break;
    }
    return QString::fromStdString(cell.text);
}

QVariant CellValue(const DBFrameWork::ReportCell& cell)
{
    if (cell.kind == DBFrameWork::CellKind::Number && !cell.empty && cell.digits == 0)
        return QVariant(static_cast<qlonglong>(cell.whole));
    if (cell.kind == DBFrameWork::CellKind::Number && cell.empty)
        return QVariant();
    return QVariant(CellText(cell));
}

std::vector<RecordTableModel::Column> ModelColumns(const DBFrameWork::ReportTable& table)
{
    std::vector<RecordTableModel::Column> columns;
    for (size_t column = 0; column < table.columns.size(); ++column)
        columns.push_back({QString::fromStdString(table.columns[column].header),
                           [&table, column](int row) {
                               const auto at = static_cast<size_t>(row);
                               const auto& cells = at < table.rows.size() ? table.rows[at] : table.totals;
                               return column < cells.size() ? CellValue(cells[column]) : QVariant();
                           },
                           table.columns[column].kind == DBFrameWork::CellKind::Number});
    return columns;
}

std::vector<RecordTableModel::Column> ModelColumns(const std::vector<DBFrameWork::ReportColumn>& columns,
                                                   const RowCells& rowCells)
{
    std::vector<RecordTableModel::Column> viewColumns;
    for (size_t column = 0; column < columns.size(); ++column)
        viewColumns.push_back({QString::fromStdString(columns[column].header),
                               [rowCells, column](int row) {
                                   const std::vector<DBFrameWork::ReportCell> cells = rowCells(row);
                                   return column < cells.size() ? CellValue(cells[column]) : QVariant();
                               },
                               columns[column].kind == DBFrameWork::CellKind::Number});
    return viewColumns;
}

std::vector<std::vector<QString>> TableText(const DBFrameWork::ReportTable& table)
{
    std::vector<std::vector<QString>> text;
    std::vector<QString> header;
    for (const DBFrameWork::ReportColumn& column : table.columns)
        header.push_back(QString::fromStdString(column.header));
    text.push_back(std::move(header));
    const auto add = [&text](const std::vector<DBFrameWork::ReportCell>& cells) {
        std::vector<QString> row;
        for (const DBFrameWork::ReportCell& cell : cells)
            row.push_back(CellText(cell));
        text.push_back(std::move(row));
    };
    for (const auto& row : table.rows)
        add(row);
    if (!table.totals.empty())
        add(table.totals);
    return text;
}

QString TableHtml(const DBFrameWork::ReportTable& table)
{
    QString html = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">";
    const std::vector<std::vector<QString>> text = TableText(table);
    for (size_t row = 0; row < text.size(); ++row) {
        const bool heading = row == 0 || (!table.totals.empty() && row + 1 == text.size());
        html += "<tr>";
        for (size_t column = 0; column < text[row].size(); ++column) {
            const bool number = column < table.columns.size() &&
                table.columns[column].kind == DBFrameWork::CellKind::Number;
            html += QString("<td%1>%2%3%4</td>")
                        .arg(number ? QStringLiteral(" align=\"right\"") : QString(),
                             heading ? QStringLiteral("<b>") : QString(), text[row][column].toHtmlEscaped(),
                             heading ? QStringLiteral("</b>") : QString());
        }
        html += "</tr>";
    }
    return html + "</table>";
}

void ExportCsv(QWidget* owner, const DBFrameWork::ReportTable& table, const QString& suggestedName)
{
    Interaction::OpenFileRequest request;
    request.initialFolder = suggestedName;
    request.defaultExtension = "csv";
    request.filter = "CSV Files (*.csv)|*.csv";
    QString path;
    if (!Interaction::SaveFile(request, path))
        return;
    QSaveFile file(path);
    if (!DocumentOutput::OpenForWriting(file)) {
        Interaction::ShowError("Error writing " + path + "!");
        return;
    }
    // Whole lines: a zero byte in a stored text must not cut its row short.
    const auto writeLine = [&file](const std::string& line) {
        file.write(line.data(), static_cast<qint64>(line.size()));
    };
    file.write(DBFrameWork::CsvByteOrderMark);
    // A small table is written before the window could show that it is busy;
    // a larger one is the work's until it is written, and the window's thread
    // only commits it.
    const bool written = table.rows.size() <= RowsWrittenAtOnce
        ? DBFrameWork::WriteCsv(table, writeLine, [](size_t) { return true; })
        : BackgroundWork(owner, static_cast<int>(table.rows.size())).Run([&](const BackgroundWork::Progress& step) {
              return DBFrameWork::WriteCsv(table, writeLine, step);
          });
    if (!written) {
        file.cancelWriting();
        return;
    }
    if (!file.commit())
        Interaction::ShowError("Error writing " + path + "!");
}

}  // namespace ReportTableOutput
