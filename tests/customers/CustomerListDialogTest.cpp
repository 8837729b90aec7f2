// The customer list over a real data file: found as the user types, edited
// for every ticket of the customer, and its newest ticket handed to the caller.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_Ticket.h"
#include "dbframework/DBFrameWork_TicketStore.h"
#include "dialogs/CustomerListDialogUnit.h"
#include "dialogs/ReportDates.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/windows/FakeInteraction.h"

// Failures show the texts, not their bytes.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using DBFrameWork::ContactsRecord;
using DBFrameWork::CustomerRecord;
using Lines = std::vector<std::string>;

const QString SaveQuestion = "Save the changes to this customer?";

struct Stored {
    int32_t CustomerID = 0;
    std::vector<int32_t> Tickets;
};

class CustomerListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string failed;
        ASSERT_EQ(DBFrameWork::LayOutSchema(db.Connection(), failed), DBFrameWork::SchemaOutcome::Completed) << failed;
        harriet = Save({0, "Harriet Okafor", "12 Elm St\r\nApt 4", "Springfield", "IL", "62701"},
                       {{2023, 5, 1}, {2024, 2, 10}, {2022, 11, 30}},
                       {{{"mobile", "555-867-5309"}, {"work", "(555) 400-7000"}}, "harriet@example.org"});
        bram = Save({0, "Bram Okonkwo", "3 Oak Ave", "Shelbyville", "IL", "62565"}, {{2024, 1, 5}},
                    {{{"home", "555 222 1234"}}, "bram@oko.net"});
        DBFrameWork::Customer table(&db.Connection());
        const CustomerRecord carla{table.GetGenerator("CustomerIDValue", 1), "Carla Mendes", "", "Ogdenville", "", ""};
        table.SetValues(DBFrameWork::ValuesOf(carla));
        ASSERT_TRUE(table.Insert());
        carlaId = carla.CustomerID;
    }

    Stored Save(CustomerRecord customer, const std::vector<DBFrameWork::CalendarDate>& visits,
                const ContactsRecord& contacts)
    {
        Stored stored;
        DBFrameWork::TicketStore store("tester");
        for (const DBFrameWork::CalendarDate& visit : visits) {
            DBFrameWork::TicketRecord ticket;
            ticket.Customer = customer;
            ticket.Problem.Assigned = visit;
            ticket.Problem.Technician = "Ann";
            ticket.Problem.Description = "Visit";
            ticket.SystemInfo.OperatingSystem = "Windows 11";
            EXPECT_TRUE(store.Save(db.Connection(), ticket, true));
            stored.CustomerID = ticket.Customer.CustomerID;
            stored.Tickets.push_back(ticket.Problem.ProblemID);
        }
        EXPECT_TRUE(DBFrameWork::StoreContacts(db.Connection(), stored.CustomerID, contacts));
        return stored;
    }

    std::unique_ptr<TCustomerListDialog> Open()
    {
        auto dialog = std::make_unique<TCustomerListDialog>(nullptr, &db.Connection());
        dialog->show();
        return dialog;
    }

    // Types into the search line as a person would, and waits for the list it reads.
    static void Type(TCustomerListDialog& dialog, const QString& text)
    {
        auto* search = Control<QLineEdit>(dialog, "CustomerSearchEdit");
        search->selectAll();
        if (text.isEmpty())
            search->del();
        else
            QTest::keyClicks(search, text);
        QElapsedTimer waited;
        waited.start();
        while (dialog.findChild<QTimer*>("CustomerSearchTimer")->isActive() && waited.elapsed() < 5000)
            QTest::qWait(10);
    }

    static QStringList Column(TCustomerListDialog& dialog, int column)
    {
        QAbstractItemModel* model = Control<QTableView>(dialog, "CustomerListView")->model();
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
    }

    // The object names of what Tab reaches from the search line, once round.
    static QStringList TabOrder(TCustomerListDialog& dialog)
    {
        QWidget* first = Control<QLineEdit>(dialog, "CustomerSearchEdit");
        QStringList names = {first->objectName()};
        for (QWidget* next = first->nextInFocusChain(); next != first && names.size() < 100;
             next = next->nextInFocusChain())
            if ((next->focusPolicy() & Qt::TabFocus) && next->window() == &dialog)
                names << next->objectName();
        names << first->objectName();
        return names;
    }

    static void Choose(TCustomerListDialog& dialog, const QString& name)
    {
        auto* view = Control<QTableView>(dialog, "CustomerListView");
        const int row = static_cast<int>(Column(dialog, 0).indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        view->setCurrentIndex(view->model()->index(row, 0));
    }

    // Replaces a line edit's text by typing, so that it counts as the user's edit.
    static void Retype(TCustomerListDialog& dialog, const char* name, const QString& text)
    {
        auto* edit = Control<QLineEdit>(dialog, name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    std::string StoredAddress(int32_t problemId)
    {
        DBFrameWork::TicketRecord ticket;
        EXPECT_EQ(DBFrameWork::ReadTicket(db.Connection(), problemId, ticket), DBFrameWork::TicketRead::Found);
        return ticket.Customer.Address + " | " + ticket.Customer.City;
    }

    Lines StoredContacts(int32_t customerId)
    {
        return db.Query("SELECT Kind || ' ' || Contact FROM CustomerContact WHERE CustomerID = " +
                        std::to_string(customerId) + " ORDER BY Kind, Contact;");
    }

    TestDatabase db{false};
    FakeInteraction fake;
    Stored harriet, bram;
    int32_t carlaId = 0;
};

}  // namespace

TEST_F(CustomerListTest, TypingANamePartPhoneDigitsOrEmailPartListsOnlyThatCustomerWithItsVisits)
{
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Customers");
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Bram Okonkwo", "Carla Mendes", "Harriet Okafor"}));
    EXPECT_EQ(Column(*dialog, 1),
              QStringList({"555 222 1234 (home)", "", "555-867-5309 (mobile), (555) 400-7000 (work)"}));
    EXPECT_EQ(Column(*dialog, 2), QStringList({"bram@oko.net", "", "harriet@example.org"}));
    EXPECT_EQ(Column(*dialog, 3), QStringList({"Shelbyville", "Ogdenville", "Springfield"}));
    EXPECT_EQ(Column(*dialog, 4), QStringList({"1", "0", "3"}));
    // The last visit is the latest assignment, not the ticket saved last.
    EXPECT_EQ(Column(*dialog, 5),
              QStringList({ShortDateText(QDate(2024, 1, 5)), "", ShortDateText(QDate(2024, 2, 10))}));

    auto* search = Control<QLineEdit>(*dialog, "CustomerSearchEdit");
    QTest::keyClicks(search, "okaf");
    // Typing reads nothing until the pause.
    EXPECT_EQ(Column(*dialog, 0).size(), 3);
    Type(*dialog, "okaf");
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Harriet Okafor"}));
    Type(*dialog, "5309");
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Harriet Okafor"}));
    Type(*dialog, "1234");
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Bram Okonkwo"}));
    Type(*dialog, "oko.net");
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Bram Okonkwo"}));
    Type(*dialog, "EXAMPLE.org");
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Harriet Okafor"}));
    // The one found is shown at once.
    EXPECT_EQ(Control<QLineEdit>(*dialog, "CustomerNameEdit")->text(), "Harriet Okafor");
    EXPECT_EQ(Control<QPlainTextEdit>(*dialog, "CustomerAddressMemo")->toPlainText(), "12 Elm St\nApt 4");
    EXPECT_EQ(Control<QLineEdit>(*dialog, "PhoneNumberEdit2")->text(), "(555) 400-7000");
    EXPECT_EQ(Control<QLineEdit>(*dialog, "CustomerEmailEdit")->text(), "harriet@example.org");
    EXPECT_FALSE(Control<QPushButton>(*dialog, "SaveCustomerButton")->isEnabled());

    // An engine error leaves the list as it was and says so.
    ASSERT_TRUE(db.Connection().Disconnect());
    Type(*dialog, "Bram");
    EXPECT_EQ(fake.errors, QStringList({"Error reading Data File (" + QString::fromStdString(db.Path()) + ")!"}));
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Harriet Okafor"}));
    ASSERT_TRUE(db.Connection().Connect());
    Type(*dialog, "Bram ");
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Bram Okonkwo"}));

    // Tab goes down the details, through the phone rows, also one that typing added.
    QStringList expected = {"CustomerSearchEdit", "CustomerListView",   "CustomerNameEdit", "CustomerAddressMemo",
                            "CustomerCityEdit",   "CustomerStateEdit",  "CustomerZipEdit",  "PhoneKindComboBox1",
                            "PhoneNumberEdit1",   "PhoneKindComboBox2", "PhoneNumberEdit2"};
    EXPECT_EQ(TabOrder(*dialog).mid(0, expected.size() + 1), expected + QStringList({"CustomerEmailEdit"}));
    Retype(*dialog, "PhoneNumberEdit2", "555-1");
    expected << "PhoneKindComboBox3"
             << "PhoneNumberEdit3"
             << "CustomerEmailEdit"
             << "SaveCustomerButton"
             << "OpenNewestTicketButton"
             << "CloseButton"
             << "CustomerSearchEdit";
    EXPECT_EQ(TabOrder(*dialog), expected);
}

TEST_F(CustomerListTest, ASavedMoveAndNumberReachEveryTicketOfTheCustomerAndAFailedSaveKeepsTheEdits)
{
    auto dialog = Open();
    Choose(*dialog, "Harriet Okafor");
    auto* save = Control<QPushButton>(*dialog, "SaveCustomerButton");
    Control<QPlainTextEdit>(*dialog, "CustomerAddressMemo")->setPlainText("9 New Road\nFlat 3");
    Retype(*dialog, "PhoneNumberEdit1", "555-000-1111");
    Retype(*dialog, "CustomerCityEdit", "Capital City");
    ASSERT_TRUE(save->isEnabled());
    save->click();
    EXPECT_EQ(fake.errors, QStringList());
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(dialog->HasUnsavedEdits());
    for (const int32_t ticket : harriet.Tickets)
        EXPECT_EQ(StoredAddress(ticket), "9 New Road\r\nFlat 3 | Capital City") << ticket;
    EXPECT_EQ(StoredAddress(bram.Tickets.front()), "3 Oak Ave | Shelbyville");
    EXPECT_EQ(StoredContacts(harriet.CustomerID),
              Lines({"email harriet@example.org", "mobile 555-000-1111", "work (555) 400-7000"}));
    EXPECT_EQ(StoredContacts(bram.CustomerID), Lines({"email bram@oko.net", "home 555 222 1234"}));
    // The list shows what was saved, and the search finds the new number only.
    EXPECT_TRUE(Column(*dialog, 1).contains("555-000-1111 (mobile), (555) 400-7000 (work)"));
    Type(*dialog, "5309");
    EXPECT_EQ(Column(*dialog, 0), QStringList());
    Type(*dialog, "1111");
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Harriet Okafor"}));

    // A file that takes no writes: the error box, and the edits wait to be saved.
    db.Connection().RefuseWrites();
    Retype(*dialog, "CustomerZipEdit", "99999");
    Retype(*dialog, "CustomerEmailEdit", "new@example.org");
    save->click();
    EXPECT_EQ(fake.errors, QStringList({"The customer could not be saved."}));
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(dialog->HasUnsavedEdits());
    EXPECT_EQ(Control<QLineEdit>(*dialog, "CustomerZipEdit")->text(), "99999");
    EXPECT_EQ(db.Query("SELECT Zip FROM Customer WHERE CustomerID = " + std::to_string(harriet.CustomerID) + ";"),
              Lines({"62701"}));
    EXPECT_EQ(StoredContacts(harriet.CustomerID).front(), "email harriet@example.org");

    // Leaving with Yes tries the save again; when it fails the customer stays chosen.
    fake.confirmAnswer = true;
    Choose(*dialog, "Harriet Okafor");
    Type(*dialog, "");
    EXPECT_EQ(fake.questions, QStringList({SaveQuestion}));
    EXPECT_EQ(fake.errors.size(), 2);
    EXPECT_EQ(Column(*dialog, 0), QStringList({"Harriet Okafor"}));
    dialog->reject();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(fake.questions.size(), 2);
}

TEST_F(CustomerListTest, UnsavedEditsAreAskedAboutAndOpenNewestTicketAnswersTheLatestVisit)
{
    auto dialog = Open();
    auto* newest = Control<QPushButton>(*dialog, "OpenNewestTicketButton");
    auto* view = Control<QTableView>(*dialog, "CustomerListView");
    Choose(*dialog, "Carla Mendes");
    EXPECT_FALSE(newest->isEnabled());
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());

    // No: the edit is given up and the other customer is shown.
    Choose(*dialog, "Harriet Okafor");
    Retype(*dialog, "CustomerNameEdit", "Harriet Okafor-Lee");
    Choose(*dialog, "Bram Okonkwo");
    EXPECT_EQ(fake.questions, QStringList({SaveQuestion}));
    EXPECT_EQ(Control<QLineEdit>(*dialog, "CustomerNameEdit")->text(), "Bram Okonkwo");
    EXPECT_EQ(db.Query("SELECT Name FROM Customer WHERE CustomerID = " + std::to_string(harriet.CustomerID) + ";"),
              Lines({"Harriet Okafor"}));

    // Yes: saved before the other customer is shown.
    fake.confirmAnswer = true;
    Retype(*dialog, "CustomerZipEdit", "62566");
    Choose(*dialog, "Harriet Okafor");
    EXPECT_EQ(fake.questions.size(), 2);
    EXPECT_EQ(db.Query("SELECT Zip FROM Customer WHERE CustomerID = " + std::to_string(bram.CustomerID) + ";"),
              Lines({"62566"}));
    EXPECT_EQ(Control<QLineEdit>(*dialog, "CustomerNameEdit")->text(), "Harriet Okafor");

    // Closing asks too; without edits nothing is asked.
    Retype(*dialog, "CustomerStateEdit", "WI");
    fake.confirmAnswer = false;
    Control<QPushButton>(*dialog, "CloseButton")->click();
    EXPECT_EQ(fake.questions.size(), 3);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->ChosenProblemID(), 0);

    // Newest by assignment: the second ticket saved, not the last one.
    dialog = Open();
    Choose(*dialog, "Harriet Okafor");
    newest = Control<QPushButton>(*dialog, "OpenNewestTicketButton");
    ASSERT_TRUE(newest->isEnabled());
    newest->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->ChosenProblemID(), harriet.Tickets[1]);
    dialog = Open();
    Choose(*dialog, "Bram Okonkwo");
    QTest::keyClick(Control<QTableView>(*dialog, "CustomerListView"), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->ChosenProblemID(), bram.Tickets.front());
    EXPECT_EQ(fake.questions.size(), 3);
}
