// The Setup, About and Exit commands through the real main window, each
// followed by a fresh read of the settings file it left behind.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

#include "app/AboutUnit.h"
#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/GeneralEditorUnit.h"
#include "dialogs/ListEditorUnit.h"
#include "settings/Quenbrook_Configuration.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/datafiles/TestSupport.h"
#include "tests/support/windows/FakeInteraction.h"
#include "tests/support/windows/ModalDriver.h"

namespace {

using Names = std::vector<std::string>;

// The window's own files, in the working folder of the test that runs.
ProgramPaths Paths;

std::string SettingsFile()
{
    return Paths.SettingsFile.toStdString();
}

// The settings file as the next start of the program will read it.
std::unique_ptr<Quenbrook::Configuration> SettingsOnDisk()
{
    auto config = std::make_unique<Quenbrook::Configuration>();
    EXPECT_TRUE(config->Load(SettingsFile()));
    return config;
}

Names Numbers(const Quenbrook::Configuration& config, const std::string& kind)
{
    Names numbers;
    for (int n = 1; !config.GetNumber(kind + std::to_string(n)).empty(); ++n)
        numbers.push_back(config.GetNumber(kind + std::to_string(n)));
    return numbers;
}

Names Technicians(const Quenbrook::Configuration& config)
{
    Names names;
    for (int n = 1; !config.GetTechnician(n).empty(); ++n)
        names.push_back(config.GetTechnician(n));
    return names;
}

Names OperatingSystems(const Quenbrook::Configuration& config)
{
    Names names;
    for (int n = 1; !config.GetOperatingSystem(n).empty(); ++n)
        names.push_back(config.GetOperatingSystem(n));
    return names;
}

// The value after a column name in isql's list output.
std::string ListValue(const std::string& output, const std::string& column)
{
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name;
        std::string value;
        if (words >> name >> value && name == column)
            return value;
    }
    return {};
}

QStringList ComboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

class SetupCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(work.Path());
        Paths = ProgramPaths::InFolder(QString::fromStdString(work.Path()));
    }

    void TearDown() override
    {
        window.reset();
        std::filesystem::current_path(previousFolder);
    }

    // Settings beside the executable; the data file stays in the working folder.
    void WriteSettings(const std::string& general, const std::string& sections = "")
    {
        TestSupport::WriteFile(SettingsFile(),
                               "[General]\nData File=" + work.File("Data/Solutions.fdb") + "\n" + general + sections);
    }

    void Start()
    {
        window = std::make_unique<TMainForm>(Paths);
        window->show();
        fake.messages.clear();
    }

    template <class Dialog>
    void Run(QAction* command, const std::function<void(Dialog&)>& steps)
    {
        ASSERT_TRUE(WhileShown<Dialog>([command] { command->trigger(); }, steps)) << "no dialog was shown";
    }

    // The window's control of that object name; a missing one fails the test.
    template <class T>
    T* Find(const char* name)
    {
        return Control<T>(*window, name);
    }

    template <class Dialog>
    void Run(QPushButton* command, const std::function<void(Dialog&)>& steps)
    {
        ASSERT_TRUE(WhileShown<Dialog>([command] { command->click(); }, steps)) << "no dialog was shown";
    }

    TestSupport::TempDir work;
    std::filesystem::path previousFolder;
    FakeInteraction fake;
    std::unique_ptr<TMainForm> window;
};

const std::string SeededSections = "[Technicians]\n1=Zed\n2=Amy\n3=Bob\n[Operating Systems]\n1=Windows XP\n";

}  // namespace

