// Opening a stored ticket into the window, and what a later Save does with it.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_Problem.h"
#include "dialogs/ReportDates.h"
#include "tests/support/windows/TicketWindow.h"

using DBFrameWork::TicketRecord;

namespace {

TicketRecord FullTicket()
{
    TicketRecord ticket = TypedTicket();
    ticket.Customer = {0, "Harriet Vane", "4 Mecklenburgh Sq\r\nBloomsbury", "London", "LN", "WC1N2AD"};
    ticket.Problem.Technician = "Peter";
    ticket.Problem.Assigned = {2004, 3, 9};
    ticket.Problem.Completed = {2004, 11, 30};
    ticket.Problem.ActualHours = 7;
    ticket.Problem.BillableHours = 5;
    ticket.Problem.Description = "Laptop will not wake\nfrom sleep";
    ticket.Problem.Resolution = "Updated the BIOS";
    ticket.Problem.Comment = "Warranty repair";
    ticket.SystemInfo.OperatingSystem = "Windows ME";
    ticket.SystemInfo.Report = "<html><body>\nDisk C: 20 GB\n</body></html>\n";
    return ticket;
}

TicketRecord OtherTicket()
{
    TicketRecord ticket = TypedTicket();
    ticket.Customer = {0, "Ernest Otter", "9 River Bank", "Toad Hall", "TH", "99999"};
    ticket.Problem.Technician = "Mole";
    ticket.Problem.Description = "Boat engine";
    ticket.Problem.Resolution = "Other resolution";
    ticket.Problem.Comment = "Other comment";
    ticket.SystemInfo.OperatingSystem = "Windows 98";
    ticket.SystemInfo.Report = "<html>other report</html>\n";
    return ticket;
}

QString Text(const std::string& field)
{
    return QString::fromStdString(field);
}

void ExpectShows(TMainForm& form, const TicketRecord& ticket)
{
    const DBFrameWork::CustomerRecord& customer = ticket.Customer;
    const DBFrameWork::ProblemRecord& problem = ticket.Problem;
    EXPECT_EQ(Control<QLineEdit>(form, "NameEdit")->text(), Text(customer.Name));
    EXPECT_EQ(Control<QPlainTextEdit>(form, "AddressMemo")->toPlainText(), MemoText(customer.Address));
    EXPECT_EQ(Control<QComboBox>(form, "CityComboBox")->currentText(), Text(customer.City));
    EXPECT_EQ(Control<QComboBox>(form, "StateComboBox")->currentText(), Text(customer.State));
    EXPECT_EQ(Control<QComboBox>(form, "ZipComboBox")->currentText(), Text(customer.Zip));
    EXPECT_EQ(Control<QComboBox>(form, "TechnicianComboBox")->currentText(), Text(problem.Technician));
    EXPECT_EQ(Control<QDateEdit>(form, "AssignmentDatePicker")->date(), ToQDate(problem.Assigned));
    EXPECT_EQ(Control<QCheckBox>(form, "CompleteCheckBox")->isChecked(), problem.Completed.IsSet());
    if (problem.Completed.IsSet()) {
        EXPECT_EQ(Control<QDateEdit>(form, "CompletedDatePicker")->date(), ToQDate(problem.Completed));
    }
    EXPECT_EQ(Control<QSpinBox>(form, "ActualHoursEdit")->value(), problem.ActualHours);
    EXPECT_EQ(Control<QSpinBox>(form, "BillableHoursEdit")->value(), problem.BillableHours);
    EXPECT_EQ(Control<QTextEdit>(form, "ProblemRichEdit")->toPlainText(), Text(problem.Description));
    EXPECT_EQ(Control<QTextEdit>(form, "ResolutionRichEdit")->toPlainText(), Text(problem.Resolution));
    EXPECT_EQ(Control<QTextEdit>(form, "CommentsRichEdit")->toPlainText(), Text(problem.Comment));
    EXPECT_EQ(Control<QComboBox>(form, "OperatingSystemComboBox")->currentText(),
              Text(ticket.SystemInfo.OperatingSystem));
    EXPECT_EQ(form.GetSystemInfoText(), ticket.SystemInfo.Report);
}

class OpenTicketTest : public ::testing::Test {
protected:
    TicketWindow window;
};

TEST_F(OpenTicketTest, openingFillsEveryFieldAndMarksTheTicketStored)
{
    const TicketRecord full = FullTicket();
    const int32_t fullID = window.SaveTicket(full);
    const int32_t fullCustomer = window.Form().GetCustomerID();
    window.SaveTicket(OtherTicket());
    window.Form().NewFileMenuClick();
    ASSERT_TRUE(window.Form().GetIsNewProblem());

    window.OpenByName("harriet");
    EXPECT_TRUE(window.fake.errors.isEmpty()) << window.fake.errors.join("; ").toStdString();
    EXPECT_TRUE(window.fake.messages.isEmpty());
    ExpectShows(window.Form(), full);
    EXPECT_EQ(window.Form().GetProblemID(), fullID);
    EXPECT_EQ(window.Form().GetCustomerID(), fullCustomer);
    EXPECT_FALSE(window.Form().GetIsNewProblem());
}

TEST_F(OpenTicketTest, saveAfterOpeningUpdatesTheSameRows)
{
    const int32_t fullID = window.SaveTicket(FullTicket());
    window.SaveTicket(OtherTicket());
    window.OpenByName("Harriet");
    ASSERT_EQ(window.Form().GetProblemID(), fullID);

    window.Find<QTextEdit>("ResolutionRichEdit")->setPlainText("Replaced the motherboard");
    window.Find<QComboBox>("TechnicianComboBox")->setEditText("Bunter");
    ASSERT_TRUE(window.Form().SaveProblem());
    EXPECT_EQ(window.CountRows("Problem"), 2);
    EXPECT_EQ(window.CountRows("Customer"), 2);
    EXPECT_EQ(window.CountRows("SystemInfo"), 2);
    DBFrameWork::Problem stored(window.Connection());
    ASSERT_TRUE(stored.Select({std::to_string(fullID)}));
    EXPECT_EQ(stored.GetValues()[1], "Bunter");
    EXPECT_EQ(stored.GetValues()[7], "Replaced the motherboard");
    EXPECT_EQ(window.StoredReport(fullID), FullTicket().SystemInfo.Report);
}

TEST_F(OpenTicketTest, nothingOfThePreviousTicketSurvivesAnOpen)
{
    TicketRecord sparse = TypedTicket();
    sparse.Customer = {0, "Sparse Sam", "", "", "", ""};
    sparse.Problem.Technician = "";
    sparse.Problem.ActualHours = 0;
    sparse.Problem.BillableHours = 0;
    sparse.Problem.Resolution = "";
    sparse.Problem.Comment = "";
    sparse.SystemInfo.OperatingSystem = "";
    const int32_t sparseID = window.SaveTicket(sparse);
    window.SaveTicket(OtherTicket());
    ASSERT_EQ(window.Form().GetSystemInfoText(), OtherTicket().SystemInfo.Report);

    window.OpenByName("Sparse");
    ASSERT_EQ(window.Form().GetProblemID(), sparseID);
    ExpectShows(window.Form(), sparse);
    EXPECT_FALSE(window.Form().HasPlaceholderText());

    // Saving the untouched ticket stores nothing of the other one.
    ASSERT_TRUE(window.Form().SaveProblem());
    DBFrameWork::Problem stored(window.Connection());
    ASSERT_TRUE(stored.Select({std::to_string(sparseID)}));
    EXPECT_EQ(stored.GetValues()[7], "");
    EXPECT_EQ(stored.GetValues()[8], "");
    EXPECT_EQ(window.StoredReport(sparseID), "");
}

TEST_F(OpenTicketTest, okWithoutAChosenTicketChangesNothing)
{
    window.SaveTicket(FullTicket());
    window.Form().NewFileMenuClick();
    TicketRecord typed = OtherTicket();
    typed.SystemInfo.Report.clear();
    window.Fill(typed);

    window.Open([](TOpenProblemDialog& dialog) {
        SearchCustomer(dialog, "harriet");
        dialog.OKButton->click();
    });
    EXPECT_TRUE(window.Form().GetIsNewProblem());
    EXPECT_EQ(window.Find<QLineEdit>("NameEdit")->text(), Text(typed.Customer.Name));

    ASSERT_TRUE(window.Form().SaveProblem());
    EXPECT_EQ(window.CountRows("Problem"), 2) << "the typed ticket is inserted, not lost";
}

TEST_F(OpenTicketTest, cancelChangesNothing)
{
    window.SaveTicket(FullTicket());
    window.Form().NewFileMenuClick();
    window.Fill(OtherTicket());
    window.Open([](TOpenProblemDialog& dialog) {
        SearchCustomer(dialog, "harriet");
        ClickRow(dialog, 1);
        dialog.CancelButton->click();
    });
    EXPECT_TRUE(window.Form().GetIsNewProblem());
    EXPECT_EQ(window.Find<QLineEdit>("NameEdit")->text(), Text(OtherTicket().Customer.Name));
}

TEST_F(OpenTicketTest, ticketWithoutSystemInformationShowsTheMismatchAfterLoadingItsFields)
{
    TicketRecord full = FullTicket();
    const int32_t fullID = window.SaveTicket(full);
    window.SaveTicket(OtherTicket());
    window.Execute("DELETE FROM SystemInfo WHERE ProblemID = " + std::to_string(fullID));
    ASSERT_FALSE(window.Form().GetIsNewProblem());

    window.Open([](TOpenProblemDialog& dialog) {
        SearchDescription(dialog, "laptop");
        ClickRow(dialog, 1);
        dialog.OKButton->click();
    });
    EXPECT_EQ(window.fake.errors, QStringList({"System Information doesn't match problem!"}));
    EXPECT_EQ(window.Find<QLineEdit>("NameEdit")->text(), Text(full.Customer.Name));
    EXPECT_EQ(window.Find<QTextEdit>("ProblemRichEdit")->toPlainText(), Text(full.Problem.Description));
    EXPECT_EQ(window.Form().GetProblemID(), fullID);
    EXPECT_FALSE(window.Form().GetIsNewProblem()) << "the flag keeps its value before the command";
    EXPECT_EQ(window.Form().GetSystemInfoText(), "") << "the other ticket's report is gone";

    // Its later save updates the ticket in place.
    window.Find<QTextEdit>("ResolutionRichEdit")->setPlainText("Found it");
    ASSERT_TRUE(window.Form().SaveProblem());
    EXPECT_EQ(window.CountRows("Problem"), 2);
    DBFrameWork::Problem stored(window.Connection());
    ASSERT_TRUE(stored.Select({std::to_string(fullID)}));
    EXPECT_EQ(stored.GetValues()[7], "Found it");
}

TEST_F(OpenTicketTest, openingByKeyShowsExactlyThatTicketAndAMissingKeyChangesNothing)
{
    const TicketRecord full = FullTicket();
    const int32_t fullID = window.SaveTicket(full);
    const int32_t otherID = window.SaveTicket(OtherTicket());
    ASSERT_NE(fullID, otherID);

    ASSERT_TRUE(window.Form().OpenStoredProblem(fullID));
    ExpectShows(window.Form(), full);
    EXPECT_EQ(window.Form().GetProblemID(), fullID);
    EXPECT_FALSE(window.Form().GetIsNewProblem());

    EXPECT_FALSE(window.Form().OpenStoredProblem(otherID + 1000));
    EXPECT_EQ(window.Form().GetProblemID(), fullID) << "a key with no ticket leaves the ticket shown";
    EXPECT_EQ(window.Find<QLineEdit>("NameEdit")->text(), Text(full.Customer.Name));
}

TEST_F(OpenTicketTest, loadersIgnoreListsOfTheWrongLength)
{
    window.SaveTicket(FullTicket());
    const QString name = window.Find<QLineEdit>("NameEdit")->text();
    window.Form().LoadCustomer({"77", "Somebody", "", "", ""});
    window.Form().LoadProblem({"1", "x"});
    window.Form().LoadSystemInfo({"99999", "os"});
    EXPECT_EQ(window.Find<QLineEdit>("NameEdit")->text(), name);
    EXPECT_NE(window.Form().GetCustomerID(), 77);
    EXPECT_THROW(window.Form().LoadSystemInfo({"99999", "os", "report"}), ApplicationError);
}

}  // namespace
