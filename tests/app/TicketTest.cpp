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
    for (const char* name :
         {"TopPanel", "ClientPanel", "NameEdit", "AddressMemo", "CityComboBox", "StateComboBox", "ZipComboBox",
          "HRSplitter1", "ProblemStatsPanel", "TechnicianComboBox", "SetupTechniciansButton", "AssignedLabel",
          "AssignmentDatePicker", "CompleteCheckBox", "CompletedDatePicker", "ActualHoursLabel", "ActualHoursEdit",
          "BillableHoursLabel", "BillableHoursEdit", "HRSplitter2", "SystemInfoPanel", "OperatingSystemComboBox",
          "SetupOperatingSystemsButton", "GroupBox1", "ImportSysInfoButton", "ViewSysInfoButton", "SaveButton",
          "CloseButton", "VRSplitter1", "ProblemPanel", "ProblemLabel", "ProblemRichEdit", "VRSplitter2",
          "ProblemSolutionsPanel", "ResolutionPageControl", "Resolution", "ResolutionRichEdit", "Comments",
          "CommentsRichEdit", "BottomStatusBar"})
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
                          {"N4", "", true},
                          {"BackupFileMenu", "&Backup...", true},
                          {"RestoreFileMenu", "&Restore...", true},
                          {"N1", "", true},
                          {"ExitFileMenu", "E&xit", true},
                          {"GeneralSetupMenu", "&General...", true},
                          {"N3", "", true},
                          {"TechniciansSetupMenu", "&Technicians...", true},
                          {"OperatingSystemsSetupMenu", "&Operating Systems...", true},
                          {"ContentsHelpMenu", "&Contents", false},
                          {"AboutHelpMenu", "&About...", true}};
    for (const Item& item : items) {
        auto* action = window->findChild<QAction*>(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), item.caption) << item.name;
        EXPECT_EQ(action->isVisible(), item.visible) << item.name;
    }
    EXPECT_EQ(window->FileMenu->title(), "&File");
    EXPECT_EQ(window->SetupMenu->title(), "&Setup");
    EXPECT_EQ(window->HelpMenu->title(), "&Help");
    EXPECT_EQ(window->FileMenu->actions().size(), 13);

    EXPECT_EQ(window->ResolutionPageControl->tabText(0), "Resolution");
    EXPECT_EQ(window->ResolutionPageControl->tabText(1), "Comments");
    EXPECT_EQ(window->GroupBox1->title(), " System Information ");
    EXPECT_EQ(window->SaveButton->text(), "&Save");
    EXPECT_EQ(window->CloseButton->text(), "&Close");
    EXPECT_FALSE(window->ProblemRichEdit->acceptRichText());
    EXPECT_TRUE(window->AssignmentDatePicker->calendarPopup());
    EXPECT_LT(window->ActualHoursEdit->minimum(), -1000000);
    EXPECT_GT(window->BillableHoursEdit->maximum(), 1000000);
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
        case 0: window->NameEdit->setText("Name"); break;
        case 1: window->SetAddressText("Address1\r\nAddress2"); break;
        case 2: window->CityComboBox->setEditText("City"); break;
        case 3: window->StateComboBox->setEditText("State"); break;
        case 4: window->ZipComboBox->setEditText("Zip"); break;
        case 5: window->TechnicianComboBox->setEditText("Technician"); break;
        case 6: window->OperatingSystemComboBox->setEditText("Operating System"); break;
        }
    };
    for (int field = 0; field < 7; ++field) {
        restoreOne(field);
        EXPECT_TRUE(window->HasPlaceholderText()) << "field " << field;
    }

    // Whole texts, byte for byte.
    FillTicket();
    for (const QString& name : {QString("name"), QString("Name "), QString(" Name")}) {
        window->NameEdit->setText(name);
        EXPECT_FALSE(window->HasPlaceholderText()) << name.toStdString();
    }
    window->SetAddressText("Address1\r\nAddress2\r\n");
    EXPECT_FALSE(window->HasPlaceholderText());
    // The form's own spelling is not the reset's placeholder.
    window->TechnicianComboBox->setEditText("Techinician");
    EXPECT_FALSE(window->HasPlaceholderText());

    // Empty is not a placeholder.
    window->NameEdit->clear();
    window->AddressMemo->clear();
    for (QComboBox* box : {window->CityComboBox, window->StateComboBox, window->ZipComboBox,
                           window->TechnicianComboBox, window->OperatingSystemComboBox})
        box->setEditText("");
    EXPECT_FALSE(window->HasPlaceholderText());
}

