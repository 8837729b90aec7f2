// The main window's controls and menus, as the form description lays them out.
#include "app/MainUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QValidator>
#include <climits>
#include <utility>

#include "app/CounterControls.h"
#include "app/FilesPage.h"
#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_FileStore.h"
#include "dialogs/DatePicker.h"
#include "dialogs/PhoneNumbersEdit.h"

namespace {

namespace Customer = DBFrameWork::CustomerColumn;
namespace Problem = DBFrameWork::ProblemColumn;
namespace SystemInfo = DBFrameWork::SystemInfoColumn;

// What the data file holds of a column, counted in the bytes that are stored.
int StoredBytes(const DBFrameWork::TableDefinition& table, size_t column)
{
    return static_cast<int>(table.Columns[column].ByteLength);
}

// Refuses an edit whose text would not fit its column.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
    State validate(QString& input, int&) const override
    {
        return input.toUtf8().size() <= limit_ ? Acceptable : Invalid;
    }

private:
    int limit_;
};

// A memo has no validator: text typed or pasted beyond the limit is taken
// back from just before the cursor, where it went in.
class MemoByteLimit : public QObject {
public:
    MemoByteLimit(QPlainTextEdit* memo, int limit) : QObject(memo), memo_(memo), limit_(limit)
    {
        QObject::connect(memo, &QPlainTextEdit::textChanged, this, [this] { Enforce(); });
    }

private:
    void Enforce()
    {
        if (busy_)
            return;
        const QString text = memo_->toPlainText();
        int excess = TMainForm::StoredAddressBytes(text) - limit_;
        if (excess <= 0)
            return;
        busy_ = true;
        QTextCursor cursor = memo_->textCursor();
        int end = cursor.position();
        if (end == 0)
            end = text.size();
        int start = end;
        while (start > 0 && excess > 0) {
            int width = 1;
            if (start >= 2 && text.at(start - 1).isLowSurrogate() && text.at(start - 2).isHighSurrogate())
                width = 2;
            excess -= TMainForm::StoredAddressBytes(text.mid(start - width, width));
            start -= width;
        }
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        memo_->setTextCursor(cursor);
        busy_ = false;
    }

    QPlainTextEdit* memo_;
    int limit_;
    bool busy_ = false;
};

QComboBox* NewComboBox(const QString& name, int limit, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    // Typing into the box never adds to its pick list.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setValidator(new ByteLimitValidator(limit, box));
    return box;
}

QSpinBox* NewSpinEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(name);
    edit->setRange(INT_MIN, INT_MAX);
    edit->setSingleStep(1);
    // The huge range would otherwise make the box as wide as ten digits.
    edit->setMaximumWidth(56);
    return edit;
}

QTextEdit* NewRichEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QTextEdit(parent);
    edit->setObjectName(name);
    edit->setAcceptRichText(false);
    // Tab moves on to the next field, as everywhere else in the window.
    edit->setTabChangesFocus(true);
    return edit;
}

QPushButton* NewButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QLabel* NewLabel(const QString& name, const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QWidget* NewPanel(const QString& name, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    return panel;
}

QSplitter* NewSplitter(const QString& name, Qt::Orientation orientation, QWidget* parent)
{
    auto* splitter = new QSplitter(orientation, parent);
    splitter->setObjectName(name);
    splitter->setHandleWidth(2);
    splitter->setChildrenCollapsible(false);
    return splitter;
}

template <typename Layout>
Layout* TightLayout(QWidget* panel)
{
    auto* layout = new Layout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    return layout;
}

}  // namespace

int TMainForm::StoredAddressBytes(const QString& memoText)
{
    // Each line break is stored as carriage return and line feed.
    return memoText.toUtf8().size() + memoText.count(QLatin1Char('\n'));
}