TEST_F(SetupCommands, cancelInAnySetupDialogChangesNothingAndWritesNoFile)
{
    Start();
    ASSERT_FALSE(TestSupport::FileExists(SettingsFile()));
    const QString caption = window->windowTitle();
    const QStringList technicians = ComboItems(Find<QComboBox>("TechnicianComboBox"));

    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        dialog.CompanyNameEdit->setText("Changed");
        dialog.PhonesMemo->setPlainText("555");
        dialog.CancelButton->click();
    });
    Run<TListEditor>(Find<QAction>("TechniciansSetupMenu"), [](TListEditor& dialog) {
        dialog.AddItemEdit->setText("Applied");
        QChar enter('\r');
        dialog.AddItemEditKeyPress(enter);
        dialog.ApplyButton->click();
        dialog.CancelButton->click();
    });
    Run<TListEditor>(Find<QPushButton>("SetupOperatingSystemsButton"), [](TListEditor& dialog) { dialog.close(); });

    EXPECT_FALSE(TestSupport::FileExists(SettingsFile()));
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_EQ(window->GetConfig()->GetCompanyName(), "Your Company Name");
    EXPECT_EQ(window->GetConfig()->GetNumber("Phone1"), "");
    EXPECT_EQ(window->GetConfig()->GetTechnician(1), "");
    EXPECT_EQ(ComboItems(Find<QComboBox>("TechnicianComboBox")), technicians);
    EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(SetupCommands, cancelLeavesAnExistingFileAsItWas)
{
    WriteSettings("Company Name=Velmora\nPhone1=111\n", SeededSections);
    const std::string before = TestSupport::ReadFile(SettingsFile());
    Start();
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        dialog.CompanyNameEdit->setText("Changed");
        dialog.CancelButton->click();
    });
    Run<TListEditor>(Find<QPushButton>("SetupTechniciansButton"), [](TListEditor& dialog) {
        dialog.ItemsListBox->setCurrentRow(0);
        dialog.RemoveButton->click();
        dialog.CancelButton->click();
    });
    EXPECT_EQ(TestSupport::ReadFile(SettingsFile()), before);
    EXPECT_EQ(window->windowTitle(), "Velmora Solution Database");
    EXPECT_EQ(Technicians(*window->GetConfig()), (Names{"Zed", "Amy", "Bob"}));
}

TEST_F(SetupCommands, okWithoutChangesSavesTheSettingsFile)
{
    Start();
    const QString caption = window->windowTitle();
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        EXPECT_EQ(dialog.CompanyNameEdit->text(), "Your Company Name");
        EXPECT_EQ(TGeneralEditor::MemoLines(dialog.AddressMemo), (QStringList{"123 Example St", "City, St ZIP"}));
        EXPECT_EQ(dialog.DataFileEdit->text(), "./Data/Solutions.fdb");
        dialog.OKButton->click();
    });
    ASSERT_TRUE(TestSupport::FileExists(SettingsFile()));
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_TRUE(fake.messages.isEmpty());
    const auto onDisk = SettingsOnDisk();
    EXPECT_EQ(onDisk->GetCompanyName(), "Your Company Name");
    EXPECT_EQ(onDisk->GetAddress(), "123 Example St, City, St ZIP");
    EXPECT_EQ(onDisk->GetDataFile(), "./Data/Solutions.fdb");
    EXPECT_TRUE(Numbers(*onDisk, "Phone").empty());
    EXPECT_NE(TestSupport::ReadFile(SettingsFile()).find("Company Name=Your Company Name"), std::string::npos);

    // The list commands save on OK too.
    std::filesystem::remove(SettingsFile());
    Run<TListEditor>(Find<QAction>("OperatingSystemsSetupMenu"), [](TListEditor& dialog) { dialog.OKButton->click(); });
    EXPECT_TRUE(TestSupport::FileExists(SettingsFile()));
}

