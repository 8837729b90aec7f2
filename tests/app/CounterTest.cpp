// The counter's fields through the real window: contacts, job state and its
// history, promised date, device and intake, checked in the data file with
// isql, and the older program's statements on a file that has them.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Ticket.h"
#include "dialogs/CustomerListDialogUnit.h"
#include "dialogs/ListEditorUnit.h"
#include "dialogs/NotifyCustomerDialogUnit.h"
#include "dialogs/PhoneNumbersEdit.h"
#include "dialogs/ReportDates.h"
#include "tests/support/windows/ModalDriver.h"
#include "tests/support/windows/TicketWindow.h"

namespace {

void Choose(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// The ticket as the data layer reads it back, job and history included.
DBFrameWork::TicketRecord Stored(TicketWindow& desk, int32_t id)
{
    DBFrameWork::TicketRecord ticket;
    EXPECT_EQ(DBFrameWork::ReadTicket(*desk.Connection(), id, ticket), DBFrameWork::TicketRead::Found);
    EXPECT_TRUE(DBFrameWork::LoadJob(*desk.Connection(), ticket));
    return ticket;
}

}  // namespace

TEST(Counter, StateAndCompleteAgreeAndEveryChangeIsKeptWithTheDesksUser)
{
    TicketWindow desk;
    const int32_t id = desk.SaveTicket(TypedTicket());
    // A ticket saved without the counter's fields is stored as it always was.
    EXPECT_EQ(desk.CountRows("Job"), 0);
    EXPECT_EQ(desk.CountRows("JobEvent"), 0);
    EXPECT_EQ(desk.CountRows("CustomerContact"), 0);
    auto* state = desk.Find<QComboBox>("JobStateComboBox");
    auto* complete = desk.Find<QCheckBox>("CompleteCheckBox");
    EXPECT_EQ(state->currentText(), "Checked in");

    Choose(state, "Waiting for parts");
    EXPECT_FALSE(complete->isChecked());
    ASSERT_TRUE(desk.Form().SaveProblem());
    Choose(state, "Picked up");
    EXPECT_TRUE(complete->isChecked());
    EXPECT_EQ(desk.Find<QDateEdit>("CompletedDatePicker")->date(), QDate::currentDate());
    ASSERT_TRUE(desk.Form().SaveProblem());
    EXPECT_EQ(ToQDate(Stored(desk, id).Problem.Completed), QDate::currentDate());

    // Unchecking Complete takes the job back from its last state.
    complete->click();
    EXPECT_EQ(state->currentText(), "Ready for pickup");
    complete->click();
    EXPECT_EQ(state->currentText(), "Picked up");

    const DBFrameWork::TicketRecord stored = Stored(desk, id);
    EXPECT_EQ(stored.Job.State, "Picked up");
    ASSERT_EQ(stored.History.size(), 2u);
    EXPECT_EQ(stored.History[0].Detail, "Waiting for parts");
    EXPECT_EQ(stored.History[1].Detail, "Picked up");
    EXPECT_EQ(stored.History[1].User, DBFrameWork::DesktopUserName());
    EXPECT_EQ(stored.History[1].Kind, DBFrameWork::JobEventKind::State);
    auto* list = desk.Find<QTreeWidget>("JobHistoryList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(2), "Picked up");

    // Opened again: the same state, and its history read with it.
    desk.Form().NewFileMenuClick();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    ASSERT_TRUE(desk.Form().OpenStoredProblem(id));
    EXPECT_EQ(state->currentText(), "Picked up");
    EXPECT_EQ(list->topLevelItemCount(), 2);
}

TEST(Counter, ContactsDeviceAndIntakeAreStoredAndTheOlderProgramsStatementsStillWork)
{
    TicketWindow desk;
    desk.Form().NewFileMenuClick();
    desk.Fill(TypedTicket());
    auto* phones = desk.Find<TPhoneNumbersEdit>("PhoneNumbersEdit");
    phones->SetPhones({{"mobile", "+1 (555) 123-4567"}, {"work", "555 987 6543"}});
    desk.Find<QLineEdit>("EmailEdit")->setText("john@example.com");
    desk.Find<QCheckBox>("PromisedCheckBox")->setChecked(true);
    desk.Find<QDateEdit>("PromisedDatePicker")->setDate(QDate(2026, 12, 24));
    Choose(desk.Find<QComboBox>("DeviceKindComboBox"), "laptop");
    desk.Find<QLineEdit>("MakeModelEdit")->setText("ThinkPad T480");
    desk.Find<QLineEdit>("SerialEdit")->setText("SN-4471X");
    desk.Find<QLineEdit>("AccessoriesEdit")->setText("charger, bag");
    desk.Find<QPlainTextEdit>("ConditionMemo")->setPlainText("cracked hinge\nmissing F4 key");
    desk.Find<QCheckBox>("TermsAgreedCheckBox")->setChecked(true);
    ASSERT_TRUE(desk.Form().SaveProblem());
    const std::string id = std::to_string(desk.Form().GetProblemID());

    const DBFrameWork::TicketRecord stored = Stored(desk, std::stoi(id));
    EXPECT_EQ(ToQDate(stored.Job.PromisedBy), QDate(2026, 12, 24));
    EXPECT_EQ(stored.Job.Accessories, "charger, bag");
    EXPECT_TRUE(stored.Job.TermsAgreed);
    EXPECT_EQ(stored.Job.Device.Kind, "laptop");
    EXPECT_EQ(stored.Job.Device.MakeModel, "ThinkPad T480");
    EXPECT_EQ(stored.Job.Device.Serial, "SN-4471X");
    EXPECT_EQ(stored.Job.State, "") << "no state was chosen";
    ASSERT_EQ(stored.Contacts.Phones.size(), 2u);
    EXPECT_EQ(stored.Contacts.Phones[0].Number, "+1 (555) 123-4567");
    EXPECT_EQ(stored.Contacts.Phones[1].Kind, "work");
    EXPECT_EQ(stored.Contacts.Email, "john@example.com");
    EXPECT_EQ(desk.CountRows("CustomerContact WHERE ReversedDigits = '76543215551'"), 1);

    // The older program's statements on the three tables, on this file.
    desk.Execute(
        "INSERT INTO Problem (ProblemID, Technician, Assigned, Completed, BillableHours, ActualHours, Description, "
        "Resolution, Comment, CustomerID) VALUES (77, 'Ann', '2005-01-02', NULL, 1, 1, 'older desk', '', '', "
        "(SELECT MIN(CustomerID) FROM Customer))");
    desk.Execute("INSERT INTO SystemInfo (ProblemID, OperatingSystem, Description) VALUES (77, 'Windows 98', '')");
    desk.Execute("UPDATE Problem SET Technician = 'Ann', Assigned = '2004-12-25', Completed = NULL, BillableHours = 5, "
                 "ActualHours = 6, Description = 'edited by the older desk', Resolution = '', Comment = '', "
                 "CustomerID = (SELECT MIN(CustomerID) FROM Customer) WHERE ProblemID = " +
                 id);
    EXPECT_EQ(Stored(desk, std::stoi(id)).Problem.Description, "edited by the older desk");
    EXPECT_EQ(Stored(desk, std::stoi(id)).Job.Device.Serial, "SN-4471X") << "the older desk's update keeps the job";

    // Each ticket shows what it has: the older one the first state and no device.
    ASSERT_TRUE(desk.Form().OpenStoredProblem(77));
    EXPECT_EQ(desk.Find<QComboBox>("JobStateComboBox")->currentText(), "Checked in");
    EXPECT_EQ(desk.Find<QLineEdit>("SerialEdit")->text(), "");
    EXPECT_EQ(phones->Phones().size(), 2u) << "the customer's contacts come with any of its tickets";
    ASSERT_TRUE(desk.Form().OpenStoredProblem(std::stoi(id)));
    EXPECT_EQ(desk.Find<QLineEdit>("SerialEdit")->text(), "SN-4471X");
    EXPECT_EQ(desk.Find<QPlainTextEdit>("ConditionMemo")->toPlainText(), "cracked hinge\nmissing F4 key");
    EXPECT_TRUE(desk.Find<QCheckBox>("TermsAgreedCheckBox")->isChecked());
    EXPECT_EQ(desk.Find<QDateEdit>("PromisedDatePicker")->date(), QDate(2026, 12, 24));
    EXPECT_EQ(desk.Find<QLineEdit>("EmailEdit")->text(), "john@example.com");

    // Saved again unchanged: no second device, no second contact row.
    ASSERT_TRUE(desk.Form().SaveProblem());
    EXPECT_EQ(desk.CountRows("Device"), 1);
    EXPECT_EQ(desk.CountRows("CustomerContact"), 3);

    // The device comes back: a new ticket for the same customer offers it, and the customer's contacts.
    desk.Form().NewFileMenuClick();
    desk.Fill(TypedTicket());
    emit desk.Find<QLineEdit>("NameEdit")->editingFinished();
    auto* known = desk.Find<QComboBox>("KnownDevicesComboBox");
    ASSERT_EQ(known->count(), 2);
    EXPECT_EQ(phones->Phones().size(), 2u);
    Choose(known, known->itemText(1));
    EXPECT_EQ(desk.Find<QLineEdit>("SerialEdit")->text(), "SN-4471X");
    ASSERT_TRUE(desk.Form().SaveProblem());
    EXPECT_EQ(desk.CountRows("Device"), 1);
    EXPECT_EQ(Stored(desk, desk.Form().GetProblemID()).Job.Device.DeviceID,
              Stored(desk, std::stoi(id)).Job.Device.DeviceID);
}

TEST(Counter, LabelReceiptAndNoticeGoThroughTheWindowsCommands)
{
    TicketWindow desk;
    desk.Form().NewFileMenuClick();
    desk.Fill(TypedTicket());
    desk.Find<QLineEdit>("EmailEdit")->setText("john@example.com");
    desk.Find<QLineEdit>("SerialEdit")->setText("SN-9182Q");
    desk.Find<QPlainTextEdit>("ConditionMemo")->setPlainText("scratched lid");
    // Not stored yet: nothing printed, nothing sent.
    desk.Find<QAction>("PrintLabelFileMenu")->trigger();
    desk.Find<QAction>("NotifyCustomerFileMenu")->trigger();
    EXPECT_EQ(desk.fake.messages,
              QStringList({"Save the ticket before printing.", "Save the ticket before notifying the customer."}));
    ASSERT_TRUE(desk.Form().SaveProblem());
    const QString id = QString::number(desk.Form().GetProblemID());

    const std::string label = desk.Work().File("label.pdf");
    desk.fake.printAnswer = QString::fromStdString(label);
    desk.Find<QAction>("PrintLabelFileMenu")->trigger();
    std::string info;
    ASSERT_EQ(TestSupport::RunCommand("pdfinfo '" + label + "'", &info, 60), 0);
    const QString pdf = QString::fromStdString(info);
    EXPECT_TRUE(pdf.contains(QRegularExpression("^Pages:\\s+1$", QRegularExpression::MultilineOption))) << info;
    EXPECT_TRUE(pdf.contains(QRegularExpression("Page size:\\s+17[56](\\.\\d+)? x 82(\\.\\d+)? pts")))
        << "62 x 29 mm: " << info;
    std::string decoded;
    ASSERT_EQ(TestSupport::RunCommand("pdftoppm -r 300 -png -singlefile '" + label + "' '" + desk.Work().File("label") +
                                          "' && zbarimg --raw -q -Sdisable -Sqrcode.enable '" +
                                          desk.Work().File("label.png") + "'",
                                      &decoded, 60),
              0);
    EXPECT_EQ(QString::fromStdString(decoded).trimmed(), id);

    const std::string receipt = desk.Work().File("receipt.pdf");
    desk.fake.printAnswer = QString::fromStdString(receipt);
    desk.Find<QAction>("PrintIntakeReceiptFileMenu")->trigger();
    std::string text;
    ASSERT_EQ(TestSupport::RunCommand("pdftotext '" + receipt + "' -", &text, 60), 0);
    for (const char* part : {"SN-9182Q", "scratched lid", "John Smith", "john@example.com"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
    // As PDF, through the save dialog: the user's own file, with the same receipt in it.
    const std::string exported = desk.Work().File("exported receipt.pdf");
    desk.fake.QueueFile(QString::fromStdString(exported));
    desk.Find<QAction>("ExportIntakeReceiptFileMenu")->trigger();
    struct stat written {};
    ASSERT_EQ(stat(exported.c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 0777, 0600u);
    std::string exportedText;
    ASSERT_EQ(TestSupport::RunCommand("pdftotext '" + exported + "' -", &exportedText, 60), 0);
    EXPECT_NE(exportedText.find("SN-9182Q"), std::string::npos) << exportedText;

    // Open in Mail: the link with the customer's address, and the notice in the job's history.
    const bool shown = WhileShown<TNotifyCustomerDialog>(
        [&] { desk.Find<QAction>("NotifyCustomerFileMenu")->trigger(); },
        [](TNotifyCustomerDialog& dialog) {
            EXPECT_EQ(dialog.SendNoticeButton, nullptr) << "no mail server is set up";
            dialog.OpenInMailButton->click();
            dialog.CloseButton->click();
        });
    ASSERT_TRUE(shown);
    ASSERT_EQ(desk.fake.openedUrls.size(), 1);
    EXPECT_TRUE(desk.fake.openedUrls[0].startsWith("mailto:john@example.com?subject="))
        << desk.fake.openedUrls[0].toStdString();
    EXPECT_TRUE(desk.fake.openedUrls[0].contains(id));
    const std::vector<DBFrameWork::JobEventRecord> history = Stored(desk, id.toInt()).History;
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].Kind, DBFrameWork::JobEventKind::Notice);
    EXPECT_EQ(history[0].Detail, "Opened in mail for john@example.com");
    EXPECT_EQ(desk.Find<QTreeWidget>("JobHistoryList")->topLevelItemCount(), 1);
}

TEST(Counter, StatesAreTheShopsListAndTheCustomerListOpensTheNewestTicket)
{
    TicketWindow desk;
    const int32_t older = desk.SaveTicket(TypedTicket());
    DBFrameWork::TicketRecord newer = TypedTicket();
    newer.Problem.Assigned = {2005, 3, 1};
    const int32_t newest = desk.SaveTicket(newer);
    ASSERT_NE(older, newest);

    // Setup, States...: the list editor, its list kept in the settings file.
    const bool edited = WhileShown<TListEditor>([&] { desk.Find<QAction>("StatesSetupMenu")->trigger(); },
                                                [](TListEditor& dialog) {
                                                    dialog.ItemsListBox->setCurrentRow(1);
                                                    dialog.RemoveButton->click();
                                                    dialog.OKButton->click();
                                                });
    ASSERT_TRUE(edited);
    auto* state = desk.Find<QComboBox>("JobStateComboBox");
    EXPECT_EQ(state->findText("Diagnosing"), -1);
    EXPECT_EQ(state->count(), 6);
    const std::string settings = TestSupport::ReadFile(desk.Work().File("Quenbrook.ini"));
    EXPECT_NE(settings.find("[Job States]"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("Diagnosing"), std::string::npos) << settings;

    // View, Customers...: the customer's newest ticket opens in the window.
    desk.Form().NewFileMenuClick();
    const bool chosen = WhileShown<TCustomerListDialog>(
        [&] { desk.Find<QAction>("CustomersViewMenu")->trigger(); },
        [](TCustomerListDialog& dialog) { Control<QPushButton>(dialog, "OpenNewestTicketButton")->click(); });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(desk.Form().GetProblemID(), newest);
    EXPECT_FALSE(desk.Form().GetIsNewProblem());
    EXPECT_TRUE(desk.fake.errors.isEmpty()) << desk.fake.errors.join("|").toStdString();
}