void TMainForm::BuildForm()
{
    setObjectName("MainForm");
    setWindowTitle("Velmora's Solutions DataBase");
    resize(782, 575);

    VRSplitter1 = NewSplitter("VRSplitter1", Qt::Vertical, this);
    setCentralWidget(VRSplitter1);

    TopPanel = NewPanel("TopPanel", VRSplitter1);
    auto* topLayout = TightLayout<QHBoxLayout>(TopPanel);
    topLayout->setContentsMargins(0, 0, 0, 0);
    HRSplitter1 = NewSplitter("HRSplitter1", Qt::Horizontal, TopPanel);
    topLayout->addWidget(HRSplitter1);

    // Customer: name, address and city stretch; state and zip keep to the right.
    ClientPanel = NewPanel("ClientPanel", HRSplitter1);
    ClientPanel->setMinimumWidth(200);
    auto* clientLayout = TightLayout<QGridLayout>(ClientPanel);
    NameEdit = new QLineEdit("Name", ClientPanel);
    NameEdit->setObjectName("NameEdit");
    NameEdit->setValidator(new ByteLimitValidator(StoredBytes(DBFrameWork::CustomerTable(), Customer::Name), NameEdit));
    AddressMemo = new QPlainTextEdit("Address1\nAddress2", ClientPanel);
    AddressMemo->setObjectName("AddressMemo");
    AddressMemo->setTabChangesFocus(true);
    AddressMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    AddressMemo->setFixedHeight(2 * AddressMemo->fontMetrics().lineSpacing() + 14);
    new MemoByteLimit(AddressMemo, StoredBytes(DBFrameWork::CustomerTable(), Customer::Address));
    CityComboBox = NewComboBox("CityComboBox", StoredBytes(DBFrameWork::CustomerTable(), Customer::City), ClientPanel);
    CityComboBox->setEditText("City");
    StateComboBox = NewComboBox("StateComboBox", StoredBytes(DBFrameWork::CustomerTable(), Customer::State),
                                ClientPanel);
    StateComboBox->setEditText("State");
    StateComboBox->setFixedWidth(64);  // the drop-down button needs room beside the text
    ZipComboBox = NewComboBox("ZipComboBox", StoredBytes(DBFrameWork::CustomerTable(), Customer::Zip), ClientPanel);
    ZipComboBox->setEditText("Zip");
    ZipComboBox->setMaximumWidth(80);
    clientLayout->addWidget(NameEdit, 0, 0, 1, 3);
    clientLayout->addWidget(AddressMemo, 1, 0, 1, 3);
    clientLayout->addWidget(CityComboBox, 2, 0);
    clientLayout->addWidget(StateComboBox, 2, 1);
    clientLayout->addWidget(ZipComboBox, 2, 2);
    Counter = new TCounterControls(this);
    clientLayout->addWidget(Counter->Phones, 3, 0, 1, 3);
    clientLayout->addWidget(Counter->EmailEdit, 4, 0, 1, 3);
    clientLayout->setRowStretch(5, 1);
    clientLayout->setColumnStretch(0, 1);

    HRSplitter2 = NewSplitter("HRSplitter2", Qt::Horizontal, HRSplitter1);

    // Technician, dates and hours.
    ProblemStatsPanel = NewPanel("ProblemStatsPanel", HRSplitter2);
    ProblemStatsPanel->setMinimumWidth(330);
    auto* statsLayout = TightLayout<QGridLayout>(ProblemStatsPanel);
    TechnicianComboBox = NewComboBox("TechnicianComboBox",
                                     StoredBytes(DBFrameWork::ProblemTable(), Problem::Technician), ProblemStatsPanel);
    TechnicianComboBox->setEditText("Techinician");
    SetupTechniciansButton = NewButton("SetupTechniciansButton", "...", ProblemStatsPanel);
    SetupTechniciansButton->setFixedSize(21, 21);
    AssignedLabel = NewLabel("AssignedLabel", "Assigned", ProblemStatsPanel);
    AssignmentDatePicker = NewDatePicker("AssignmentDatePicker", ProblemStatsPanel);
    CompleteCheckBox = new QCheckBox("Complete", ProblemStatsPanel);
    CompleteCheckBox->setObjectName("CompleteCheckBox");
    CompleteCheckBox->setLayoutDirection(Qt::RightToLeft);  // caption left of the box
    CompletedDatePicker = NewDatePicker("CompletedDatePicker", ProblemStatsPanel);
    ActualHoursLabel = NewLabel("ActualHoursLabel", "Actual Hours", ProblemStatsPanel);
    ActualHoursLabel->setWordWrap(true);
    ActualHoursLabel->setStyleSheet("color: navy;");
    ActualHoursEdit = NewSpinEdit("ActualHoursEdit", ProblemStatsPanel);
    BillableHoursLabel = NewLabel("BillableHoursLabel", "Billable Hours", ProblemStatsPanel);
    BillableHoursLabel->setWordWrap(true);
    BillableHoursLabel->setStyleSheet("color: red;");
    BillableHoursEdit = NewSpinEdit("BillableHoursEdit", ProblemStatsPanel);
    Counter->MakeJobControls(ProblemStatsPanel, CompleteCheckBox, CompletedDatePicker);
    auto* technicianRow = new QHBoxLayout;
    technicianRow->setSpacing(2);
    technicianRow->addWidget(TechnicianComboBox, 1);
    technicianRow->addWidget(SetupTechniciansButton);
    statsLayout->addLayout(technicianRow, 0, 0, 1, 4);
    statsLayout->addWidget(AssignedLabel, 1, 0);
    statsLayout->addWidget(AssignmentDatePicker, 1, 1);
    statsLayout->addWidget(ActualHoursLabel, 1, 2, Qt::AlignBottom);
    statsLayout->addWidget(BillableHoursLabel, 1, 3, Qt::AlignBottom);
    statsLayout->addWidget(CompleteCheckBox, 2, 0);
    statsLayout->addWidget(CompletedDatePicker, 2, 1);
    statsLayout->addWidget(ActualHoursEdit, 2, 2);
    statsLayout->addWidget(BillableHoursEdit, 2, 3);
    statsLayout->addWidget(Counter->StateLabel, 3, 0);
    statsLayout->addWidget(Counter->JobStateComboBox, 3, 1, 1, 3);
    statsLayout->addWidget(Counter->PromisedCheckBox, 4, 0);
    statsLayout->addWidget(Counter->PromisedDatePicker, 4, 1);
    statsLayout->setColumnStretch(1, 1);
    statsLayout->setRowStretch(5, 1);

    // Operating system, the report buttons, Save and Close.
    SystemInfoPanel = NewPanel("SystemInfoPanel", HRSplitter2);
    SystemInfoPanel->setMinimumWidth(200);
    auto* systemLayout = TightLayout<QVBoxLayout>(SystemInfoPanel);
    OperatingSystemComboBox = NewComboBox("OperatingSystemComboBox",
                                          StoredBytes(DBFrameWork::SystemInfoTable(), SystemInfo::OperatingSystem),
                                          SystemInfoPanel);
    OperatingSystemComboBox->setEditText("Operating System");
    SetupOperatingSystemsButton = NewButton("SetupOperatingSystemsButton", "...", SystemInfoPanel);
    SetupOperatingSystemsButton->setFixedSize(21, 21);
    auto* systemRow = new QHBoxLayout;
    systemRow->setSpacing(2);
    systemRow->addWidget(OperatingSystemComboBox, 1);
    systemRow->addWidget(SetupOperatingSystemsButton);
    systemLayout->addLayout(systemRow);
    GroupBox1 = new QGroupBox(" System Information ", SystemInfoPanel);
    GroupBox1->setObjectName("GroupBox1");
    auto* groupLayout = TightLayout<QHBoxLayout>(GroupBox1);
    ImportSysInfoButton = NewButton("ImportSysInfoButton", "Import", GroupBox1);
    ViewSysInfoButton = NewButton("ViewSysInfoButton", "View", GroupBox1);
    groupLayout->addWidget(ImportSysInfoButton);
    groupLayout->addWidget(ViewSysInfoButton);
    systemLayout->addWidget(GroupBox1);
    SaveButton = NewButton("SaveButton", "&Save", SystemInfoPanel);
    // Alt+S belongs to the Setup menu; Save has Ctrl+S.
    SaveButton->setShortcut(QKeySequence());
    CloseButton = NewButton("CloseButton", "&Close", SystemInfoPanel);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(SaveButton);
    buttonRow->addWidget(CloseButton);
    systemLayout->addLayout(buttonRow);
    systemLayout->addStretch(1);

    HRSplitter1->addWidget(ClientPanel);
    HRSplitter1->addWidget(HRSplitter2);
    HRSplitter2->addWidget(ProblemStatsPanel);
    HRSplitter2->addWidget(SystemInfoPanel);
    HRSplitter1->setStretchFactor(0, 1);
    HRSplitter1->setStretchFactor(1, 0);
    HRSplitter2->setSizes({330, 238});
    HRSplitter1->setSizes({782 - 330 - 238 - 4, 330 + 238 + 2});

    VRSplitter2 = NewSplitter("VRSplitter2", Qt::Vertical, VRSplitter1);

    ProblemPanel = NewPanel("ProblemPanel", VRSplitter2);
    auto* problemLayout = TightLayout<QVBoxLayout>(ProblemPanel);
    ProblemLabel = NewLabel("ProblemLabel", "Problem Description", ProblemPanel);
    ProblemRichEdit = NewRichEdit("ProblemRichEdit", ProblemPanel);
    problemLayout->addWidget(ProblemLabel);
    problemLayout->addWidget(ProblemRichEdit, 1);

    ProblemSolutionsPanel = NewPanel("ProblemSolutionsPanel", VRSplitter2);
    auto* solutionsLayout = TightLayout<QVBoxLayout>(ProblemSolutionsPanel);
    ResolutionPageControl = new QTabWidget(ProblemSolutionsPanel);
    ResolutionPageControl->setObjectName("ResolutionPageControl");
    Resolution = NewPanel("Resolution", ResolutionPageControl);
    auto* resolutionLayout = TightLayout<QVBoxLayout>(Resolution);
    ResolutionRichEdit = NewRichEdit("ResolutionRichEdit", Resolution);
    resolutionLayout->addWidget(ResolutionRichEdit);
    Comments = NewPanel("Comments", ResolutionPageControl);
    auto* commentsLayout = TightLayout<QVBoxLayout>(Comments);
    CommentsRichEdit = NewRichEdit("CommentsRichEdit", Comments);
    commentsLayout->addWidget(CommentsRichEdit);
    ResolutionPageControl->addTab(Resolution, "Resolution");
    ResolutionPageControl->addTab(Comments, "Comments");
    Counter->MakeDevicePage(ResolutionPageControl);
    ResolutionPageControl->addTab(Counter->DevicePage, "Device");
    FilesPage = new TFilesPage(ResolutionPageControl,
                               [this](const DBFrameWork::TicketFileRecord& file, std::string& bytes) {
                                   return DBFrameWork::ReadFileContent(*Connection, ProblemID, file.FileID, bytes);
                               });
    ResolutionPageControl->addTab(FilesPage, "Files");
    ResolutionPageControl->setCurrentWidget(Resolution);
    solutionsLayout->addWidget(ResolutionPageControl);

    VRSplitter1->addWidget(TopPanel);
    VRSplitter1->addWidget(VRSplitter2);
    VRSplitter2->addWidget(ProblemPanel);
    VRSplitter2->addWidget(ProblemSolutionsPanel);
    VRSplitter1->setStretchFactor(0, 0);
    VRSplitter1->setStretchFactor(1, 1);
    VRSplitter2->setStretchFactor(0, 1);
    VRSplitter2->setStretchFactor(1, 0);
    // The customer's contacts and the job's state need a few lines more than the form's 138.
    VRSplitter1->setSizes({196, 575 - 196});
    VRSplitter2->setSizes({575 - 196 - 194, 194});

    BottomStatusBar = new QStatusBar(this);
    BottomStatusBar->setObjectName("BottomStatusBar");
    StatusPanel0 = new QLabel(BottomStatusBar);
    StatusPanel0->setObjectName("StatusPanel0");
    StatusPanel0->setMinimumWidth(50);
    BottomStatusBar->addWidget(StatusPanel0);
    setStatusBar(BottomStatusBar);

    NameAccessibly();

    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    BuildMenu();

    ConnectCommand(SetupTechniciansButton, &TMainForm::TechniciansSetupMenuClick);
    ConnectCommand(SetupOperatingSystemsButton, &TMainForm::OperatingSystemsSetupMenuClick);
    ConnectCommand(ImportSysInfoButton, &TMainForm::ImportSysInfoButtonClick);
    ConnectCommand(ViewSysInfoButton, &TMainForm::ViewSysInfoButtonClick);
    ConnectCommand(SaveButton, &TMainForm::SaveFileMenuClick);
    ConnectCommand(CloseButton, &TMainForm::ExitFileMenuClick);
}