TEST_F(SetupCommands, phonesAndFaxesComeBackUnderTheirKeys)
{
    WriteSettings("Phone1=555-0101\nPhone2=555-0102\nPhone3=555-0103\nFax1=555-0190\n");
    Start();
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        EXPECT_EQ(TGeneralEditor::MemoLines(dialog.PhonesMemo), (QStringList{"555-0101", "555-0102", "555-0103"}));
        EXPECT_EQ(TGeneralEditor::MemoLines(dialog.FaxesMemo), QStringList{"555-0190"});
        dialog.OKButton->click();
    });
    const Quenbrook::Configuration& config = *window->GetConfig();
    EXPECT_EQ(Numbers(config, "Phone"), (Names{"555-0101", "555-0102", "555-0103"}));
    EXPECT_EQ(Numbers(config, "Fax"), (Names{"555-0190"}));
    const auto onDisk = SettingsOnDisk();
    EXPECT_EQ(Numbers(*onDisk, "Phone"), (Names{"555-0101", "555-0102", "555-0103"}));
    EXPECT_EQ(Numbers(*onDisk, "Fax"), (Names{"555-0190"}));

    // Fewer numbers: the keys past the last one leave the file.
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        dialog.PhonesMemo->setPlainText("555-0200");
        dialog.FaxesMemo->clear();
        dialog.OKButton->click();
    });
    const std::string text = TestSupport::ReadFile(SettingsFile());
    EXPECT_EQ(text.find("Phone2"), std::string::npos);
    EXPECT_EQ(text.find("Fax1"), std::string::npos);
    EXPECT_EQ(Numbers(*SettingsOnDisk(), "Phone"), (Names{"555-0200"}));
}

TEST_F(SetupCommands, emptyPhoneAndFaxLinesNoLongerHideTheNumbersAfterThem)
{
    Start();
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        dialog.PhonesMemo->setPlainText("555-0101\n\n555-0103\n   \n555-0105");
        dialog.FaxesMemo->setPlainText("\n555-0190");
        dialog.OKButton->click();
    });
    const Names phones{"555-0101", "555-0103", "555-0105"};
    EXPECT_EQ(Numbers(*window->GetConfig(), "Phone"), phones);
    EXPECT_EQ(Numbers(*window->GetConfig(), "Fax"), (Names{"555-0190"}));
    const auto onDisk = SettingsOnDisk();
    EXPECT_EQ(Numbers(*onDisk, "Phone"), phones);
    EXPECT_EQ(Numbers(*onDisk, "Fax"), (Names{"555-0190"}));

    // The next run of the dialog shows them in the same order.
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        EXPECT_EQ(TGeneralEditor::MemoLines(dialog.PhonesMemo), (QStringList{"555-0101", "555-0103", "555-0105"}));
        dialog.CancelButton->click();
    });
}

TEST_F(SetupCommands, generalValuesReachCaptionSettingsAndFile)
{
    Start();
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        dialog.CompanyNameEdit->setText("  Velmora Computer Care ");
        dialog.AddressMemo->setPlainText("12 Mill Lane\nQuenbrook, ST 40411");
        dialog.WebSiteEdit->setText("www.velmora.example");
        dialog.DataFileEdit->setText("/srv/velmora/Solutions.fdb");
        dialog.OKButton->click();
    });
    EXPECT_EQ(window->windowTitle(), "Velmora Computer Care Solution Database");
    const auto onDisk = SettingsOnDisk();
    EXPECT_EQ(onDisk->GetCompanyName(), "Velmora Computer Care");
    EXPECT_EQ(onDisk->GetAddress(), "12 Mill Lane, Quenbrook, ST 40411");
    EXPECT_EQ(onDisk->GetWebSite(), "www.velmora.example");
    EXPECT_EQ(onDisk->GetDataFile(), "/srv/velmora/Solutions.fdb");
    // The open data file stays the one of this run.
    EXPECT_TRUE(window->GetConnection()->Connected);
}

TEST_F(SetupCommands, editedTechnicianListReachesComboBoxAndFile)
{
    WriteSettings("", SeededSections);
    Start();
    ASSERT_EQ(ComboItems(Find<QComboBox>("TechnicianComboBox")), (QStringList{"Zed", "Amy", "Bob"}));
    Run<TListEditor>(Find<QAction>("TechniciansSetupMenu"), [](TListEditor& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Technicians...");
        while (dialog.ItemsListBox->count() > 0) {
            dialog.ItemsListBox->setCurrentRow(0);
            dialog.RemoveButton->click();
        }
        for (const char* name : {"B", "A"}) {
            dialog.AddItemEdit->setText(name);
            QChar enter('\r');
            dialog.AddItemEditKeyPress(enter);
        }
        dialog.ItemsListBox->setCurrentRow(1);
        dialog.MoveUpButton->click();
        dialog.OKButton->click();
    });
    EXPECT_EQ(Technicians(*window->GetConfig()), (Names{"A", "B"}));
    EXPECT_EQ(ComboItems(Find<QComboBox>("TechnicianComboBox")), (QStringList{"A", "B"}));
    const auto onDisk = SettingsOnDisk();
    EXPECT_EQ(Technicians(*onDisk), (Names{"A", "B"}));
    EXPECT_EQ(TestSupport::ReadFile(SettingsFile()).find("3=Bob"), std::string::npos);
    EXPECT_EQ(OperatingSystems(*onDisk), (Names{"Windows XP"}));
}

