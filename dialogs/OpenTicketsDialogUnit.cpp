#include "dialogs/OpenTicketsDialogUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/BackgroundWork.h"
#include "dialogs/Interaction.h"
#include "dialogs/RecordTableModel.h"
#include "dialogs/ReportDates.h"
#include "dialogs/ReportTableOutput.h"

namespace {

// Rows read at a time: more than a screen, few enough to come at once.
constexpr size_t Batch = 200;

const char* const OverdueText = "Overdue";

// The rows of jobs past their promised day in the palette's colour for
// attention, bold, and named so for a screen reader, which sees no colour.
class OpenTicketsModel : public RecordTableModel {
public:
    OpenTicketsModel(std::vector<Column> columns, std::function<bool(int row)> isOverdue, QWidget* view)
        : RecordTableModel(std::move(columns), view), IsOverdue(std::move(isOverdue)), View(view)
    {}

    QVariant data(const QModelIndex& index, int role) const override
    {
        const QVariant value = RecordTableModel::data(index, role);
        if (!index.isValid() || index.row() >= rowCount() || !IsOverdue(index.row()))
            return value;
        switch (role) {
        case Qt::ForegroundRole:
            return View->palette().brush(QPalette::Link);
        case Qt::FontRole: {
            QFont bold = View->font();
            bold.setBold(true);
            return bold;
        }
        case Qt::AccessibleTextRole:
            return RecordTableModel::data(index, Qt::DisplayRole).toString() + " (" + OverdueText + ")";
        case Qt::AccessibleDescriptionRole:
            return QString(OverdueText);
        default:
            return value;
        }
    }

private:
    std::function<bool(int row)> IsOverdue;
    QWidget* View;
};

}  // namespace

TOpenTicketsDialog::TOpenTicketsDialog(QWidget* owner, DBFrameWork::DBConnection* connection,
                                       const QStringList& technicians, const QStringList& states)
    : QDialog(owner), Connection(std::make_unique<DBFrameWork::DBConnection>(
                          connection->GetPath(), connection->GetUser(), connection->GetPassword())),
      Cursor(std::make_unique<DBFrameWork::OpenTicketCursor>(*Connection)), Today(QDate::currentDate())
{
    setObjectName("OpenTicketsDialog");
    setWindowTitle("Open Tickets");
    resize(920, 460);

    TechnicianFilterComboBox = new QComboBox(this);
    TechnicianFilterComboBox->setObjectName("TechnicianFilterComboBox");
    TechnicianFilterComboBox->addItem("All");
    for (const QString& name : technicians)
        if (!name.isEmpty() && TechnicianFilterComboBox->findText(name) < 0)
            TechnicianFilterComboBox->addItem(name);
    TechnicianFilterComboBox->setAccessibleName("Technician");
    auto* technicianLabel = new QLabel("&Technician", this);
    technicianLabel->setObjectName("TechnicianFilterLabel");
    technicianLabel->setBuddy(TechnicianFilterComboBox);
    technicianLabel->setContentsMargins(0, 0, 4, 0);
    StateFilterComboBox = new QComboBox(this);
    StateFilterComboBox->setObjectName("StateFilterComboBox");
    StateFilterComboBox->addItem("All");
    for (const QString& state : states) {
        States.push_back(state.toStdString());
        if (!state.isEmpty() && StateFilterComboBox->findText(state) < 0)
            StateFilterComboBox->addItem(state);
    }
    StateFilterComboBox->setAccessibleName("State");
    auto* stateLabel = new QLabel("&State", this);
    stateLabel->setObjectName("StateFilterLabel");
    stateLabel->setBuddy(StateFilterComboBox);
    stateLabel->setContentsMargins(8, 0, 4, 0);
    SortByPromisedCheckBox = new QCheckBox("Sort by &promised date", this);
    SortByPromisedCheckBox->setObjectName("SortByPromisedCheckBox");
    TicketCountLabel = new QLabel(this);
    TicketCountLabel->setObjectName("TicketCountLabel");

    TicketsTableView = new QTableView(this);
    Model = new OpenTicketsModel(
        ReportTableOutput::ModelColumns(DBFrameWork::OpenTicketsTable({}, ToCalendarDate(Today)).columns,
                                        [this](int row) {
                                            return DBFrameWork::OpenTicketRow(TicketList[static_cast<size_t>(row)],
                                                                              ToCalendarDate(Today));
                                        }),
        [this](int row) {
            return row < static_cast<int>(TicketList.size()) &&
                DBFrameWork::IsOverdue(TicketList[static_cast<size_t>(row)], ToCalendarDate(Today));
        },
        TicketsTableView);
    Model->HasMore = [this] { return HasMore(); };
    Model->FetchMore = [this] { return FetchMore(); };
    TicketsTableView->setObjectName("TicketsTableView");
    TicketsTableView->setAccessibleName("Open tickets");
    TicketsTableView->setModel(Model);
    TicketsTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    TicketsTableView->setSelectionMode(QAbstractItemView::SingleSelection);
    TicketsTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TicketsTableView->verticalHeader()->hide();
    TicketsTableView->verticalHeader()->setDefaultSectionSize(TicketsTableView->fontMetrics().height() + 6);
    TicketsTableView->horizontalHeader()->setStretchLastSection(false);
    TicketsTableView->setColumnWidth(0, 90);
    TicketsTableView->setColumnWidth(1, 85);
    TicketsTableView->setColumnWidth(2, 160);
    TicketsTableView->setColumnWidth(3, 100);
    TicketsTableView->setColumnWidth(4, 260);
    TicketsTableView->setColumnWidth(5, 50);
    TicketsTableView->setColumnWidth(static_cast<int>(DBFrameWork::OpenTicketStateColumn), 110);
    TicketsTableView->setColumnWidth(static_cast<int>(DBFrameWork::OpenTicketPromisedColumn), 90);
    // The problem takes what the window has to spare.
    TicketsTableView->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);

    OpenButton = new QPushButton("&Open", this);
    OpenButton->setObjectName("OpenButton");
    // Enter opens the current ticket from anywhere in the dialog.
    OpenButton->setDefault(true);
    CloseButton = new QPushButton("&Close", this);
    CloseButton->setObjectName("CloseButton");
    CloseButton->setAutoDefault(false);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(technicianLabel);
    filterRow->addWidget(TechnicianFilterComboBox, 1);
    filterRow->addWidget(stateLabel);
    filterRow->addWidget(StateFilterComboBox, 1);
    filterRow->addWidget(SortByPromisedCheckBox);
    filterRow->addStretch(1);
    filterRow->addWidget(TicketCountLabel);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(OpenButton);
    buttonRow->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(TicketsTableView, 1);
    layout->addLayout(buttonRow);
    // The list has the keyboard first: arrows choose, Enter opens.
    TicketsTableView->setFocus();

    connect(TechnicianFilterComboBox, &QComboBox::currentIndexChanged, this, [this] { Reload(); });
    connect(StateFilterComboBox, &QComboBox::currentIndexChanged, this, [this] { Reload(); });
    connect(SortByPromisedCheckBox, &QCheckBox::toggled, this, [this] { Reload(); });
    // activated is double click, and Enter on the current row.
    connect(TicketsTableView, &QTableView::activated, this,
            [this](const QModelIndex& index) { ChooseRow(index.row()); });
    connect(OpenButton, &QPushButton::clicked, this, [this] {
        const QModelIndex current = TicketsTableView->currentIndex();
        if (current.isValid())
            ChooseRow(current.row());
    });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

