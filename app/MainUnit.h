// The main window: one ticket at a time, and every command of the program.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ProgramPaths.h"
#include "dbframework/DBFrameWork_Backup.h"
#include "dbframework/DBFrameWork_DBObjectBase.h"
#include "dbframework/DBFrameWork_TicketStore.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QSpinBox;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTextDocument;
class QTextEdit;
class QWidget;
class TCounterControls;
class TFilesPage;
class TCustomerHistoryDock;

namespace Interaction {
struct ServerLoginRequest;
}
namespace Quenbrook {
class Configuration;
}
namespace DBFrameWork {
class DBConnection;
class FindIndex;
}  // namespace DBFrameWork

// An application error: a command failed with a message for the error box.
class ApplicationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    // Loads the settings, opens (or creates) the data file and shows a fresh
    // ticket; raises ApplicationError when the data file cannot be opened.
    explicit TMainForm(const ProgramPaths& paths, QWidget* owner = nullptr);
    ~TMainForm() override;

    // Start-up and data file (MainUnit.cpp)
    void ConnectDataFile();
    void ConnectServerDataFile(const QString& dataPath, const std::string& connectError);
    void RememberServerLogin(const Interaction::ServerLoginRequest& login, bool asked);
    // The server password Setup shows, and where Setup keeps the one it was given.
    QString KeptServerPassword() const;
    void KeepServerPassword(const QString& password, const QString& oldPassword);
    void CreateDataFile();
    // The configured data file path as it is opened (see ProgramPaths).
    QString DataFilePath() const;

    // Ticket reset, pick lists and caption
    void NewFileMenuClick();
    bool HasPlaceholderText() const;
    void UpdateCaption();
    void FillTechnicianList();
    void FillOperatingSystemList();

    // Saving (MainUnit_Save.cpp)
    void SaveFileMenuClick();
    bool SaveProblem();

    // Opening (MainUnit_Open.cpp)
    void OpenFileMenuClick();
    // Shows the stored ticket with this key, loaded as File > Open loads the
    // one chosen there; false when no whole ticket has that key.
    bool OpenStoredProblem(int32_t problemId);
    // Resets the window and loads the ticket whose Problem row is given.
    void ShowStoredProblem(const DBFrameWork::StringList& problemValues);
    void LoadProblem(const DBFrameWork::StringList& values);
    void LoadCustomer(const DBFrameWork::StringList& values);
    void LoadSystemInfo(const DBFrameWork::StringList& values);

    // Find Solutions (MainUnit_Find.cpp): the ranked search over every
    // ticket; the chosen one is opened as File > Open opens it.
    void FindSolutionsFileMenuClick();
    // The search index of the data file, opened (and, when needed, rebuilt in
    // the background) at its first use.
    DBFrameWork::FindIndex* GetFindIndex();
    // Closes the index (a rebuild stops where it is) before the data file is replaced.
    void CloseFindIndex();

    // System information report (MainUnit_SystemInfo.cpp)
    void ImportSysInfoButtonClick();
    void ViewSysInfoButtonClick();

    // Backup and restore (MainUnit_Backup.cpp)
    void BackupFileMenuClick();
    void RestoreFileMenuClick();
    // The verified backup when the program ends: when the settings ask for it
    // and none was made on the day of `now`; then keeps the newest copies the
    // settings allow. True when a backup was made.
    bool BackupOnExit(std::time_t now);

    // Work order (MainUnit_Print.cpp): refused with a message while the
    // ticket shows placeholders or is not stored.
    void PrintFileMenuClick();
    void PrintSetupFileMenuClick();
    void ExportPdfFileMenuClick();
    // The printer every print goes to, with the page set up for it.
    QPrinter& GetPrinter();

    // Lists and reports (MainUnit_Reports.cpp)
    void OpenTicketsViewMenuClick();
    void HoursReportViewMenuClick();
    // Lists the other tickets of the shown ticket's customer (nothing for a
    // ticket not stored); read only while the list is visible.
    void RefreshCustomerHistory();

    // The counter (MainUnit_Counter.cpp): customers, job states, labels,
    // intake receipts and notices.
    void CustomersViewMenuClick();
    void StatesSetupMenuClick();
    void CounterSetupMenuClick();
    void PrintLabelFileMenuClick();
    void PrintIntakeReceiptFileMenuClick();
    // The receipt as PDF, written whole or not at all.
    void ExportIntakeReceiptFileMenuClick();
    void NotifyCustomerFileMenuClick();
    // The shop's job states, in order; the last completes a job.
    QStringList JobStates() const;

    // Everything taken out into a folder or a .zip (MainUnit_Export.cpp).
    void ExportAllFileMenuClick();

    // Setup, About and Exit (MainUnit_Setup.cpp)
    void ExitFileMenuClick();
    void GeneralSetupMenuClick();
    void TechniciansSetupMenuClick();
    void OperatingSystemsSetupMenuClick();
    void AboutHelpMenuClick();

    // State, read by tests and by the commands.
    Quenbrook::Configuration* GetConfig() const { return Config.get(); }
    DBFrameWork::DBConnection* GetConnection() const { return Connection.get(); }
    int32_t GetCustomerID() const { return CustomerID; }
    int32_t GetProblemID() const { return ProblemID; }
    const std::string& GetSystemInfoText() const { return SystemInfoText; }
    bool GetIsNewProblem() const { return IsNewProblem; }
    bool IsDataFileNewer() const { return DataFileIsNewer; }

    const ProgramPaths& GetPaths() const { return Paths; }

    // The address memo's text with its lines joined by carriage return and
    // line feed, as it is stored; and the same text put back into the memo.
    QString AddressText() const;
    void SetAddressText(const QString& text);
    // Bytes that a memo text takes in the data file (line breaks as two).
    static int StoredAddressBytes(const QString& memoText);

