// Hours per technician, customer or month over a range of assignment dates,
// with totals and a bar chart; the table goes out as CSV, print or PDF.
#pragma once

#include <QDate>
#include <QDialog>
#include <memory>
#include <vector>

#include "dbframework/DBFrameWork_Reports.h"

class QChart;
class QChartView;
class QComboBox;
class QDateEdit;
class QPrinter;
class QPushButton;
class QTableView;
class QTextDocument;
class RecordTableModel;

namespace DBFrameWork {
class DBConnection;
}

class THoursReportDialog : public QDialog {
    Q_OBJECT

public:
    enum Period { ThisMonth, LastMonth, ThisYear, Custom };

    // printer: where Print goes, with the page set up in the main window.
    THoursReportDialog(QWidget* owner, DBFrameWork::DBConnection* connection, QPrinter* printer);
    ~THoursReportDialog() override;

    // Reads the report for the range and grouping chosen; false when reading
    // failed (the error box has said so) or was cancelled.
    bool Reload();
    const std::vector<DBFrameWork::HoursReportRow>& Rows() const { return RowList; }
    // The table's text as shown: the header, the groups and the totals row.
    std::vector<std::vector<QString>> TableText() const;

    void ExportCsvButtonClick();
    void PrintButtonClick();
    void ExportPdfButtonClick();

    QComboBox* PeriodComboBox = nullptr;
    QDateEdit* FromDatePicker = nullptr;
    QDateEdit* ToDatePicker = nullptr;
    QComboBox* GroupByComboBox = nullptr;
    QTableView* ReportTableView = nullptr;
    QChartView* HoursChartView = nullptr;
    QPushButton* ExportCsvButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* ExportPdfButton = nullptr;
    QPushButton* CloseButton = nullptr;

    // Groups drawn in the chart at most: more bars could not be read.
    static constexpr int ChartGroups = 20;

private:
    void ApplyPeriod();
    void UpdateChart();
    void BuildDocument(QTextDocument& document);
    DBFrameWork::HoursGrouping Grouping() const;
    QString GroupTitle() const;

    // The reads run off the window's thread on an attachment of the
    // dialog's own, so that the window's connection never leaves its thread.
    std::unique_ptr<DBFrameWork::DBConnection> Connection;
    QPrinter* Printer;
    std::vector<DBFrameWork::HoursReportRow> RowList;
    DBFrameWork::ReportTable Table;
    RecordTableModel* Model = nullptr;
    QChart* Chart = nullptr;
    bool Applying = false;
};
