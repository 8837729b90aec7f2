// Hours per technician, customer or month over a range of assignment dates,
// with totals and a bar chart; the table goes out as CSV, print or PDF.
#pragma once

#include <QDate>
#include <memory>
#include <vector>

#include "dbframework/DBFrameWork_Reports.h"
#include "dialogs/ReportTableDialog.h"

class QComboBox;
class QDateEdit;

namespace DBFrameWork {
class DBConnection;
}

class THoursReportDialog : public TReportTableDialog {
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

    QComboBox* PeriodComboBox = nullptr;
    QDateEdit* FromDatePicker = nullptr;
    QDateEdit* ToDatePicker = nullptr;
    QComboBox* GroupByComboBox = nullptr;
    QChartView* HoursChartView = nullptr;

    // Groups drawn in the chart at most: more bars could not be read.
    static constexpr int ChartGroups = 20;

private:
    void ApplyPeriod();
    DBFrameWork::HoursGrouping Grouping() const;
    QString GroupTitle() const;

    // The reads run off the window's thread on an attachment of the
    // dialog's own, so that the window's connection never leaves its thread.
    std::unique_ptr<DBFrameWork::DBConnection> Connection;
    std::vector<DBFrameWork::HoursReportRow> RowList;
    bool Applying = false;
};
