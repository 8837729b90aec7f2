// The View menu's lists and reports, the work order's menu items, and the
// customer history beside the ticket.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_FileSystem.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/CustomerHistoryDock.h"
#include "dialogs/HoursReportDialogUnit.h"
#include "dialogs/Interaction.h"
#include "dialogs/OpenTicketsDialogUnit.h"

namespace {

// Whether the customer history is shown is the window's own state, kept in a
// file beside the settings so that the shop's settings file stays as it was.
QString ViewStateFile(const ProgramPaths& paths)
{
    return QFileInfo(paths.SettingsFile).absoluteDir().filePath("ViewState.ini");
}

const char* const HistoryVisibleKey = "CustomerHistory/Visible";

}  // namespace

void TMainForm::BuildReportMenus()
{
    ExportPdfFileMenu = new QAction("&Export PDF...", FileMenu);
    ExportPdfFileMenu->setObjectName("ExportPdfFileMenu");
    FileMenu->insertAction(N4, ExportPdfFileMenu);

    ViewMenu = new QMenu("&View", this);
    ViewMenu->setObjectName("ViewMenu");
    menuBar()->insertMenu(SetupMenu->menuAction(), ViewMenu);
    OpenTicketsViewMenu = ViewMenu->addAction("Open &Tickets...");
    OpenTicketsViewMenu->setObjectName("OpenTicketsViewMenu");
    OpenTicketsViewMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    HoursReportViewMenu = ViewMenu->addAction("&Hours Report...");
    HoursReportViewMenu->setObjectName("HoursReportViewMenu");

    CustomerHistory = new TCustomerHistoryDock(this);
    CustomerHistory->setObjectName("CustomerHistory");
    // Below the ticket: beside it, the customer's fields would be squeezed
    // too narrow for their text, while the problem and resolution can spare
    // a few lines.
    addDockWidget(Qt::BottomDockWidgetArea, CustomerHistory);
    CustomerHistoryViewMenu = CustomerHistory->toggleViewAction();
    CustomerHistoryViewMenu->setObjectName("CustomerHistoryViewMenu");
    ViewMenu->addSeparator();
    ViewMenu->addAction(CustomerHistoryViewMenu);
    QSettings viewState(ViewStateFile(Paths), QSettings::IniFormat);
    CustomerHistory->setVisible(viewState.value(HistoryVisibleKey, false).toBool());
    // Only the user's choice is kept: the window closing does not count.
    connect(CustomerHistoryViewMenu, &QAction::triggered, this, [this](bool visible) {
        // The toolkit keeps the mode of the file it replaces: a new one is made 0600 first.
        const QString file = ViewStateFile(Paths);
        if (!QFileInfo::exists(file) &&
            (!DBFrameWork::MakePrivateFolders(QFileInfo(file).absolutePath().toStdString()) ||
             !DBFrameWork::CreatePrivate(file.toStdString())))
            return;
        QSettings state(file, QSettings::IniFormat);
        state.setValue(HistoryVisibleKey, visible);
        // Only a convenience is lost, so the user is not bothered with it.
        state.sync();
        if (state.status() != QSettings::NoError)
            DBFrameWork::OutputDebugString("The window state could not be written to " +
                                           state.fileName().toStdString());
    });
    // Queued: opening a ticket refills the list whose item is being activated.
    connect(
        CustomerHistory, &TCustomerHistoryDock::TicketChosen, this,
        [this](int32_t problemId) { RunCommand([this, problemId] { OpenListedProblem(problemId); }); },
        Qt::QueuedConnection);

    ConnectCommand(PrintFileMenu, &TMainForm::PrintFileMenuClick);
    ConnectCommand(PrintSetupFileMenu, &TMainForm::PrintSetupFileMenuClick);
    ConnectCommand(ExportPdfFileMenu, &TMainForm::ExportPdfFileMenuClick);
    ConnectCommand(OpenTicketsViewMenu, &TMainForm::OpenTicketsViewMenuClick);
    ConnectCommand(HoursReportViewMenu, &TMainForm::HoursReportViewMenuClick);
}

void TMainForm::OpenTicketsViewMenuClick()
{
    QStringList technicians;
    for (int i = 0; i < TechnicianComboBox->count(); ++i)
        technicians << TechnicianComboBox->itemText(i);
    TOpenTicketsDialog dialog(this, Connection.get(), technicians, JobStates());
    if (!dialog.Reload() || dialog.exec() != QDialog::Accepted || dialog.ChosenProblemID() == 0)
        return;
    OpenListedProblem(dialog.ChosenProblemID());
}

void TMainForm::OpenListedProblem(int32_t problemId)
{
    // Another desk may have deleted it since the list was read.
    if (!OpenStoredProblem(problemId))
        Interaction::ShowMessage("The ticket could not be opened; it may have been deleted.");
}

void TMainForm::HoursReportViewMenuClick()
{
    THoursReportDialog dialog(this, Connection.get(), &GetPrinter());
    if (dialog.Reload())
        dialog.exec();
}

void TMainForm::RefreshCustomerHistory()
{
    if (CustomerHistory)
        CustomerHistory->ShowFor(Connection.get(), IsNewProblem ? 0 : CustomerID, ProblemID);
}
