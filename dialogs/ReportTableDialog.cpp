#include "dialogs/ReportTableDialog.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "dialogs/DocumentOutput.h"
#include "dialogs/Interaction.h"
#include "dialogs/RecordTableModel.h"
#include "dialogs/ReportTableOutput.h"

namespace {

// The groups' names take what the window has to spare, from this width on.
constexpr int CategoryWidth = 220;

int64_t BarValue(const std::vector<DBFrameWork::ReportCell>& row, size_t column)
{
    return column < row.size() && !row[column].empty ? row[column].whole : 0;
}

}  // namespace

TReportTableDialog::TReportTableDialog(QWidget* owner, const Names& names, const DBFrameWork::ReportTable& table,
                                       const Chart& chart, QPrinter* printer)
    : TReportTableDialog(ChoicesFirst(), owner, names, table, chart, printer)
{
    LayOut(nullptr);
    ShowTable(table);
}

TReportTableDialog::TReportTableDialog(ChoicesFirst, QWidget* owner, const Names& names,
                                       const DBFrameWork::ReportTable& empty, const Chart& chart, QPrinter* printer)
    : QDialog(owner), ReportNames(names), ChartColumns(chart), Printer(printer), Table(empty)
{
    setWindowTitle(names.title);
}

TReportTableDialog::~TReportTableDialog() = default;

