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
#include "tests/support/windows/TicketWindow.h"

namespace {

TicketFields FullTicket()
{
    TicketFields ticket;
    ticket.name = "Harriet Vane";
    ticket.address = "4 Mecklenburgh Sq\nBloomsbury";
    ticket.city = "London";
    ticket.state = "LN";
    ticket.zip = "WC1N2AD";
    ticket.technician = "Peter";
    ticket.assigned = QDate(2004, 3, 9);
    ticket.completed = QDate(2004, 11, 30);
    ticket.actualHours = 7;
    ticket.billableHours = 5;
    ticket.problem = "Laptop will not wake\nfrom sleep";
    ticket.resolution = "Updated the BIOS";
    ticket.comment = "Warranty repair";
    ticket.operatingSystem = "Windows ME";
    ticket.report = "<html><body>\nDisk C: 20 GB\n</body></html>\n";
    return ticket;
}

TicketFields OtherTicket()
{
    TicketFields ticket;
    ticket.name = "Ernest Otter";
    ticket.address = "9 River Bank";
    ticket.city = "Toad Hall";
    ticket.state = "TH";
    ticket.zip = "99999";
    ticket.technician = "Mole";
    ticket.problem = "Boat engine";
    ticket.resolution = "Other resolution";
    ticket.comment = "Other comment";
    ticket.operatingSystem = "Windows 98";
    ticket.report = "<html>other report</html>\n";
    return ticket;
}

void ExpectShows(TMainForm& form, const TicketFields& ticket)
{
    EXPECT_EQ(form.NameEdit->text(), ticket.name);
    EXPECT_EQ(form.AddressMemo->toPlainText(), ticket.address);
    EXPECT_EQ(form.CityComboBox->currentText(), ticket.city);
    EXPECT_EQ(form.StateComboBox->currentText(), ticket.state);
    EXPECT_EQ(form.ZipComboBox->currentText(), ticket.zip);
    EXPECT_EQ(form.TechnicianComboBox->currentText(), ticket.technician);
    EXPECT_EQ(form.AssignmentDatePicker->date(), ticket.assigned);
    EXPECT_EQ(form.CompleteCheckBox->isChecked(), ticket.completed.isValid());
    if (ticket.completed.isValid()) {
        EXPECT_EQ(form.CompletedDatePicker->date(), ticket.completed);
    }
    EXPECT_EQ(form.ActualHoursEdit->value(), ticket.actualHours);
    EXPECT_EQ(form.BillableHoursEdit->value(), ticket.billableHours);
    EXPECT_EQ(form.ProblemRichEdit->toPlainText(), ticket.problem);
    EXPECT_EQ(form.ResolutionRichEdit->toPlainText(), ticket.resolution);
    EXPECT_EQ(form.CommentsRichEdit->toPlainText(), ticket.comment);
    EXPECT_EQ(form.OperatingSystemComboBox->currentText(), ticket.operatingSystem);
    EXPECT_EQ(form.GetSystemInfoText(), ticket.report);
}

class OpenTicketTest : public ::testing::Test {
protected:
    TicketWindow window;
};

TEST_F(OpenTicketTest, openingFillsEveryFieldAndMarksTheTicketStored)
{
    const TicketFields full = FullTicket();
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

    window.Form().ResolutionRichEdit->setPlainText("Replaced the motherboard");
    window.Form().TechnicianComboBox->setEditText("Bunter");
    ASSERT_TRUE(window.Form().SaveProblem());
    EXPECT_EQ(window.CountRows("Problem"), 2);
    EXPECT_EQ(window.CountRows("Customer"), 2);
    EXPECT_EQ(window.CountRows("SystemInfo"), 2);
    DBFrameWork::Problem stored(window.Connection());
    ASSERT_TRUE(stored.Select({std::to_string(fullID)}));
    EXPECT_EQ(stored.GetValues()[1], "Bunter");
    EXPECT_EQ(stored.GetValues()[7], "Replaced the motherboard");
    EXPECT_EQ(window.StoredReport(fullID), FullTicket().report);
}

TEST_F(OpenTicketTest, nothingOfThePreviousTicketSurvivesAnOpen)
{
    TicketFields sparse;
    sparse.name = "Sparse Sam";
    sparse.address = "";
    sparse.city = "";
    sparse.state = "";
    sparse.zip = "";
    sparse.technician = "";
    sparse.actualHours = 0;
    sparse.billableHours = 0;
    sparse.resolution = "";
    sparse.comment = "";
    sparse.operatingSystem = "";
    const int32_t sparseID = window.SaveTicket(sparse);
    window.SaveTicket(OtherTicket());
    ASSERT_EQ(window.Form().GetSystemInfoText(), OtherTicket().report);

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
    TicketFields typed = OtherTicket();
    typed.report.clear();
    window.Fill(typed);

    window.Open([](TOpenProblemDialog& dialog) {
        SearchCustomer(dialog, "harriet");
        dialog.OKButton->click();
    });
    EXPECT_TRUE(window.Form().GetIsNewProblem());
    EXPECT_EQ(window.Form().NameEdit->text(), typed.name);

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
    EXPECT_EQ(window.Form().NameEdit->text(), OtherTicket().name);
}

TEST_F(OpenTicketTest, ticketWithoutSystemInformationShowsTheMismatchAfterLoadingItsFields)
{
    TicketFields full = FullTicket();
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
    EXPECT_EQ(window.Form().NameEdit->text(), full.name);
    EXPECT_EQ(window.Form().ProblemRichEdit->toPlainText(), full.problem);
    EXPECT_EQ(window.Form().GetProblemID(), fullID);
    EXPECT_FALSE(window.Form().GetIsNewProblem()) << "the flag keeps its value before the command";
    EXPECT_EQ(window.Form().GetSystemInfoText(), "") << "the other ticket's report is gone";

    // Its later save updates the ticket in place.
    window.Form().ResolutionRichEdit->setPlainText("Found it");
    ASSERT_TRUE(window.Form().SaveProblem());
    EXPECT_EQ(window.CountRows("Problem"), 2);
    DBFrameWork::Problem stored(window.Connection());
    ASSERT_TRUE(stored.Select({std::to_string(fullID)}));
    EXPECT_EQ(stored.GetValues()[7], "Found it");
}

TEST_F(OpenTicketTest, openingByKeyShowsExactlyThatTicketAndAMissingKeyChangesNothing)
{
    const TicketFields full = FullTicket();
    const int32_t fullID = window.SaveTicket(full);
    const int32_t otherID = window.SaveTicket(OtherTicket());
    ASSERT_NE(fullID, otherID);

    ASSERT_TRUE(window.Form().OpenStoredProblem(fullID));
    ExpectShows(window.Form(), full);
    EXPECT_EQ(window.Form().GetProblemID(), fullID);
    EXPECT_FALSE(window.Form().GetIsNewProblem());

    EXPECT_FALSE(window.Form().OpenStoredProblem(otherID + 1000));
    EXPECT_EQ(window.Form().GetProblemID(), fullID) << "a key with no ticket leaves the ticket shown";
    EXPECT_EQ(window.Form().NameEdit->text(), full.name);
}

TEST_F(OpenTicketTest, loadersIgnoreListsOfTheWrongLength)
{
    window.SaveTicket(FullTicket());
    const QString name = window.Form().NameEdit->text();
    window.Form().LoadCustomer({"77", "Somebody", "", "", ""});
    window.Form().LoadProblem({"1", "x"});
    window.Form().LoadSystemInfo({"99999", "os"});
    EXPECT_EQ(window.Form().NameEdit->text(), name);
    EXPECT_NE(window.Form().GetCustomerID(), 77);
    EXPECT_THROW(window.Form().LoadSystemInfo({"99999", "os", "report"}), ApplicationError);
}

}  // namespace
