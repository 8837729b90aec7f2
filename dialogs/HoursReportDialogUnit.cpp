#include "dialogs/HoursReportDialogUnit.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
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

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/BackgroundWork.h"
#include "dialogs/DatePicker.h"
#include "dialogs/DocumentOutput.h"
#include "dialogs/Interaction.h"
#include "dialogs/RecordTableModel.h"
#include "dialogs/ReportDates.h"
#include "dialogs/ReportTableOutput.h"

namespace {

// The group, then the figures of HoursTable.
constexpr int GroupColumn = 0;

}  // namespace

THoursReportDialog::THoursReportDialog(QWidget* owner, DBFrameWork::DBConnection* connection, QPrinter* printer)
    : QDialog(owner), Connection(std::make_unique<DBFrameWork::DBConnection>(
                          connection->GetPath(), connection->GetUser(), connection->GetPassword())),
      Printer(printer)
{
    setObjectName("HoursReportDialog");
    setWindowTitle("Hours Report");
    resize(760, 620);

    PeriodComboBox = new QComboBox(this);
    PeriodComboBox->setObjectName("PeriodComboBox");
    PeriodComboBox->addItems({"This month", "Last month", "This year", "Custom"});
    PeriodComboBox->setAccessibleName("Period");
    FromDatePicker = NewDatePicker("FromDatePicker", this);
    FromDatePicker->setAccessibleName("From");
    ToDatePicker = NewDatePicker("ToDatePicker", this);
    ToDatePicker->setAccessibleName("Through");
    GroupByComboBox = new QComboBox(this);
    GroupByComboBox->setObjectName("GroupByComboBox");
    GroupByComboBox->addItems({"Technician", "Customer", "Month"});
    GroupByComboBox->setAccessibleName("Group by");

    const auto label = [this](const char* name, const QString& caption, QWidget* buddy) {
        auto* text = new QLabel(caption, this);
        text->setObjectName(name);
        text->setBuddy(buddy);
        // A little air before the control, so that no letter touches it.
        text->setContentsMargins(0, 0, 4, 0);
        return text;
    };
    auto* filters = new QGridLayout;
    filters->addWidget(label("PeriodLabel", "&Period", PeriodComboBox), 0, 0);
    filters->addWidget(PeriodComboBox, 0, 1);
    filters->addWidget(label("FromLabel", "&From", FromDatePicker), 0, 2);
    filters->addWidget(FromDatePicker, 0, 3);
    filters->addWidget(label("ToLabel", "&To", ToDatePicker), 0, 4);
    filters->addWidget(ToDatePicker, 0, 5);
    filters->addWidget(label("GroupByLabel", "&Group by", GroupByComboBox), 0, 6);
    filters->addWidget(GroupByComboBox, 0, 7);
    filters->setColumnStretch(8, 1);

    // Until the first reading, an empty report.
    Table = DBFrameWork::HoursTable(RowList, GroupTitle().toStdString());
    Model = new RecordTableModel(ReportTableOutput::ModelColumns(Table), this);
    ReportTableView = new QTableView(this);
    ReportTableView->setObjectName("ReportTableView");
    ReportTableView->setAccessibleName("Hours report");
    ReportTableView->setModel(Model);
    ReportTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ReportTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ReportTableView->verticalHeader()->hide();
    ReportTableView->verticalHeader()->setDefaultSectionSize(ReportTableView->fontMetrics().height() + 6);
    ReportTableView->setColumnWidth(GroupColumn, 220);
    // The group's name takes what the window has to spare.
    ReportTableView->horizontalHeader()->setSectionResizeMode(GroupColumn, QHeaderView::Stretch);

    HoursChartView = new QChartView(this);
    HoursChartView->setObjectName("HoursChartView");
    HoursChartView->setAccessibleName("Hours chart");
    HoursChartView->setRenderHint(QPainter::Antialiasing);
    HoursChartView->setMinimumHeight(200);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName("ReportSplitter");
    splitter->addWidget(ReportTableView);
    splitter->addWidget(HoursChartView);
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
    layout->addLayout(filters);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    const auto reload = [this] {
        if (!Applying)
            Reload();
    };
    connect(PeriodComboBox, &QComboBox::currentIndexChanged, this, [this, reload] {
        ApplyPeriod();
        reload();
    });
    connect(FromDatePicker, &QDateEdit::dateChanged, this, reload);
    connect(ToDatePicker, &QDateEdit::dateChanged, this, reload);
    connect(GroupByComboBox, &QComboBox::currentIndexChanged, this, reload);
    connect(ExportCsvButton, &QPushButton::clicked, this, &THoursReportDialog::ExportCsvButtonClick);
    connect(PrintButton, &QPushButton::clicked, this, &THoursReportDialog::PrintButtonClick);
    connect(ExportPdfButton, &QPushButton::clicked, this, &THoursReportDialog::ExportPdfButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

    ApplyPeriod();
}

THoursReportDialog::~THoursReportDialog() = default;

void THoursReportDialog::ApplyPeriod()
{
    const QDate today = QDate::currentDate();
    const QDate monthStart(today.year(), today.month(), 1);
    const int period = PeriodComboBox->currentIndex();
    const bool custom = period == Custom;
    FromDatePicker->setEnabled(custom);
    ToDatePicker->setEnabled(custom);
    if (custom)
        return;
    QDate from = monthStart, through = monthStart.addMonths(1).addDays(-1);
    if (period == LastMonth) {
        from = monthStart.addMonths(-1);
        through = monthStart.addDays(-1);
    } else if (period == ThisYear) {
        from = QDate(today.year(), 1, 1);
        through = QDate(today.year(), 12, 31);
    }
    Applying = true;
    FromDatePicker->setDate(from);
    ToDatePicker->setDate(through);
    Applying = false;
}

DBFrameWork::HoursGrouping THoursReportDialog::Grouping() const
{
    switch (GroupByComboBox->currentIndex()) {
    case 1:
        return DBFrameWork::HoursGrouping::Customer;
    case 2:
        return DBFrameWork::HoursGrouping::Month;
    default:
        return DBFrameWork::HoursGrouping::Technician;
    }
}

QString THoursReportDialog::GroupTitle() const
{
    return GroupByComboBox->currentText();
}

bool THoursReportDialog::Reload()
{
    std::vector<DBFrameWork::HoursReportRow> rows;
    const DBFrameWork::CalendarDate from = ToCalendarDate(FromDatePicker->date());
    const DBFrameWork::CalendarDate through = ToCalendarDate(ToDatePicker->date());
    const DBFrameWork::HoursGrouping grouping = Grouping();
    // Attached on the window's thread: an engine that does not answer is told of in a message box.
    DBFrameWork::QueryOutcome outcome = DBFrameWork::QueryOutcome::Failed;
    if (Connection->Connected || Connection->Connect())
        // The engine sums every ticket of the range before it answers the
        // first row: years of them take longer than the window may stand still.
        outcome = BackgroundWork(this).Read([&](const DBFrameWork::FetchProgress& step) {
            return DBFrameWork::ReadHoursReport(*Connection, from, through, grouping, rows, step);
        });
    if (outcome == DBFrameWork::QueryOutcome::Failed)
        Interaction::ShowError("Error reading Data File (" + QString::fromStdString(Connection->GetPath()) + ")!");
    // A read cancelled or failed shows no figures rather than those of the
    // range asked before.
    if (outcome != DBFrameWork::QueryOutcome::Done)
        rows.clear();
    RowList = std::move(rows);
    Table = DBFrameWork::HoursTable(RowList, GroupTitle().toStdString());
    // The rows and the totals row below them.
    Model->Reset(static_cast<int>(RowList.size()) + 1);
    for (size_t column = 0; column < Table.columns.size(); ++column)
        Model->SetHeader(static_cast<int>(column), QString::fromStdString(Table.columns[column].header));
    UpdateChart();
    return outcome == DBFrameWork::QueryOutcome::Done;
}

std::vector<std::vector<QString>> THoursReportDialog::TableText() const
{
    return ReportTableOutput::TableText(Table);
}

void THoursReportDialog::UpdateChart()
{
    // A chart of its own for each reading: series and axes removed from a
    // chart linger in its scene until the event loop deletes them, and would
    // be drawn over the new ones by a print that follows at once.
    QChart* previous = HoursChartView->chart();
    Chart = new QChart;
    Chart->legend()->setAlignment(Qt::AlignBottom);
    HoursChartView->setChart(Chart);
    delete previous;
    // The groups with the most actual hours, kept in the table's order.
    std::vector<size_t> shown(RowList.size());
    for (size_t i = 0; i < shown.size(); ++i)
        shown[i] = i;
    if (shown.size() > static_cast<size_t>(ChartGroups)) {
        std::stable_sort(shown.begin(), shown.end(),
                         [this](size_t a, size_t b) { return RowList[a].actualHours > RowList[b].actualHours; });
        shown.resize(ChartGroups);
        std::sort(shown.begin(), shown.end());
    }
    auto* actual = new QBarSet("Actual Hours");
    auto* billable = new QBarSet("Billable Hours");
    QStringList categories;
    int64_t largest = 0;
    for (const size_t index : shown) {
        const DBFrameWork::HoursReportRow& row = RowList[index];
        *actual << static_cast<qreal>(row.actualHours);
        *billable << static_cast<qreal>(row.billableHours);
        categories << (row.group.empty() ? QStringLiteral(" ") : QString::fromStdString(row.group));
        largest = std::max({largest, row.actualHours, row.billableHours});
    }
    auto* series = new QBarSeries;
    series->append(actual);
    series->append(billable);
    Chart->addSeries(series);
    auto* groups = new QBarCategoryAxis;
    groups->append(categories);
    Chart->addAxis(groups, Qt::AlignBottom);
    series->attachAxis(groups);
    auto* hours = new QValueAxis;
    // Whole hours at round steps (1, 2, 5, 10, 20, ...), at most five of them,
    // so that no two labels read alike, even for an empty range.
    const int64_t top = std::max<int64_t>(largest, 1);
    int64_t step = 1;
    for (int64_t scale = 1; top > 5 * step; scale *= 10)
        for (int64_t factor : {1, 2, 5})
            if (top > 5 * step)
                step = factor * scale;
    const int64_t ceiling = (top + step - 1) / step * step;
    hours->setRange(0, static_cast<qreal>(ceiling));
    hours->setTickCount(static_cast<int>(ceiling / step + 1));
    hours->setLabelFormat("%d");
    Chart->addAxis(hours, Qt::AlignLeft);
    series->attachAxis(hours);
}

void THoursReportDialog::ExportCsvButtonClick()
{
    ReportTableOutput::ExportCsv(this, Table, "Hours Report.csv");
}

void THoursReportDialog::BuildDocument(QTextDocument& document)
{
    QString html = "<html><body><h2>Hours Report</h2><p>" + ShortDateText(FromDatePicker->date()).toHtmlEscaped() +
        " &ndash; " + ShortDateText(ToDatePicker->date()).toHtmlEscaped() + "</p>";
    html += ReportTableOutput::TableHtml(Table) + "<p></p>";
    // The chart laid out at the size it is printed, drawn at twice the
    // resolution so that its bars and labels stay sharp on paper.
    QImage chart(1600, 800, QImage::Format_ARGB32);
    chart.fill(Qt::white);
    {
        QPainter painter(&chart);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QSize screen = HoursChartView->size();
        HoursChartView->resize(800, 400);
        HoursChartView->render(&painter, QRectF(0, 0, 1600, 800));
        HoursChartView->resize(screen);
    }
    document.addResource(QTextDocument::ImageResource, QUrl("chart.png"), chart);
    html += "<p><img src=\"chart.png\" width=\"640\" height=\"320\"></p></body></html>";
    // Without ligatures the PDF's text is the table's text, for search and copy.
    QFont font = document.defaultFont();
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setHtml(html);
}

void THoursReportDialog::PrintButtonClick()
{
    QTextDocument document;
    BuildDocument(document);
    DocumentOutput::Print(document, *Printer);
}

void THoursReportDialog::ExportPdfButtonClick()
{
    QTextDocument document;
    BuildDocument(document);
    QString failedPath;
    if (!DocumentOutput::ExportPdf(document, *Printer, "Hours Report.pdf", failedPath) && !failedPath.isEmpty())
        Interaction::ShowError("Error writing " + failedPath + "!");
}
