// Any report as the shop sees it: its table, a bar chart of its groups
// beneath, and the table written as CSV, printed or written as PDF. A report
// is a query that answers with a ReportTable; a report with choices of its own
// (a period, a grouping) puts them above the table.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "dbframework/DBFrameWork_ReportTable.h"

class QChartView;
class QLayout;
class QPrinter;
class QPushButton;
class QTableView;
class QTextDocument;
class RecordTableModel;

class TReportTableDialog : public QDialog {
    Q_OBJECT

public:
    // What the report is called: in the window, its files and for a screen reader.
    struct Names {
        QString title;  // "Hours Report": the caption, the document's heading, the files' names
        QString tableSpokenName;
        QString chartObjectName;
        QString chartSpokenName;
    };
    // The bars: one series per number column, one group per row, named by
    // the category column; at most maxGroups of them, those with the most of
    // the first series, in the table's order.
    struct Chart {
        size_t categoryColumn = 0;
        std::vector<size_t> seriesColumns;
        int maxGroups = 20;
    };

    // A report without choices: the table is shown as it is given.
    TReportTableDialog(QWidget* owner, const Names& names, const DBFrameWork::ReportTable& table, const Chart& chart,
                       QPrinter* printer);
    ~TReportTableDialog() override;

    void ExportCsvButtonClick();
    void PrintButtonClick();
    void ExportPdfButtonClick();
    const DBFrameWork::ReportTable& ShownTable() const { return Table; }

    QTableView* ReportTableView = nullptr;
    QChartView* ChartView = nullptr;
    QPushButton* ExportCsvButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* ExportPdfButton = nullptr;
    QPushButton* CloseButton = nullptr;

protected:
    // For a report with choices: it makes them, then lays out the rest below
    // them with LayOut (so that Tab reaches them first).
    struct ChoicesFirst {};
    TReportTableDialog(ChoicesFirst, QWidget* owner, const Names& names, const DBFrameWork::ReportTable& empty,
                       const Chart& chart, QPrinter* printer);
    void LayOut(QLayout* choices);
    // Shows another reading of the same columns.
    void ShowTable(DBFrameWork::ReportTable table);
    // The line under the document's heading (the period, say), as HTML; empty for none.
    void SetSubtitle(const QString& subtitle) { Subtitle = subtitle; }

private:
    void UpdateChart();
    void BuildDocument(QTextDocument& document);

    Names ReportNames;
    Chart ChartColumns;
    QPrinter* Printer;
    QString Subtitle;
    DBFrameWork::ReportTable Table;
    RecordTableModel* Model = nullptr;
};
