// The form's inventory, the ticket reset, the placeholder rules, pick lists and caption.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "settings/Quenbrook_Configuration.h"
#include "tests/support/windows/WindowTest.h"

class Ticket : public WindowTest {};

TEST_F(Ticket, FormHoldsEveryControlAndMenuItemByName)
{
    Start();
    ASSERT_TRUE(window);
    // clang-format off
    for (const char* name :
         {"TopPanel", "ClientPanel", "NameEdit", "AddressMemo", "CityComboBox", "StateComboBox", "ZipComboBox",
          "HRSplitter1", "ProblemStatsPanel", "TechnicianComboBox", "SetupTechniciansButton", "AssignedLabel",
          "AssignmentDatePicker", "CompleteCheckBox", "CompletedDatePicker", "ActualHoursLabel", "ActualHoursEdit",
          "BillableHoursLabel", "BillableHoursEdit", "HRSplitter2", "SystemInfoPanel", "OperatingSystemComboBox",
          "SetupOperatingSystemsButton", "GroupBox1", "ImportSysInfoButton", "ViewSysInfoButton", "SaveButton",
          "CloseButton", "VRSplitter1", "ProblemPanel", "ProblemLabel", "ProblemRichEdit", "VRSplitter2",
          "ProblemSolutionsPanel", "ResolutionPageControl", "Resolution", "ResolutionRichEdit", "Comments",
          "CommentsRichEdit", "BottomStatusBar", "PhoneNumbersEdit", "EmailEdit", "JobStateComboBox",
          "PromisedCheckBox", "PromisedDatePicker", "Device", "DeviceKindComboBox", "MakeModelEdit", "SerialEdit",
          "AccessoriesEdit", "ConditionMemo", "TermsAgreedCheckBox", "KnownDevicesComboBox"})
        // clang-format on
        EXPECT_NE(window->findChild<QWidget*>(name), nullptr) << name;

    struct Item {
        const char* name;
        const char* caption;
        bool visible;
    };
    const Item items[] = {{"NewFileMenu", "&New", true},
                          {"OpenFileMenu", "&Open...", true},
                          {"SaveFileMenu", "&Save", true},
                          {"FindSolutionsFileMenu", "&Find Solutions...", true},
                          {"N2", "", true},
                          {"PrintFileMenu", "&Print...", true},
                          {"PrintSetupFileMenu", "P&rint Setup...", true},
                          {"ExportPdfFileMenu", "&Export PDF...", true},
                          {"PrintIntakeReceiptFileMenu", "Print &Intake Receipt...", true},
                          {"ExportIntakeReceiptFileMenu", "Intake Receipt as P&DF...", true},
                          {"PrintLabelFileMenu", "Print &Label...", true},
                          {"NotifyCustomerFileMenu", "Notify &Customer...", true},
                          {"N4", "", true},
                          {"BackupFileMenu", "&Backup...", true},
                          {"RestoreFileMenu", "&Restore...", true},
                          {"ExportAllFileMenu", "Export &All...", true},
                          {"N1", "", true},
                          {"ExitFileMenu", "E&xit", true},
                          {"GeneralSetupMenu", "&General...", true},
                          {"N3", "", true},
                          {"TechniciansSetupMenu", "&Technicians...", true},
                          {"OperatingSystemsSetupMenu", "&Operating Systems...", true},
                          {"StatesSetupMenu", "&States...", true},
                          {"CounterSetupMenu", "&Counter...", true},
                          {"CustomersViewMenu", "&Customers...", true},
                          {"ContentsHelpMenu", "&Contents", false},
                          {"AboutHelpMenu", "&About...", true}};
    for (const Item& item : items) {
        auto* action = window->findChild<QAction*>(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), item.caption) << item.name;
        EXPECT_EQ(action->isVisible(), item.visible) << item.name;
    }
    EXPECT_EQ(Find<QMenu>("FileMenu")->title(), "&File");
    EXPECT_EQ(Find<QMenu>("SetupMenu")->title(), "&Setup");
    EXPECT_EQ(Find<QMenu>("HelpMenu")->title(), "&Help");
    EXPECT_EQ(Find<QMenu>("FileMenu")->actions().size(), 18);

    EXPECT_EQ(Find<QTabWidget>("ResolutionPageControl")->tabText(0), "Resolution");
    EXPECT_EQ(Find<QTabWidget>("ResolutionPageControl")->tabText(1), "Comments");
    EXPECT_EQ(Find<QTabWidget>("ResolutionPageControl")->tabText(2), "Device");
    EXPECT_EQ(Find<QTabWidget>("ResolutionPageControl")->tabText(3), "Files");
    EXPECT_EQ(Find<QGroupBox>("GroupBox1")->title(), " System Information ");
    EXPECT_EQ(Find<QPushButton>("SaveButton")->text(), "&Save");
    EXPECT_EQ(Find<QPushButton>("CloseButton")->text(), "&Close");
    EXPECT_FALSE(Find<QTextEdit>("ProblemRichEdit")->acceptRichText());
    EXPECT_TRUE(Find<QDateEdit>("AssignmentDatePicker")->calendarPopup());
    EXPECT_LT(Find<QSpinBox>("ActualHoursEdit")->minimum(), -1000000);
    EXPECT_GT(Find<QSpinBox>("BillableHoursEdit")->maximum(), 1000000);
}