void TReportTableDialog::LayOut(QLayout* choices)
{
    Model = new RecordTableModel(ReportTableOutput::ModelColumns(Table), this);
    ReportTableView = new QTableView(this);
    ReportTableView->setObjectName("ReportTableView");
    ReportTableView->setAccessibleName(ReportNames.tableSpokenName);
    ReportTableView->setModel(Model);
    ReportTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ReportTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ReportTableView->verticalHeader()->hide();
    ReportTableView->verticalHeader()->setDefaultSectionSize(ReportTableView->fontMetrics().height() + 6);
    const int category = static_cast<int>(ChartColumns.categoryColumn);
    ReportTableView->setColumnWidth(category, CategoryWidth);
    ReportTableView->horizontalHeader()->setSectionResizeMode(category, QHeaderView::Stretch);

    ChartView = new QChartView(this);
    ChartView->setObjectName(ReportNames.chartObjectName);
    ChartView->setAccessibleName(ReportNames.chartSpokenName);
    ChartView->setRenderHint(QPainter::Antialiasing);
    ChartView->setMinimumHeight(200);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName("ReportSplitter");
    splitter->addWidget(ReportTableView);
    splitter->addWidget(ChartView);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({220, 320});

    const auto button = [this](const char* name, const QString& caption) {
        auto* pushButton = new QPushButton(caption, this);
        pushButton->setObjectName(name);
        pushButton->setAutoDefault(false);
        return pushButton;
    };
    ExportCsvButton = button("ExportCsvButton", "Export &CSV...");
    PrintButton = button("PrintButton", "&Print...");
    ExportPdfButton = button("ExportPdfButton", "Export P&DF...");
    CloseButton = button("CloseButton", "C&lose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ExportCsvButton);
    buttons->addWidget(PrintButton);
    buttons->addWidget(ExportPdfButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    if (choices)
        layout->addLayout(choices);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    connect(ExportCsvButton, &QPushButton::clicked, this, &TReportTableDialog::ExportCsvButtonClick);
    connect(PrintButton, &QPushButton::clicked, this, &TReportTableDialog::PrintButtonClick);
    connect(ExportPdfButton, &QPushButton::clicked, this, &TReportTableDialog::ExportPdfButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TReportTableDialog::ShowTable(DBFrameWork::ReportTable table)
{
    Table = std::move(table);
    // The rows and, when there is one, the totals row below them.
    Model->Reset(static_cast<int>(Table.rows.size()) + (Table.totals.empty() ? 0 : 1));
    for (size_t column = 0; column < Table.columns.size(); ++column)
        Model->SetHeader(static_cast<int>(column), QString::fromStdString(Table.columns[column].header));
    UpdateChart();
}

void TReportTableDialog::UpdateChart()
{
    // A chart of its own for each reading: series and axes removed from a
    // chart linger in its scene until the event loop deletes them, and would
    // be drawn over the new ones by a print that follows at once.
    QChart* previous = ChartView->chart();
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    ChartView->setChart(chart);
    delete previous;
    if (ChartColumns.seriesColumns.empty())
        return;
    const size_t first = ChartColumns.seriesColumns.front();
    std::vector<size_t> shown(Table.rows.size());
    for (size_t i = 0; i < shown.size(); ++i)
        shown[i] = i;
    if (shown.size() > static_cast<size_t>(ChartColumns.maxGroups)) {
        std::stable_sort(shown.begin(), shown.end(), [this, first](size_t a, size_t b) {
            return BarValue(Table.rows[a], first) > BarValue(Table.rows[b], first);
        });
        shown.resize(static_cast<size_t>(ChartColumns.maxGroups));
        std::sort(shown.begin(), shown.end());
    }
    std::vector<QBarSet*> sets;
    for (const size_t column : ChartColumns.seriesColumns)
        sets.push_back(new QBarSet(QString::fromStdString(Table.columns.at(column).header)));
    QStringList categories;
    int64_t largest = 0;
    for (const size_t index : shown) {
        const std::vector<DBFrameWork::ReportCell>& row = Table.rows[index];
        for (size_t series = 0; series < sets.size(); ++series) {
            const int64_t value = BarValue(row, ChartColumns.seriesColumns[series]);
            *sets[series] << static_cast<qreal>(value);
            largest = std::max(largest, value);
        }
        const std::string& name = row.at(ChartColumns.categoryColumn).text;
        categories << (name.empty() ? QStringLiteral(" ") : QString::fromStdString(name));
    }
    auto* series = new QBarSeries;
    for (QBarSet* set : sets)
        series->append(set);
    chart->addSeries(series);
    auto* groups = new QBarCategoryAxis;
    groups->append(categories);
    chart->addAxis(groups, Qt::AlignBottom);
    series->attachAxis(groups);
    auto* values = new QValueAxis;
    // Whole numbers at round steps (1, 2, 5, 10, 20, ...), at most five of
    // them, so that no two labels read alike, even for an empty report.
    const int64_t top = std::max<int64_t>(largest, 1);
    int64_t step = 1;
    for (int64_t scale = 1; top > 5 * step; scale *= 10)
        for (int64_t factor : {1, 2, 5})
            if (top > 5 * step)
                step = factor * scale;
    const int64_t ceiling = (top + step - 1) / step * step;
    values->setRange(0, static_cast<qreal>(ceiling));
    values->setTickCount(static_cast<int>(ceiling / step + 1));
    values->setLabelFormat("%d");
    chart->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
}

void TReportTableDialog::ExportCsvButtonClick()
{
    ReportTableOutput::ExportCsv(this, Table, ReportNames.title + ".csv");
}

void TReportTableDialog::BuildDocument(QTextDocument& document)
{
    QString html = "<html><body><h2>" + ReportNames.title.toHtmlEscaped() + "</h2>";
    if (!Subtitle.isEmpty())
        html += "<p>" + Subtitle + "</p>";
    html += ReportTableOutput::TableHtml(Table) + "<p></p>";
    // The chart laid out at the size it is printed, drawn at twice the
    // resolution so that its bars and labels stay sharp on paper.
    QImage image(1600, 800, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QSize screen = ChartView->size();
        ChartView->resize(800, 400);
        ChartView->render(&painter, QRectF(0, 0, 1600, 800));
        ChartView->resize(screen);
    }
    document.addResource(QTextDocument::ImageResource, QUrl("chart.png"), image);
    html += "<p><img src=\"chart.png\" width=\"640\" height=\"320\"></p></body></html>";
    // Without ligatures the PDF's text is the table's text, for search and copy.
    QFont font = document.defaultFont();
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setHtml(html);
}

void TReportTableDialog::PrintButtonClick()
{
    QTextDocument document;
    BuildDocument(document);
    DocumentOutput::Print(document, *Printer);
}

void TReportTableDialog::ExportPdfButtonClick()
{
    QTextDocument document;
    BuildDocument(document);
    QString failedPath;
    if (!DocumentOutput::ExportPdf(document, *Printer, ReportNames.title + ".pdf", failedPath) && !failedPath.isEmpty())
        Interaction::ShowError("Error writing " + failedPath + "!");
}