private:
    void BuildForm();
    void BuildMenu();
    // Names that a screen reader speaks for each control.
    void NameAccessibly();
    // The View menu, the print items and the customer history (MainUnit_Reports.cpp).
    void BuildReportMenus();
    // Opens a ticket chosen in a list, saying so when it is gone.
    void OpenListedProblem(int32_t problemId);
    bool BuildWorkOrderDocument(QTextDocument& document);
    // Prints a document of the stored ticket (the work order, the receipt)
    // through the print dialog, which offers the ticket's photos when it has
    // any; their page follows the document when they were asked for.
    void PrintTicketDocument(QTextDocument& document);
    void BuildExportMenu();
    // The counter's menu entries and their commands (MainUnit_Counter.cpp).
    void BuildCounterMenus();
    // Refused with a message, like the work order, while the ticket shows
    // placeholders or is not stored; else the ticket as stored.
    bool StoredTicketForPrinting(DBFrameWork::TicketRecord& ticket);
    bool BuildIntakeReceiptDocument(QTextDocument& document);
    // For a new ticket whose customer fields match a stored customer: that
    // customer's devices are offered, and its contacts shown when none were typed.
    void OfferKnownCustomer();
    // The job's history and the customer's contacts in the dock.
    void ShowCounterHistory(const DBFrameWork::TicketRecord& ticket);
    // The business's phone or fax numbers from the settings ("Phone", "Fax").
    QStringList BusinessNumbers(const std::string& kind) const;
    // What the destructor releases; also run when construction fails.
    void ReleaseResources();
    // Runs a command handler; an application error it raises goes to the error box.
    void RunCommand(const std::function<void()>& handler);
    void ConnectCommand(QAction* action, void (TMainForm::*handler)());
    void ConnectCommand(QPushButton* button, void (TMainForm::*handler)());
    // Saves the settings, creating their folder first (an installed copy's
    // does not exist before the first save).
    bool SaveSettings();
    // Reads a report file chosen by the user (see ReportText for what is kept).
    enum class ReportFile { NoneChosen, Read, NotText, TooLarge };
    ReportFile ReadReportFile(std::string& text);
    DBFrameWork::BackupResult RunBackup(const std::string& backupFile, const QString& caption);
    // The controls that show the ticket's text fields, in reading order, with
    // the column each one shows and the record field it fills.
    struct TextBinding {
        QWidget* Control;
        const DBFrameWork::TableDefinition& Table;
        const DBFrameWork::ColumnDefinition& Column;
        std::string& (*Field)(DBFrameWork::TicketRecord&);
    };
    std::vector<TextBinding> TextBindings() const;
    // The ticket as the controls show it, with the window's keys.
    DBFrameWork::TicketRecord TicketFromControls() const;
    // Shows one table's fields of the record; an empty field leaves its
    // control as it is.
    void ShowFields(const DBFrameWork::TableDefinition& table, DBFrameWork::TicketRecord ticket);
    void ShowProblem(const DBFrameWork::ProblemRecord& problem);
    void ShowCustomer(const DBFrameWork::CustomerRecord& customer);
    void ShowSystemInfo(const DBFrameWork::SystemInfoRecord& systemInfo);
    // Puts every text field's placeholder (or nothing) into its control.
    void ShowPlaceholders();
    // Empties the controls that the reset gave a placeholder.
    void ClearPlaceholders();

    const ProgramPaths Paths;
    std::unique_ptr<Quenbrook::Configuration> Config;
    std::unique_ptr<DBFrameWork::DBConnection> Connection;
    std::unique_ptr<DBFrameWork::FindIndex> Finder;
    int32_t CustomerID = 0;
    int32_t ProblemID = 0;
    std::string SystemInfoText;
    bool IsNewProblem = false;
    // The data file records a schema newer than this program's.
    bool DataFileIsNewer = false;
    DBFrameWork::TicketStore Tickets;
    std::shared_ptr<QPrinter> Printer;
    std::shared_ptr<QPrinter> LabelPrinter;
    // The shown ticket's history, oldest first, for the work order.
    std::vector<DBFrameWork::JobEventRecord> JobHistory;

    // Controls, named as their objectName: from outside, they are found by it.
    QWidget* TopPanel = nullptr;
    QWidget* ClientPanel = nullptr;
    QLineEdit* NameEdit = nullptr;
    QPlainTextEdit* AddressMemo = nullptr;
    QComboBox* CityComboBox = nullptr;
    QComboBox* StateComboBox = nullptr;
    QComboBox* ZipComboBox = nullptr;
    QSplitter* HRSplitter1 = nullptr;
    QWidget* ProblemStatsPanel = nullptr;
    QComboBox* TechnicianComboBox = nullptr;
    QPushButton* SetupTechniciansButton = nullptr;
    QLabel* AssignedLabel = nullptr;
    QDateEdit* AssignmentDatePicker = nullptr;
    QCheckBox* CompleteCheckBox = nullptr;
    QDateEdit* CompletedDatePicker = nullptr;
    QLabel* ActualHoursLabel = nullptr;
    QSpinBox* ActualHoursEdit = nullptr;
    QLabel* BillableHoursLabel = nullptr;
    QSpinBox* BillableHoursEdit = nullptr;
    QSplitter* HRSplitter2 = nullptr;
    QWidget* SystemInfoPanel = nullptr;
    QComboBox* OperatingSystemComboBox = nullptr;
    QPushButton* SetupOperatingSystemsButton = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* ImportSysInfoButton = nullptr;
    QPushButton* ViewSysInfoButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QSplitter* VRSplitter1 = nullptr;
    QWidget* ProblemPanel = nullptr;
    QLabel* ProblemLabel = nullptr;
    QTextEdit* ProblemRichEdit = nullptr;
    QSplitter* VRSplitter2 = nullptr;
    QWidget* ProblemSolutionsPanel = nullptr;
    QTabWidget* ResolutionPageControl = nullptr;
    QWidget* Resolution = nullptr;
    QTextEdit* ResolutionRichEdit = nullptr;
    QWidget* Comments = nullptr;
    QTextEdit* CommentsRichEdit = nullptr;
    QStatusBar* BottomStatusBar = nullptr;
    QLabel* StatusPanel0 = nullptr;
    TCounterControls* Counter = nullptr;
    TFilesPage* FilesPage = nullptr;

    QMenu* FileMenu = nullptr;
    QAction* NewFileMenu = nullptr;
    QAction* OpenFileMenu = nullptr;
    QAction* SaveFileMenu = nullptr;
    QAction* FindSolutionsFileMenu = nullptr;
    QAction* N2 = nullptr;
    QAction* PrintFileMenu = nullptr;
    QAction* PrintSetupFileMenu = nullptr;
    QAction* ExportPdfFileMenu = nullptr;
    QAction* PrintIntakeReceiptFileMenu = nullptr;
    QAction* ExportIntakeReceiptFileMenu = nullptr;
    QAction* PrintLabelFileMenu = nullptr;
    QAction* NotifyCustomerFileMenu = nullptr;
    QAction* N4 = nullptr;
    QAction* BackupFileMenu = nullptr;
    QAction* RestoreFileMenu = nullptr;
    QAction* ExportAllFileMenu = nullptr;
    QAction* N1 = nullptr;
    QAction* ExitFileMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QAction* OpenTicketsViewMenu = nullptr;
    QAction* HoursReportViewMenu = nullptr;
    QAction* CustomersViewMenu = nullptr;
    QAction* CustomerHistoryViewMenu = nullptr;
    TCustomerHistoryDock* CustomerHistory = nullptr;
    QMenu* SetupMenu = nullptr;
    QAction* GeneralSetupMenu = nullptr;
    QAction* N3 = nullptr;
    QAction* TechniciansSetupMenu = nullptr;
    QAction* OperatingSystemsSetupMenu = nullptr;
    QAction* StatesSetupMenu = nullptr;
    QAction* CounterSetupMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* ContentsHelpMenu = nullptr;
    QAction* AboutHelpMenu = nullptr;
};