void TMainForm::BuildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu");
    auto addItem = [](QMenu* menu, const QString& name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    auto addSeparator = [](QMenu* menu, const QString& name) {
        QAction* separator = menu->addSeparator();
        separator->setObjectName(name);
        return separator;
    };

    FileMenu = bar->addMenu("&File");
    FileMenu->setObjectName("FileMenu");
    NewFileMenu = addItem(FileMenu, "NewFileMenu", "&New");
    NewFileMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    OpenFileMenu = addItem(FileMenu, "OpenFileMenu", "&Open...");
    OpenFileMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveFileMenu = addItem(FileMenu, "SaveFileMenu", "&Save");
    SaveFileMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    FindSolutionsFileMenu = addItem(FileMenu, "FindSolutionsFileMenu", "&Find Solutions...");
    FindSolutionsFileMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    N2 = addSeparator(FileMenu, "N2");
    PrintFileMenu = addItem(FileMenu, "PrintFileMenu", "&Print...");
    PrintSetupFileMenu = addItem(FileMenu, "PrintSetupFileMenu", "P&rint Setup...");
    N4 = addSeparator(FileMenu, "N4");
    BackupFileMenu = addItem(FileMenu, "BackupFileMenu", "&Backup...");
    RestoreFileMenu = addItem(FileMenu, "RestoreFileMenu", "&Restore...");
    N1 = addSeparator(FileMenu, "N1");
    ExitFileMenu = addItem(FileMenu, "ExitFileMenu", "E&xit");
    ExitFileMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    SetupMenu = bar->addMenu("&Setup");
    SetupMenu->setObjectName("SetupMenu");
    GeneralSetupMenu = addItem(SetupMenu, "GeneralSetupMenu", "&General...");
    N3 = addSeparator(SetupMenu, "N3");
    TechniciansSetupMenu = addItem(SetupMenu, "TechniciansSetupMenu", "&Technicians...");
    OperatingSystemsSetupMenu = addItem(SetupMenu, "OperatingSystemsSetupMenu", "&Operating Systems...");

    HelpMenu = bar->addMenu("&Help");
    HelpMenu->setObjectName("HelpMenu");
    ContentsHelpMenu = addItem(HelpMenu, "ContentsHelpMenu", "&Contents");
    AboutHelpMenu = addItem(HelpMenu, "AboutHelpMenu", "&About...");

    // Present but hidden, and bound to nothing.
    ContentsHelpMenu->setVisible(false);

    ConnectCommand(NewFileMenu, &TMainForm::NewFileMenuClick);
    ConnectCommand(OpenFileMenu, &TMainForm::OpenFileMenuClick);
    ConnectCommand(SaveFileMenu, &TMainForm::SaveFileMenuClick);
    ConnectCommand(FindSolutionsFileMenu, &TMainForm::FindSolutionsFileMenuClick);
    ConnectCommand(BackupFileMenu, &TMainForm::BackupFileMenuClick);
    ConnectCommand(RestoreFileMenu, &TMainForm::RestoreFileMenuClick);
    ConnectCommand(ExitFileMenu, &TMainForm::ExitFileMenuClick);
    ConnectCommand(GeneralSetupMenu, &TMainForm::GeneralSetupMenuClick);
    ConnectCommand(TechniciansSetupMenu, &TMainForm::TechniciansSetupMenuClick);
    ConnectCommand(OperatingSystemsSetupMenu, &TMainForm::OperatingSystemsSetupMenuClick);
    ConnectCommand(AboutHelpMenu, &TMainForm::AboutHelpMenuClick);
    BuildReportMenus();
    BuildCounterMenus();
    BuildExportMenu();
}

void TMainForm::NameAccessibly()
{
    for (const TextBinding& binding : TextBindings())
        binding.Control->setAccessibleName(binding.Column.SpokenName);
    const DBFrameWork::TableDefinition& problem = DBFrameWork::ProblemTable();
    const std::pair<QWidget*, const char*> names[] = {
        {SetupTechniciansButton, "Set up technicians"},
        {AssignmentDatePicker, problem.Columns[Problem::Assigned].SpokenName},
        {CompleteCheckBox, "Complete"},
        {CompletedDatePicker, problem.Columns[Problem::Completed].SpokenName},
        {ActualHoursEdit, problem.Columns[Problem::ActualHours].SpokenName},
        {BillableHoursEdit, problem.Columns[Problem::BillableHours].SpokenName},
        {SetupOperatingSystemsButton, "Set up operating systems"},
        {ImportSysInfoButton, "Import system information"},
        {ViewSysInfoButton, "View system information"},
        {SaveButton, "Save"},
        {CloseButton, "Close"},
        {ResolutionPageControl, "Resolution and comments"},
    };
    for (const auto& [widget, name] : names)
        widget->setAccessibleName(name);
}