TOpenTicketsDialog::~TOpenTicketsDialog() = default;

DBFrameWork::QueryOutcome TOpenTicketsDialog::ReadAside(const std::function<DBFrameWork::QueryOutcome()>& read)
{
    Reading = true;
    const DBFrameWork::QueryOutcome outcome = BackgroundWork(this).Read([&](const DBFrameWork::FetchProgress& step) {
        // The cursor's steps cannot stop halfway: Cancel counts once the step is done.
        const DBFrameWork::QueryOutcome answer = read();
        return answer == DBFrameWork::QueryOutcome::Done && !step(0) ? DBFrameWork::QueryOutcome::Cancelled : answer;
    });
    Reading = false;
    return outcome;
}

DBFrameWork::OpenTicketQuery TOpenTicketsDialog::ChosenQuery() const
{
    DBFrameWork::OpenTicketQuery query;
    if (TechnicianFilterComboBox->currentIndex() > 0)
        query.technician = TechnicianFilterComboBox->currentText().toStdString();
    if (StateFilterComboBox->currentIndex() > 0)
        query.state = StateFilterComboBox->currentText().toStdString();
    query.states = States;
    query.byPromised = SortByPromisedCheckBox->isChecked();
    return query;
}

bool TOpenTicketsDialog::Reload()
{
    const DBFrameWork::OpenTicketQuery query = ChosenQuery();
    TicketList.clear();
    Model->Reset(0);
    ShowCount();
    // Attached on the window's thread: an engine that does not answer is told of in a message box.
    if (!Connection->Connected && !Connection->Connect()) {
        ShowReadError();
        return false;
    }
    // The engine sorts every open ticket before it answers the first.
    switch (ReadAside([&] { return Cursor->Open(query); })) {
    case DBFrameWork::QueryOutcome::Done:
        break;
    case DBFrameWork::QueryOutcome::Cancelled:
        Cursor->Close();
        ShowCount();
        return false;
    case DBFrameWork::QueryOutcome::Failed:
        ShowReadError();
        return false;
    }
    if (!FetchMore())
        return false;
    if (!TicketList.empty())
        TicketsTableView->setCurrentIndex(Model->index(0, 0));
    return true;
}

bool TOpenTicketsDialog::FetchMore()
{
    if (Cursor->AtEnd() || Reading)
        return true;
    // A screen of rows from the open cursor comes at once: read here, as a
    // hand-over to another thread for each would take longer than the read.
    const DBFrameWork::QueryOutcome outcome = Cursor->Next(Batch, TicketList);
    Model->Append(static_cast<int>(TicketList.size()));
    ShowCount();
    if (outcome != DBFrameWork::QueryOutcome::Done) {
        ShowReadError();
        return false;
    }
    return true;
}

bool TOpenTicketsDialog::HasMore() const
{
    return !Cursor->AtEnd() && !Reading;
}

void TOpenTicketsDialog::ShowCount()
{
    // "200+" while more rows wait below the last one read.
    TicketCountLabel->setText(QString::number(TicketList.size()) + (HasMore() ? "+" : ""));
}

void TOpenTicketsDialog::ShowReadError()
{
    Interaction::ShowError("Error reading Data File (" + QString::fromStdString(Connection->GetPath()) + ")!");
}

void TOpenTicketsDialog::ChooseRow(int row)
{
    if (row < 0 || row >= static_cast<int>(TicketList.size()))
        return;
    Chosen = TicketList[static_cast<size_t>(row)].problemId;
    accept();
}
