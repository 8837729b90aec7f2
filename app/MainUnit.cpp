// The main window's life: start-up, the data file, shutdown, and the small
// operations that put a ticket into a known state.
#include "app/MainUnit.h"

#include "app/CounterControls.h"
#include "app/FilesPage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <algorithm>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FileSystem.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dialogs/Interaction.h"
#include "settings/Quenbrook_Configuration.h"

namespace {

const char* const NewerDataFileText =
    "This data file was written by a newer version of the program. It is opened read-only: "
    "tickets can be found, read and printed, not saved.";

// Replaces the pick list from the settings, keeping the text typed in the box;
// an empty list in the settings leaves the box as it is.
template <typename Entry>
void FillPickList(QComboBox* box, Entry entry)
{
    std::string item = entry(1);
    if (item.empty())
        return;
    const QString editText = box->currentText();
    box->clear();
    for (int position = 2; !item.empty(); ++position) {
        box->addItem(QString::fromStdString(item));
        item = entry(position);
    }
    box->setEditText(editText);
}

// Where a path that is a link points, through every link on the way; the path
// itself when it is none.
std::string LinkTarget(const std::string& path)
{
    QFileInfo file(QString::fromStdString(path));
    for (int depth = 0; depth < 40 && file.isSymLink(); ++depth)
        file.setFile(file.symLinkTarget());
    return file.filePath().toStdString();
}

}  // namespace

TMainForm::TMainForm(const ProgramPaths& paths, QWidget* owner) : QMainWindow(owner), Paths(paths)
{
    BuildForm();
    Config.reset();
    Connection.reset();
    SystemInfoText.clear();
    StatusPanel0->setText("Initializing...");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        Config = std::make_unique<Quenbrook::Configuration>();
        const QString settingsPath = Paths.SettingsFile;
        if (!Config->Load(settingsPath.toStdString()))
            Interaction::ShowMessage("Failed to load configureate (file: " + settingsPath);
        Counter->SetStates(JobStates());
        ConnectDataFile();
        NewFileMenuClick();
        UpdateCaption();
        FillTechnicianList();
        FillOperatingSystemList();
    } catch (...) {
        ReleaseResources();
        QApplication::restoreOverrideCursor();
        throw;
    }
    StatusPanel0->setText("Connected...");
    QApplication::restoreOverrideCursor();
}

TMainForm::~TMainForm()
{
    ReleaseResources();
}

void TMainForm::ReleaseResources()
{
    CloseFindIndex();
    if (Connection && Connection->Connected)
        Connection->Disconnect();
    const QString reportPath = Paths.TemporaryReportFile;
    if (QFileInfo::exists(reportPath))
        QFile::remove(reportPath);
    SystemInfoText.clear();
    Connection.reset();
    Config.reset();
}

QString TMainForm::DataFilePath() const
{
    return Paths.DataFilePath(QString::fromStdString(Config->GetDataFile()));
}

void TMainForm::ConnectDataFile()
{
    const std::string configuredPath = Config->GetDataFile();
    const QString dataPath = DataFilePath();
    const QString convertedPath = QDir::toNativeSeparators(dataPath);
    const std::string connectError = ("Error connecting to Data File (" + convertedPath + ")!").toStdString();
    if (DBFrameWork::IsServerPath(configuredPath)) {
        ConnectServerDataFile(dataPath, connectError);
    } else {
        Connection = std::make_unique<DBFrameWork::DBConnection>(Config.get(), dataPath.toStdString());
        if (!QFileInfo::exists(convertedPath))
            CreateDataFile();
        if (!Connection->Connect())
            throw ApplicationError(connectError);
    }
    // A file left half-made by a creation that was cut off (on a server, any
    // new file) is laid out here; one with rows in it is left as it is.
    std::string failedTable;
    const DBFrameWork::SchemaOutcome schema = DBFrameWork::LayOutSchema(*Connection, failedTable);
    if (schema == DBFrameWork::SchemaOutcome::Failed)
        throw ApplicationError("Error creating " + failedTable + " in Data File (" + dataPath.toStdString() + ")!");
    // A newer program's file is read, never changed: the engine refuses every write.
    DataFileIsNewer = schema == DBFrameWork::SchemaOutcome::Newer;
    if (DataFileIsNewer) {
        Connection->RefuseWrites();
        Interaction::ShowMessage(NewerDataFileText);
    }
}