TEST_F(Ticket, NewResetsEveryControlAndThePage)
{
    Start();
    ASSERT_TRUE(window);
    FillTicket();
    window->AssignmentDatePicker->setDate(QDate(2004, 12, 25));
    window->CompletedDatePicker->setDate(QDate(2005, 1, 2));
    window->CompleteCheckBox->setChecked(true);
    window->ActualHoursEdit->setValue(7);
    window->BillableHoursEdit->setValue(-3);
    window->ProblemRichEdit->setPlainText("It hangs");
    window->ResolutionRichEdit->setPlainText("Rebooted");
    window->CommentsRichEdit->setPlainText("Call back");
    window->ResolutionPageControl->setCurrentWidget(window->Comments);
    ASSERT_TRUE(window->SaveProblem());
    ASSERT_FALSE(window->GetIsNewProblem());
    const int customer = window->GetCustomerID();
    const int problem = window->GetProblemID();

    window->NewFileMenu->trigger();

    EXPECT_TRUE(window->GetIsNewProblem());
    EXPECT_EQ(window->NameEdit->text(), "Name");
    EXPECT_EQ(window->AddressMemo->toPlainText(), "Address1\nAddress2");
    EXPECT_EQ(window->AddressText(), "Address1\r\nAddress2");
    EXPECT_EQ(window->CityComboBox->currentText(), "City");
    EXPECT_EQ(window->StateComboBox->currentText(), "State");
    EXPECT_EQ(window->ZipComboBox->currentText(), "Zip");
    EXPECT_EQ(window->TechnicianComboBox->currentText(), "Technician");
    EXPECT_EQ(window->OperatingSystemComboBox->currentText(), "Operating System");
    EXPECT_EQ(window->AssignmentDatePicker->date(), QDate::currentDate());
    EXPECT_EQ(window->CompletedDatePicker->date(), QDate::currentDate());
    EXPECT_FALSE(window->CompleteCheckBox->isChecked());
    EXPECT_EQ(window->ActualHoursEdit->value(), 0);
    EXPECT_EQ(window->BillableHoursEdit->value(), 0);
    EXPECT_TRUE(window->ProblemRichEdit->toPlainText().isEmpty());
    EXPECT_TRUE(window->ResolutionRichEdit->toPlainText().isEmpty());
    EXPECT_TRUE(window->CommentsRichEdit->toPlainText().isEmpty());
    EXPECT_EQ(window->ResolutionPageControl->currentWidget(), window->Resolution);
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
    ASSERT_EQ(window->TechnicianComboBox->count(), 2);
    EXPECT_EQ(window->TechnicianComboBox->itemText(0), "Ann");
    EXPECT_EQ(window->TechnicianComboBox->itemText(1), "Bob");
    // The fill after the reset keeps the reset's text in the edit field.
    EXPECT_EQ(window->TechnicianComboBox->currentText(), "Technician");
    // The series ends at the first empty entry.
    ASSERT_EQ(window->OperatingSystemComboBox->count(), 1);
    EXPECT_EQ(window->OperatingSystemComboBox->itemText(0), "Debian 12");
    EXPECT_EQ(window->OperatingSystemComboBox->currentText(), "Operating System");

    // A refill replaces the items and keeps what the user typed.
    window->TechnicianComboBox->setEditText("Typed");
    window->GetConfig()->SetTechnician(1, "Cleo");
    window->FillTechnicianList();
    ASSERT_EQ(window->TechnicianComboBox->count(), 2);
    EXPECT_EQ(window->TechnicianComboBox->itemText(0), "Cleo");
    EXPECT_EQ(window->TechnicianComboBox->currentText(), "Typed");

    // An empty settings list leaves the items alone.
    window->GetConfig()->ClearTechnicians();
    window->FillTechnicianList();
    EXPECT_EQ(window->TechnicianComboBox->count(), 2);
    EXPECT_EQ(window->TechnicianComboBox->currentText(), "Typed");

    window->GetConfig()->SetCompanyName("");
    window->UpdateCaption();
    EXPECT_EQ(window->windowTitle(), " Solution Database");
}