TEST_F(SetupCommands, editedOperatingSystemListFromItsButton)
{
    WriteSettings("", SeededSections);
    Start();
    Run<TListEditor>(Find<QPushButton>("SetupOperatingSystemsButton"), [](TListEditor& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Operating Systems...");
        for (const char* name : {"Debian 12", "windows xp", "   "}) {
            dialog.AddItemEdit->setText(name);
            QChar enter('\r');
            dialog.AddItemEditKeyPress(enter);
        }
        dialog.AddItemEdit->setText("Windows 2000");
        QChar enter('\r');
        dialog.AddItemEditKeyPress(enter);
        dialog.OKButton->click();
    });
    // The blank entry is left out, or the settings would stop reading at it.
    const Names expected{"Windows XP", "Debian 12", "Windows 2000"};
    EXPECT_EQ(OperatingSystems(*window->GetConfig()), expected);
    EXPECT_EQ(ComboItems(Find<QComboBox>("OperatingSystemComboBox")),
              (QStringList{"Windows XP", "Debian 12", "Windows 2000"}));
    EXPECT_EQ(OperatingSystems(*SettingsOnDisk()), expected);
}

TEST_F(SetupCommands, aboutBoxFollowsABusinessNameChangedInThisRun)
{
    WriteSettings("Company Name=Old Name\nAddress=1 Road, Town, ST 12345\n");
    Start();
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        dialog.CompanyNameEdit->setText("New Name");
        dialog.OKButton->click();
    });
    bool closedByOk = false;
    Run<TAboutBox>(Find<QAction>("AboutHelpMenu"), [&](TAboutBox& box) {
        EXPECT_EQ(box.windowTitle(), "About");
        EXPECT_EQ(box.ProductName->text(), "New Name Solution Database");
        EXPECT_EQ(box.Version->text(), "Version 0.0.2 Alpha");
        EXPECT_FALSE(box.Copyright->text().isEmpty());
        EXPECT_NE(box.Copyright->text(), "Copyright");
        EXPECT_EQ(box.Comments->text(), "Comments:  Set-up for New Name\r\n1 Road, Town, ST 12345");
        EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());
        EXPECT_TRUE(box.OKButton->isDefault());
        box.OKButton->click();
        closedByOk = !box.isVisible();
    });
    EXPECT_TRUE(closedByOk);
    EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(SetupCommands, failedSaveIsReportedAndTheValuesStayInMemory)
{
    // A folder where the settings file should be: it can be neither read nor written.
    std::filesystem::create_directory(SettingsFile());
    window = std::make_unique<TMainForm>(Paths);
    fake.messages.clear();
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        dialog.CompanyNameEdit->setText("Kept In Memory");
        dialog.OKButton->click();
    });
    EXPECT_EQ(fake.messages, QStringList{"Failed to save configuration!"});
    EXPECT_EQ(window->windowTitle(), "Kept In Memory Solution Database");
    EXPECT_EQ(window->GetConfig()->GetCompanyName(), "Kept In Memory");

    fake.messages.clear();
    Run<TListEditor>(Find<QAction>("TechniciansSetupMenu"), [](TListEditor& dialog) { dialog.OKButton->click(); });
    EXPECT_EQ(fake.messages, QStringList{"Failed to save configuration!"});
}

