#include "dialogs/OpenTicketsDialogUnit.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
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

}  // namespace

TOpenTicketsDialog::TOpenTicketsDialog(QWidget* owner, DBFrameWork::DBConnection* connection,
                                       const QStringList& technicians)
    : QDialog(owner), Connection(std::make_unique<DBFrameWork::DBConnection>(
                          connection->GetPath(), connection->GetUser(), connection->GetPassword())),
      Cursor(std::make_unique<DBFrameWork::OpenTicketCursor>(*Connection)), Today(QDate::currentDate())
{
    setObjectName("OpenTicketsDialog");
    setWindowTitle("Open Tickets");
    resize(760, 460);

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
    TicketCountLabel = new QLabel(this);
    TicketCountLabel->setObjectName("TicketCountLabel");

    Model = new RecordTableModel(
        ReportTableOutput::ModelColumns(DBFrameWork::OpenTicketsTable({}, ToCalendarDate(Today)).columns,
                                        [this](int row) {
                                            return DBFrameWork::OpenTicketRow(TicketList[static_cast<size_t>(row)],
                                                                              ToCalendarDate(Today));
                                        }),
        this);
    Model->HasMore = [this] { return HasMore(); };
    Model->FetchMore = [this] { return FetchMore(); };
    TicketsTableView = new QTableView(this);
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

bool TOpenTicketsDialog::Reload()
{
    const QString technician = TechnicianFilterComboBox->currentIndex() <= 0 ? QString()
                                                                             : TechnicianFilterComboBox->currentText();
    TicketList.clear();
    Model->Reset(0);
    ShowCount();
    // Attached on the window's thread: an engine that does not answer is told of in a message box.
    if (!Connection->Connected && !Connection->Connect()) {
        ShowReadError();
        return false;
    }
    // The engine sorts every open ticket before it answers the first.
    switch (ReadAside([&] { return Cursor->Open(technician.toStdString()); })) {
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