void TMainForm::CreateDataFile()
{
    const std::string configuredPath = DataFilePath().toStdString();
    const std::string convertedPath = QDir::toNativeSeparators(QString::fromStdString(configuredPath)).toStdString();
    const QString nativePath = QString::fromStdString(convertedPath);

    // A path without a folder part names a file in the working folder.
    const int folderEnd = std::max(nativePath.lastIndexOf(QDir::separator()), nativePath.lastIndexOf(':'));
    const QString folder = nativePath.left(folderEnd + 1);
    // Folders made for it are the user's alone, as is the file.
    if (!folder.isEmpty() && !QFileInfo(folder).isDir() && !DBFrameWork::MakePrivateFolders(folder.toStdString()))
        throw ApplicationError("Error creating Directories for Data File (" + convertedPath + ")!");

    // The file is laid out under a name of its own and renamed only when whole,
    // so a crash leaves either no data file or a whole one. A link names where
    // the user wants the file; it stays and the file is made at its target.
    const std::string finalPath = LinkTarget(configuredPath);
    const std::string newPath = finalPath + ".new";
    // What an interrupted creation left there is no data file of anybody's.
    if (!DBFrameWork::RemoveIfPresent(newPath))
        throw ApplicationError("Error creating Data File (" + convertedPath + ")!");

    DBFrameWork::DBConnection creating(newPath);
    try {
        if (!creating.Create() || !DBFrameWork::MakePrivate(newPath))
            throw ApplicationError("Error creating Data File (" + convertedPath + ")!");
        if (!creating.Connect())
            throw ApplicationError("Error connecting to Data File (" + convertedPath + ")!");
        std::string failedTable;
        if (DBFrameWork::LayOutSchema(creating, failedTable) != DBFrameWork::SchemaOutcome::Completed)
            throw ApplicationError("Error creating " + failedTable + " in Data File (" + configuredPath + ")!");
        if (!creating.Disconnect())
            throw ApplicationError("Error disconnecting from Data File (" + convertedPath + ")!");
        if (!DBFrameWork::PutInPlace(newPath, finalPath))
            throw ApplicationError("Error creating Data File (" + convertedPath + ")!");
    } catch (...) {
        // Nothing half-made is left for the next start to find.
        if (creating.Connected)
            creating.Disconnect();
        DBFrameWork::RemoveIfPresent(newPath);
        throw;
    }
}

void TMainForm::RunCommand(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        Interaction::ShowError(QString::fromStdString(error.what()));
    }
}

void TMainForm::ConnectCommand(QAction* action, void (TMainForm::*handler)())
{
    connect(action, &QAction::triggered, this,
            [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
}

void TMainForm::ConnectCommand(QPushButton* button, void (TMainForm::*handler)())
{
    connect(button, &QPushButton::clicked, this,
            [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
}

void TMainForm::NewFileMenuClick()
{
    IsNewProblem = true;
    Tickets.ForgetPendingKey();
    ShowPlaceholders();
    AssignmentDatePicker->setDate(QDate::currentDate());
    CompleteCheckBox->setChecked(false);
    CompletedDatePicker->setDate(QDate::currentDate());
    Counter->Reset();
    FilesPage->Reset();
    ActualHoursEdit->setValue(0);
    BillableHoursEdit->setValue(0);
    ResolutionPageControl->setCurrentWidget(Resolution);
    ShowCounterHistory({});
    RefreshCustomerHistory();
}

void TMainForm::UpdateCaption()
{
    setWindowTitle(QString::fromStdString(Config->GetCompanyName()) + " Solution Database");
}

void TMainForm::FillTechnicianList()
{
    FillPickList(TechnicianComboBox, [this](int position) { return Config->GetTechnician(position); });
}

void TMainForm::FillOperatingSystemList()
{
    FillPickList(OperatingSystemComboBox, [this](int position) { return Config->GetOperatingSystem(position); });
}