TEST_F(SetupCommands, exitAndCloseEndWithoutSavingAnything)
{
    WriteSettings("Company Name=Velmora\n");
    const std::string before = TestSupport::ReadFile(SettingsFile());
    for (int way = 0; way < 2; ++way) {
        Start();
        Find<QLineEdit>("NameEdit")->setText("Unsaved Customer");
        // The command runs inside the application's event loop, which it must end;
        // its controls are found before, where a missing one fails the test.
        QAction* exitItem = Find<QAction>("ExitFileMenu");
        QPushButton* closeButton = Find<QPushButton>("CloseButton");
        QTimer::singleShot(0, window.get(), [&] {
            if (way == 0)
                exitItem->trigger();
            else
                closeButton->click();
        });
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
        stuck.start(10000);
        EXPECT_EQ(QApplication::exec(), 0) << way;
        stuck.stop();
        EXPECT_FALSE(window->isVisible()) << way;
        EXPECT_TRUE(fake.messages.isEmpty()) << way;
        EXPECT_TRUE(fake.errors.isEmpty()) << way;
        window.reset();
        EXPECT_EQ(TestSupport::ReadFile(SettingsFile()), before) << way;
        const std::string output = TestSupport::Isql(work.File("Data/Solutions.fdb"),
                                                     "SET LIST ON;\nSELECT COUNT(*) AS STORED_ROWS FROM Customer;");
        EXPECT_NE(output.find("STORED_ROWS"), std::string::npos) << output;
        EXPECT_EQ(ListValue(output, "STORED_ROWS"), "0") << output;
    }
}

TEST_F(SetupCommands, backupOnExitSettingsShowInGeneralAndReachTheFile)
{
    WriteSettings("Backup On Exit=0\nBackup Copies=4\n");
    Start();
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        EXPECT_EQ(dialog.BackupOnExitCheckBox->text(), "Back up on exit, keep");
        EXPECT_EQ(dialog.BackupCopiesLabel->text(), "copies");
        EXPECT_FALSE(dialog.BackupOnExitCheckBox->isChecked());
        EXPECT_FALSE(dialog.BackupCopiesSpinEdit->isEnabled());
        EXPECT_EQ(dialog.BackupCopiesSpinEdit->value(), 4);
        dialog.BackupOnExitCheckBox->setChecked(true);
        EXPECT_TRUE(dialog.BackupCopiesSpinEdit->isEnabled());
        dialog.BackupCopiesSpinEdit->setValue(7);
        dialog.OKButton->click();
    });
    EXPECT_TRUE(window->GetConfig()->GetBackupOnExit());
    EXPECT_EQ(window->GetConfig()->GetBackupCopies(), 7);
    const std::string onDisk = TestSupport::ReadFile(SettingsFile());
    EXPECT_NE(onDisk.find("Backup On Exit=1"), std::string::npos) << onDisk;
    EXPECT_NE(onDisk.find("Backup Copies=7"), std::string::npos) << onDisk;
}

// A password an older settings file holds keeps working there while no
// keyring takes it; a new one is never written to the file.
TEST_F(SetupCommands, aServerPasswordIsNeverWrittenToTheSettingsFile)
{
    WriteSettings("Data File User=clerk\nData File Password=old-secret\n");
    Start();
    fake.confirmAnswer = true;
    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        EXPECT_EQ(dialog.DataFilePasswordEdit->text(), "old-secret");
        dialog.DataFileEdit->setText("shop:/srv/Solutions.fdb");
        dialog.OKButton->click();
    });
    EXPECT_EQ(SettingsOnDisk()->GetDataFile(), "shop:/srv/Solutions.fdb");
    EXPECT_EQ(SettingsOnDisk()->GetDataFilePassword(), "old-secret");
    EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join('\n').toStdString();

    Run<TGeneralEditor>(Find<QAction>("GeneralSetupMenu"), [](TGeneralEditor& dialog) {
        dialog.DataFilePasswordEdit->setText("new-secret");
        dialog.OKButton->click();
    });
    const std::string settings = TestSupport::ReadFile(SettingsFile());
    EXPECT_EQ(settings.find("secret"), std::string::npos) << settings;
    EXPECT_EQ(SettingsOnDisk()->GetDataFileUser(), "clerk");
    EXPECT_EQ(fake.messages,
              QStringList({"The desktop's keyring did not take the password; it will be asked for when "
                           "the data file is opened."}));
}