TEST_F(Ticket, PlaceholderRules)
{
    Start();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->HasPlaceholderText());
    FillTicket();
    EXPECT_FALSE(window->HasPlaceholderText());

    // Each field alone still holding its placeholder is enough.
    auto restoreOne = [this](int field) {
        FillTicket();
        switch (field) {
        case 0:
            Find<QLineEdit>("NameEdit")->setText("Name");
            break;
        case 1:
            window->SetAddressText("Address1\r\nAddress2");
            break;
        case 2:
            Find<QComboBox>("CityComboBox")->setEditText("City");
            break;
        case 3:
            Find<QComboBox>("StateComboBox")->setEditText("State");
            break;
        case 4:
            Find<QComboBox>("ZipComboBox")->setEditText("Zip");
            break;
        case 5:
            Find<QComboBox>("TechnicianComboBox")->setEditText("Technician");
            break;
        case 6:
            Find<QComboBox>("OperatingSystemComboBox")->setEditText("Operating System");
            break;
        }
    };
    for (int field = 0; field < 7; ++field) {
        restoreOne(field);
        EXPECT_TRUE(window->HasPlaceholderText()) << "field " << field;
    }

    // Whole texts, byte for byte.
    FillTicket();
    for (const QString& name : {QString("name"), QString("Name "), QString(" Name")}) {
        Find<QLineEdit>("NameEdit")->setText(name);
        EXPECT_FALSE(window->HasPlaceholderText()) << name.toStdString();
    }
    window->SetAddressText("Address1\r\nAddress2\r\n");
    EXPECT_FALSE(window->HasPlaceholderText());
    // The form's own spelling is not the reset's placeholder.
    Find<QComboBox>("TechnicianComboBox")->setEditText("Techinician");
    EXPECT_FALSE(window->HasPlaceholderText());

    // Empty is not a placeholder.
    Find<QLineEdit>("NameEdit")->clear();
    Find<QPlainTextEdit>("AddressMemo")->clear();
    for (QComboBox* box :
         {Find<QComboBox>("CityComboBox"), Find<QComboBox>("StateComboBox"), Find<QComboBox>("ZipComboBox"),
          Find<QComboBox>("TechnicianComboBox"), Find<QComboBox>("OperatingSystemComboBox")})
        box->setEditText("");
    EXPECT_FALSE(window->HasPlaceholderText());
}

