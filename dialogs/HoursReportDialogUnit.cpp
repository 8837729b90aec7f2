#include "dialogs/HoursReportDialogUnit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/BackgroundWork.h"
#include "dialogs/DatePicker.h"
#include "dialogs/Interaction.h"
#include "dialogs/ReportDates.h"
#include "dialogs/ReportTableOutput.h"

namespace {

// The hours table's columns: the group, tickets, actual and billable hours, and the percentage.
constexpr size_t GroupColumn = 0;
constexpr size_t ActualColumn = 2;
constexpr size_t BillableColumn = 3;

TReportTableDialog::Names HoursNames()
{
    return {"Hours Report", "Hours report", "HoursChartView", "Hours chart"};
}

TReportTableDialog::Chart HoursChart()
{
    return {GroupColumn, {ActualColumn, BillableColumn}, THoursReportDialog::ChartGroups};
}

}  // namespace

THoursReportDialog::THoursReportDialog(QWidget* owner, DBFrameWork::DBConnection* connection, QPrinter* printer)
    : TReportTableDialog(ChoicesFirst(), owner, HoursNames(), DBFrameWork::HoursTable({}, "Technician"), HoursChart(),
                         printer),
      Connection(std::make_unique<DBFrameWork::DBConnection>(connection->GetPath(), connection->GetUser(),
                                                             connection->GetPassword()))
{
    setObjectName("HoursReportDialog");
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

    LayOut(filters);
    HoursChartView = ChartView;

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
    SetSubtitle(ShortDateText(FromDatePicker->date()).toHtmlEscaped() + " &ndash; " +
                ShortDateText(ToDatePicker->date()).toHtmlEscaped());
    ShowTable(DBFrameWork::HoursTable(RowList, GroupTitle().toStdString()));
    return outcome == DBFrameWork::QueryOutcome::Done;
}

std::vector<std::vector<QString>> THoursReportDialog::TableText() const
{
    return ReportTableOutput::TableText(ShownTable());
}