TEST_F(Ticket, InputStopsAtWhatTheColumnsHold)
{
    Start();
    ASSERT_TRUE(window);
    window->NameEdit->clear();
    QTest::keyClicks(window->NameEdit, QString(125, 'n'));
    EXPECT_EQ(window->NameEdit->text().size(), 120);
    // Counted in stored bytes: two-byte letters fit half as many.
    window->NameEdit->clear();
    window->NameEdit->insert(QString(60, QChar(0xe9)));
    window->NameEdit->insert(QString(1, QChar(0xe9)));
    EXPECT_EQ(window->NameEdit->text(), QString(60, QChar(0xe9)));

    window->ZipComboBox->setEditText("");
    QTest::keyClicks(window->ZipComboBox->lineEdit(), "1234567890123");
    EXPECT_EQ(window->ZipComboBox->currentText(), "123456789");
    window->OperatingSystemComboBox->setEditText("");
    QTest::keyClicks(window->OperatingSystemComboBox->lineEdit(), QString(130, 'o'));
    EXPECT_EQ(window->OperatingSystemComboBox->currentText().size(), 120);

    // The address counts each line break as the two bytes it is stored as.
    window->AddressMemo->clear();
    window->AddressMemo->setFocus();
    QTest::keyClicks(window->AddressMemo, QString(100, 'a'));
    QTest::keyClick(window->AddressMemo, Qt::Key_Return);
    QTest::keyClicks(window->AddressMemo, QString(150, 'b'));
    EXPECT_EQ(TMainForm::StoredAddressBytes(window->AddressMemo->toPlainText()), 240);
    EXPECT_EQ(window->AddressText(), QString(100, 'a') + "\r\n" + QString(138, 'b'));
    // A paste past the limit keeps what fits.
    window->AddressMemo->clear();
    window->AddressMemo->insertPlainText(QString(300, 'c'));
    EXPECT_EQ(window->AddressText(), QString(240, 'c'));

    // What fills the columns exactly is stored and found again.
    window->NameEdit->setText(QString(120, 'N'));
    window->SetAddressText(QString(240, 'A'));
    window->CityComboBox->setEditText(QString(120, 'C'));
    window->StateComboBox->setEditText(QString(120, 'S'));
    window->ZipComboBox->setEditText("123456789");
    window->TechnicianComboBox->setEditText(QString(120, 'T'));
    window->OperatingSystemComboBox->setEditText(QString(120, 'O'));
    EXPECT_TRUE(window->SaveProblem());
    window->NewFileMenuClick();
    window->NameEdit->setText(QString(120, 'N'));
    window->SetAddressText(QString(240, 'A'));
    window->CityComboBox->setEditText(QString(120, 'C'));
    window->StateComboBox->setEditText(QString(120, 'S'));
    window->ZipComboBox->setEditText("123456789");
    window->TechnicianComboBox->setEditText("Ann");
    window->OperatingSystemComboBox->setEditText("Debian");
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
    window->SaveButton->click();
    // The library's error escapes the data layer and reaches the error box.
    EXPECT_TRUE(fake->messages.isEmpty()) << fake->messages.join("|").toStdString();
    ASSERT_EQ(fake->errors.size(), 1);
    EXPECT_FALSE(fake->errors.front().isEmpty());
    ASSERT_TRUE(window->GetConnection()->Connect());
    fake->messages.clear();
    fake->errors.clear();
    window->SaveFileMenu->trigger();
    EXPECT_EQ(fake->messages, QStringList{"Save Successfull!"});
    EXPECT_TRUE(fake->errors.isEmpty());
}