TEST_F(Ticket, NewResetsEveryControlAndThePage)
{
    Start();
    ASSERT_TRUE(window);
    FillTicket();
    Find<QDateEdit>("AssignmentDatePicker")->setDate(QDate(2004, 12, 25));
    Find<QDateEdit>("CompletedDatePicker")->setDate(QDate(2005, 1, 2));
    Find<QCheckBox>("CompleteCheckBox")->setChecked(true);
    Find<QSpinBox>("ActualHoursEdit")->setValue(7);
    Find<QSpinBox>("BillableHoursEdit")->setValue(-3);
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("It hangs");
    Find<QTextEdit>("ResolutionRichEdit")->setPlainText("Rebooted");
    Find<QTextEdit>("CommentsRichEdit")->setPlainText("Call back");
    Find<QTabWidget>("ResolutionPageControl")->setCurrentWidget(Find<QWidget>("Comments"));
    ASSERT_TRUE(window->SaveProblem());
    ASSERT_FALSE(window->GetIsNewProblem());
    const int customer = window->GetCustomerID();
    const int problem = window->GetProblemID();

    Find<QAction>("NewFileMenu")->trigger();

    EXPECT_TRUE(window->GetIsNewProblem());
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text(), "Name");
    EXPECT_EQ(Find<QPlainTextEdit>("AddressMemo")->toPlainText(), "Address1\nAddress2");
    EXPECT_EQ(window->AddressText(), "Address1\r\nAddress2");
    EXPECT_EQ(Find<QComboBox>("CityComboBox")->currentText(), "City");
    EXPECT_EQ(Find<QComboBox>("StateComboBox")->currentText(), "State");
    EXPECT_EQ(Find<QComboBox>("ZipComboBox")->currentText(), "Zip");
    EXPECT_EQ(Find<QComboBox>("TechnicianComboBox")->currentText(), "Technician");
    EXPECT_EQ(Find<QComboBox>("OperatingSystemComboBox")->currentText(), "Operating System");
    EXPECT_EQ(Find<QDateEdit>("AssignmentDatePicker")->date(), QDate::currentDate());
    EXPECT_EQ(Find<QDateEdit>("CompletedDatePicker")->date(), QDate::currentDate());
    EXPECT_FALSE(Find<QCheckBox>("CompleteCheckBox")->isChecked());
    EXPECT_EQ(Find<QSpinBox>("ActualHoursEdit")->value(), 0);
    EXPECT_EQ(Find<QSpinBox>("BillableHoursEdit")->value(), 0);
    EXPECT_TRUE(Find<QTextEdit>("ProblemRichEdit")->toPlainText().isEmpty());
    EXPECT_TRUE(Find<QTextEdit>("ResolutionRichEdit")->toPlainText().isEmpty());
    EXPECT_TRUE(Find<QTextEdit>("CommentsRichEdit")->toPlainText().isEmpty());
    EXPECT_EQ(Find<QTabWidget>("ResolutionPageControl")->currentWidget(), Find<QWidget>("Resolution"));
    EXPECT_TRUE(window->HasPlaceholderText());
    // The keys stay until the next save.
    EXPECT_EQ(window->GetCustomerID(), customer);
    EXPECT_EQ(window->GetProblemID(), problem);
    EXPECT_TRUE(fake->errors.isEmpty());
}

TEST_F(Ticket, PickListsAndCaptionFromSettings)
{
    UseDataFile(work.File("lists.fdb"), "Company Name=Acme Repairs\n",
                "[Technicians]\n1=Ann\n2=Bob\n[Operating Systems]\n1=Debian 12\n2=\n3=Windows XP\n");
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Acme Repairs Solution Database");
    ASSERT_EQ(Find<QComboBox>("TechnicianComboBox")->count(), 2);
    EXPECT_EQ(Find<QComboBox>("TechnicianComboBox")->itemText(0), "Ann");
    EXPECT_EQ(Find<QComboBox>("TechnicianComboBox")->itemText(1), "Bob");
    // The fill after the reset keeps the reset's text in the edit field.
    EXPECT_EQ(Find<QComboBox>("TechnicianComboBox")->currentText(), "Technician");
    // The series ends at the first empty entry.
    ASSERT_EQ(Find<QComboBox>("OperatingSystemComboBox")->count(), 1);
    EXPECT_EQ(Find<QComboBox>("OperatingSystemComboBox")->itemText(0), "Debian 12");
    EXPECT_EQ(Find<QComboBox>("OperatingSystemComboBox")->currentText(), "Operating System");

    // A refill replaces the items and keeps what the user typed.
    Find<QComboBox>("TechnicianComboBox")->setEditText("Typed");
    window->GetConfig()->SetTechnician(1, "Cleo");
    window->FillTechnicianList();
    ASSERT_EQ(Find<QComboBox>("TechnicianComboBox")->count(), 2);
    EXPECT_EQ(Find<QComboBox>("TechnicianComboBox")->itemText(0), "Cleo");
    EXPECT_EQ(Find<QComboBox>("TechnicianComboBox")->currentText(), "Typed");

    // An empty settings list leaves the items alone.
    window->GetConfig()->ClearTechnicians();
    window->FillTechnicianList();
    EXPECT_EQ(Find<QComboBox>("TechnicianComboBox")->count(), 2);
    EXPECT_EQ(Find<QComboBox>("TechnicianComboBox")->currentText(), "Typed");

    window->GetConfig()->SetCompanyName("");
    window->UpdateCaption();
    EXPECT_EQ(window->windowTitle(), " Solution Database");
}

