// A report that is nothing but its table: shown with its totals, charted by
// its groups (the biggest when there are too many, in the table's order), and
// written as the same CSV as the table's own writer.
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_Csv.h"
#include "dialogs/ReportTableDialog.h"
#include "tests/support/datafiles/TestSupport.h"
#include "tests/support/windows/FakeInteraction.h"

namespace {

using DBFrameWork::ReportCell;

DBFrameWork::ReportTable PartsTable(int groups)
{
    DBFrameWork::ReportTable table;
    table.columns = {{"Part", DBFrameWork::CellKind::Text},
                     {"Used", DBFrameWork::CellKind::Number},
                     {"Ordered", DBFrameWork::CellKind::Number}};
    for (int group = 0; group < groups; ++group)
        table.rows.push_back(
            {ReportCell::Text("part " + std::to_string(group)), ReportCell::Whole(group % 7), ReportCell::Whole(1)});
    table.totals = {ReportCell::Text("Total"), ReportCell::Whole(0), ReportCell::Whole(groups)};
    return table;
}

QStringList ChartGroups(TReportTableDialog& dialog, QStringList& seriesNames)
{
    const auto series = dialog.ChartView->chart()->series();
    EXPECT_EQ(series.size(), 1);
    QStringList groups;
    if (series.empty())
        return groups;
    auto* bars = qobject_cast<QBarSeries*>(series.front());
    for (QBarSet* set : bars->barSets())
        seriesNames << set->label();
    const auto axes = dialog.ChartView->chart()->axes(Qt::Horizontal);
    EXPECT_EQ(axes.size(), 1);
    if (auto* categories = axes.empty() ? nullptr : qobject_cast<QBarCategoryAxis*>(axes.front()))
        groups = categories->categories();
    return groups;
}

}  // namespace

TEST(ReportTableDialog, AnyTableIsShownChartedAndWrittenAsItsOwnCsv)
{
    TestSupport::TempDir work;
    FakeInteraction fake;
    QPrinter printer;
    const DBFrameWork::ReportTable table = PartsTable(25);
    TReportTableDialog dialog(nullptr, {"Parts Report", "Parts report", "PartsChartView", "Parts chart"}, table,
                              {0, {1, 2}, 4}, &printer);
    EXPECT_EQ(dialog.windowTitle(), "Parts Report");
    EXPECT_EQ(dialog.ChartView->objectName(), "PartsChartView");
    EXPECT_EQ(dialog.ReportTableView->model()->rowCount(), 26) << "the rows and the totals row";
    EXPECT_EQ(dialog.ReportTableView->model()->headerData(2, Qt::Horizontal).toString(), "Ordered");

    // The four groups that used the most, ties in the table's order, kept in that order.
    QStringList seriesNames;
    EXPECT_EQ(ChartGroups(dialog, seriesNames), QStringList({"part 5", "part 6", "part 13", "part 20"}));
    EXPECT_EQ(seriesNames, QStringList({"Used", "Ordered"}));

    fake.QueueFile(QString::fromStdString(work.File("parts.csv")));
    dialog.ExportCsvButton->click();
    std::string expected = DBFrameWork::CsvByteOrderMark;
    DBFrameWork::WriteCsv(
        table, [&](const std::string& line) { expected += line; }, [](size_t) { return true; });
    EXPECT_EQ(TestSupport::ReadFile(work.File("parts.csv")), expected);
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("|").toStdString();
}