TEST_F(Ticket, InputStopsAtWhatTheColumnsHold)
{
    Start();
    ASSERT_TRUE(window);
    Find<QLineEdit>("NameEdit")->clear();
    QTest::keyClicks(Find<QLineEdit>("NameEdit"), QString(125, 'n'));
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text().size(), 120);
    // Counted in stored bytes: two-byte letters fit half as many.
    Find<QLineEdit>("NameEdit")->clear();
    Find<QLineEdit>("NameEdit")->insert(QString(60, QChar(0xe9)));
    Find<QLineEdit>("NameEdit")->insert(QString(1, QChar(0xe9)));
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text(), QString(60, QChar(0xe9)));

    Find<QComboBox>("ZipComboBox")->setEditText("");
    QTest::keyClicks(Find<QComboBox>("ZipComboBox")->lineEdit(), "1234567890123");
    EXPECT_EQ(Find<QComboBox>("ZipComboBox")->currentText(), "123456789");
    Find<QComboBox>("OperatingSystemComboBox")->setEditText("");
    QTest::keyClicks(Find<QComboBox>("OperatingSystemComboBox")->lineEdit(), QString(130, 'o'));
    EXPECT_EQ(Find<QComboBox>("OperatingSystemComboBox")->currentText().size(), 120);

    // The address counts each line break as the two bytes it is stored as.
    Find<QPlainTextEdit>("AddressMemo")->clear();
    Find<QPlainTextEdit>("AddressMemo")->setFocus();
    QTest::keyClicks(Find<QPlainTextEdit>("AddressMemo"), QString(100, 'a'));
    QTest::keyClick(Find<QPlainTextEdit>("AddressMemo"), Qt::Key_Return);
    QTest::keyClicks(Find<QPlainTextEdit>("AddressMemo"), QString(150, 'b'));
    EXPECT_EQ(TMainForm::StoredAddressBytes(Find<QPlainTextEdit>("AddressMemo")->toPlainText()), 240);
    EXPECT_EQ(window->AddressText(), QString(100, 'a') + "\r\n" + QString(138, 'b'));
    // A paste past the limit keeps what fits.
    Find<QPlainTextEdit>("AddressMemo")->clear();
    Find<QPlainTextEdit>("AddressMemo")->insertPlainText(QString(300, 'c'));
    EXPECT_EQ(window->AddressText(), QString(240, 'c'));

    // What fills the columns exactly is stored and found again.
    Find<QLineEdit>("NameEdit")->setText(QString(120, 'N'));
    window->SetAddressText(QString(240, 'A'));
    Find<QComboBox>("CityComboBox")->setEditText(QString(120, 'C'));
    Find<QComboBox>("StateComboBox")->setEditText(QString(120, 'S'));
    Find<QComboBox>("ZipComboBox")->setEditText("123456789");
    Find<QComboBox>("TechnicianComboBox")->setEditText(QString(120, 'T'));
    Find<QComboBox>("OperatingSystemComboBox")->setEditText(QString(120, 'O'));
    EXPECT_TRUE(window->SaveProblem());
    window->NewFileMenuClick();
    Find<QLineEdit>("NameEdit")->setText(QString(120, 'N'));
    window->SetAddressText(QString(240, 'A'));
    Find<QComboBox>("CityComboBox")->setEditText(QString(120, 'C'));
    Find<QComboBox>("StateComboBox")->setEditText(QString(120, 'S'));
    Find<QComboBox>("ZipComboBox")->setEditText("123456789");
    Find<QComboBox>("TechnicianComboBox")->setEditText("Ann");
    Find<QComboBox>("OperatingSystemComboBox")->setEditText("Debian");
    EXPECT_TRUE(window->SaveProblem());
    EXPECT_EQ(Count("Customer"), 1);
    EXPECT_EQ(Count("Problem"), 2);
}

TEST_F(Ticket, CommandErrorGoesToErrorBoxAndLoopCarriesOn)
{
    Start();
    ASSERT_TRUE(window);
    FillTicket();
    // Without the data file every statement fails.
    window->GetConnection()->Disconnect();
    Find<QPushButton>("SaveButton")->click();
    // The library's error escapes the data layer and reaches the error box.
    EXPECT_TRUE(fake->messages.isEmpty()) << fake->messages.join("|").toStdString();
    ASSERT_EQ(fake->errors.size(), 1);
    EXPECT_FALSE(fake->errors.front().isEmpty());
    ASSERT_TRUE(window->GetConnection()->Connect());
    fake->messages.clear();
    fake->errors.clear();
    Find<QAction>("SaveFileMenu")->trigger();
    EXPECT_EQ(fake->messages, QStringList{"Save Successfull!"});
    EXPECT_TRUE(fake->errors.isEmpty());
}
