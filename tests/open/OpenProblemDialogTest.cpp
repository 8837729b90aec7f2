// The two searches of the open dialog and the choice of a hit, on tickets
// stored through the window.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "tests/support/windows/TicketWindow.h"

using TestSupport::DebugCapture;

namespace {

DBFrameWork::TicketRecord Ticket(const std::string& name, const std::string& problem)
{
    DBFrameWork::TicketRecord ticket = TypedTicket();
    ticket.Customer.Name = name;
    ticket.Problem.Description = problem;
    return ticket;
}

QStringList Row(TOpenProblemDialog& dialog, int row)
{
    QStringList texts;
    for (int column = 0; column < dialog.SearchResultsStringGrid->columnCount(); ++column)
        texts << Cell(dialog, row, column);
    return texts;
}

QStringList Names(TOpenProblemDialog& dialog)
{
    QStringList names;
    for (const auto& hit : dialog.GetSearchResults())
        names << QString::fromStdString(hit[2]);
    names.sort();
    return names;
}

const QStringList Header = {"Customer", "Address", "Problem", "Technician", "Assigned", "Operating System", "Phone"};
const QStringList EmptyRow = {"", "", "", "", "", "", ""};

class OpenProblemDialogTest : public ::testing::Test {
protected:
    OpenProblemDialogTest() : dialog(nullptr, window.Connection()) { dialog.show(); }
    TicketWindow window;
    TOpenProblemDialog dialog;
};

TEST_F(OpenProblemDialogTest, startsWithTwoEmptyRowsAndTheControlsOfItsForm)
{
    EXPECT_EQ(dialog.objectName(), "OpenProblemDialog");
    EXPECT_EQ(dialog.windowTitle(), "Open Problem...");
    for (const char* name :
         {"TopPanel", "CustomerNameLabel", "CustomerNameEdit", "CustomerSearchButton", "ProblemDescriptionLabel",
          "Edit1", "ProblemDescriptionSearchButton", "SearchResultsGroupBox", "SearchResultsStringGrid", "BottmPanel",
          "OKButton", "CancelButton"})
        EXPECT_NE(dialog.findChild<QWidget*>(name), nullptr) << name;
    QTableWidget* grid = dialog.SearchResultsStringGrid;
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->columnCount(), 7);
    EXPECT_EQ(Row(dialog, 0), EmptyRow);
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(dialog.GetSelectedProblemID(), -1);
}

TEST_F(OpenProblemDialogTest, customerSearchMatchesTheBeginningOfTheNameIgnoringCase)
{
    DBFrameWork::TicketRecord smith = Ticket("Smith", "Screen flickers\nafter boot\n\nand more");
    smith.Customer.Address = "1 Main St\r\nFloor 2";
    smith.Problem.Technician = "Lee";
    smith.Problem.Assigned = {2004, 7, 4};
    smith.Problem.Completed = {2004, 7, 9};
    smith.SystemInfo.OperatingSystem = "Windows 2000";
    const int32_t smithID = window.SaveTicket(smith);
    const int32_t smithCustomer = window.Form().GetCustomerID();
    window.SaveTicket(Ticket("SMITHERS", "No sound"));
    window.SaveTicket(Ticket("Goldsmith", "Slow disk"));

    DebugCapture debug;
    SearchCustomer(dialog, "  smi\t");
    EXPECT_TRUE(debug.Lines().empty());
    EXPECT_EQ(Names(dialog), QStringList({"SMITHERS", "Smith"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(dialog.SearchResultsStringGrid->rowCount(), 3);
    EXPECT_EQ(Row(dialog, 0), Header);

    const int smithRow = dialog.GetSearchResults()[0][2] == "Smith" ? 1 : 2;
    const DBFrameWork::StringList& hit = dialog.GetSearchResults()[smithRow - 1];
    const DBFrameWork::StringList expected = {std::to_string(smithID),
                                              std::to_string(smithCustomer),
                                              "Smith",
                                              "1 Main St\r\nFloor 2",
                                              "Springfield",
                                              "IL",
                                              "62701",
                                              "Screen flickers\nafter boot\n\nand more",
                                              "Lee",
                                              "7/4/2004",
                                              "",
                                              "",
                                              "",
                                              "Windows 2000"};
    EXPECT_EQ(hit, expected);
    EXPECT_EQ(Row(dialog, smithRow),
              QStringList({"Smith", "1 Main St\r\nFloor 2, Springfield, IL 62701",
                           "Screen flickers after boot and more", "Lee", "7/4/2004", "Windows 2000", ""}));
}

TEST_F(OpenProblemDialogTest, customerSearchListsOnlyTicketsWithSystemInformation)
{
    const int32_t kept = window.SaveTicket(Ticket("Baker", "Keyboard sticks"));
    const int32_t orphan = window.SaveTicket(Ticket("Bakersfield Ltd", "Keyboard missing keys"));
    window.Execute("DELETE FROM SystemInfo WHERE ProblemID = " + std::to_string(orphan));

    SearchCustomer(dialog, "bak");
    ASSERT_EQ(dialog.GetSearchResults().size(), 1u);
    EXPECT_EQ(dialog.GetSearchResults()[0][0], std::to_string(kept));

    SearchDescription(dialog, "keyb");
    EXPECT_EQ(Names(dialog), QStringList({"Baker", "Bakersfield Ltd"}));
}

TEST_F(OpenProblemDialogTest, descriptionSearchMatchesTheBeginningOfTheDescription)
{
    DBFrameWork::TicketRecord jams = Ticket("Ann", "Printer jams");
    jams.Problem.Assigned = {2005, 1, 31};
    window.SaveTicket(jams);
    window.SaveTicket(Ticket("Bob", "printer offline"));
    window.SaveTicket(Ticket("Cy", "The printer is broken"));

    SearchDescription(dialog, "PRINT");
    EXPECT_EQ(Names(dialog), QStringList({"Ann", "Bob"}));
    for (const auto& hit : dialog.GetSearchResults()) {
        ASSERT_EQ(hit.size(), 14u);
        EXPECT_EQ(hit[8], "") << "technician is not read by this search";
        EXPECT_EQ(hit[13], "") << "operating system is not read by this search";
        if (hit[2] == "Ann") {
            EXPECT_EQ(hit[7], "Printer jams");
            EXPECT_EQ(hit[9], "1/31/2005");
        }
    }
}

TEST_F(OpenProblemDialogTest, searchWithoutHitsLeavesTwoEmptyRowsAndChoosesNothing)
{
    window.SaveTicket(Ticket("Miller", "Fan noise"));
    SearchCustomer(dialog, "mil");
    ASSERT_EQ(dialog.SearchResultsStringGrid->rowCount(), 2);
    ClickRow(dialog, 1);
    const int32_t chosen = dialog.GetSelectedProblemID();
    EXPECT_GT(chosen, 0);

    SearchCustomer(dialog, "zzz");
    EXPECT_TRUE(dialog.GetSearchResults().empty());
    ASSERT_EQ(dialog.SearchResultsStringGrid->rowCount(), 2);
    EXPECT_EQ(Row(dialog, 0), EmptyRow);
    EXPECT_EQ(Row(dialog, 1), EmptyRow);
    EXPECT_EQ(dialog.GetSelectedProblemID(), chosen) << "a search keeps the earlier choice";

    ClickRow(dialog, 1);
    EXPECT_EQ(dialog.GetSelectedProblemID(), -1);
    ClickRow(dialog, 0);
    EXPECT_EQ(dialog.GetSelectedProblemID(), -1);
}

TEST_F(OpenProblemDialogTest, emptyTermListsEveryNamedCustomerAndSeparatorsStayAroundEmptyParts)
{
    DBFrameWork::TicketRecord noZip = Ticket("Nora", "Boot loop");
    noZip.Customer.Zip = "";
    DBFrameWork::TicketRecord noAddress = Ticket("Olaf", "Dead pixel");
    noAddress.Customer.Address = "";
    window.SaveTicket(noZip);
    window.SaveTicket(noAddress);

    SearchCustomer(dialog, "");
    ASSERT_EQ(dialog.GetSearchResults().size(), 2u);
    for (int row = 1; row <= 2; ++row) {
        const QString address = Cell(dialog, row, 1);
        if (Cell(dialog, row, 0) == "Nora")
            EXPECT_EQ(address, "12 Elm Street\r\nSuite 4, Springfield, IL ");
        else
            EXPECT_EQ(address, ", Springfield, IL 62701");
    }
}

TEST_F(OpenProblemDialogTest, enterInASearchFieldSearchesAndKeepsTheDialogOpen)
{
    window.SaveTicket(Ticket("Ursula", "Update failed"));
    dialog.activateWindow();
    dialog.Edit1->setFocus();
    dialog.Edit1->setText("upd");
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_EQ(dialog.GetSearchResults().size(), 1u);
    dialog.CustomerNameEdit->setText("nobody");
    QTest::keyClick(dialog.CustomerNameEdit, Qt::Key_Return);
    EXPECT_TRUE(dialog.GetSearchResults().empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(OpenProblemDialogTest, failedSearchKeepsTheGridAndReportsTheFailure)
{
    window.SaveTicket(Ticket("Parker", "Modem drops line"));
    SearchCustomer(dialog, "par");
    ASSERT_EQ(dialog.SearchResultsStringGrid->rowCount(), 2);
    const QStringList shown = Row(dialog, 1);

    window.Execute("DROP TABLE SystemInfo");
    DebugCapture debug;
    SearchCustomer(dialog, "");
    EXPECT_EQ(window.fake.messages, QStringList({"Error occured during search, search failed."}));
    EXPECT_TRUE(debug.Contains("SYSTEMINFO")) << (debug.Lines().empty() ? "" : debug.Lines()[0]);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Row(dialog, 1), shown);
    EXPECT_FALSE(window.Connection()->IsTransactionActive());

    // The description search does not need the dropped table.
    window.fake.messages.clear();
    SearchDescription(dialog, "modem");
    EXPECT_TRUE(window.fake.messages.isEmpty());
    EXPECT_EQ(dialog.GetSearchResults().size(), 1u);
}

TEST_F(OpenProblemDialogTest, searchOnAClosedDataFileFailsWithoutEndingTheProgram)
{
    window.SaveTicket(Ticket("Quinn", "Mouse dead"));
    SearchDescription(dialog, "mouse");
    const QStringList shown = Row(dialog, 1);
    ASSERT_TRUE(window.Connection()->Disconnect());

    DebugCapture debug;
    SearchDescription(dialog, "mouse");
    EXPECT_EQ(window.fake.messages, QStringList({"Error occured during search, search failed."}));
    EXPECT_FALSE(debug.Lines().empty());
    EXPECT_EQ(Row(dialog, 1), shown);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(window.Connection()->Connect());
}

TEST_F(OpenProblemDialogTest, okReadsTheChosenProblemRowAndAnEarlierChoiceSurvivesANewSearch)
{
    DBFrameWork::TicketRecord first = Ticket("Rita", "Lost e-mail");
    first.Problem.Completed = {2005, 2, 3};
    const int32_t firstID = window.SaveTicket(first);
    window.SaveTicket(Ticket("Sam", "Virus"));

    SearchCustomer(dialog, "rit");
    ClickRow(dialog, 1);
    EXPECT_EQ(dialog.GetSelectedProblemID(), firstID);
    SearchCustomer(dialog, "sam");
    EXPECT_EQ(dialog.GetSelectedProblemID(), firstID);

    dialog.OKButton->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    DBFrameWork::Problem stored(window.Connection());
    ASSERT_TRUE(stored.Select({std::to_string(firstID)}));
    EXPECT_EQ(dialog.GetSelectedValues(), stored.GetValues());
    EXPECT_EQ(dialog.GetSelectedValues()[3], "2/3/2005");
}

TEST_F(OpenProblemDialogTest, okWithoutAChoiceAcceptsWithAnEmptyListAndAFailedReadCancels)
{
    window.SaveTicket(Ticket("Tess", "Drive full"));
    dialog.OKButton->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.GetSelectedValues().empty());

    dialog.show();
    SearchCustomer(dialog, "tess");
    ClickRow(dialog, 1);
    ASSERT_TRUE(window.Connection()->Disconnect());
    DebugCapture debug;
    dialog.OKButton->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ASSERT_TRUE(window.Connection()->Connect());
}

TEST_F(OpenProblemDialogTest, customerSearchCutsALongTermOnACharacterBoundaryToFitTheNameColumn)
{
    // The Name column holds 120 bytes, so term and "%" fit with 119 bytes of term.
    auto repeat = [](const std::string& text, int times) {
        std::string result;
        for (int i = 0; i < times; ++i)
            result += text;
        return result;
    };
    const std::string a120(120, 'a'), a119b = std::string(119, 'a') + "b", a118b = std::string(118, 'a') + "b";
    const std::string e60 = repeat("\xC3\xA9", 60);  // 60 times e-acute
    const std::string e59a = repeat("\xC3\xA9", 59) + "\xC4\x81";  // then a-macron
    const std::string e59ab = repeat("\xC3\xA9", 59) + "ab";
    for (const std::string& name : {a120, a119b, a118b, e60, e59a, e59ab})
        window.SaveTicket(Ticket(name, "Long name"));

    struct Case {
        std::string term;
        std::vector<std::string> found;
    };
    const Case cases[] = {
        {std::string(119, 'a'), {a120, a119b}},
        {std::string(120, 'a'), {a120, a119b}},
        {std::string(500, 'a'), {a120, a119b}},
        {a118b, {a118b}},  // 119 bytes: searched whole
        {repeat("\xC3\xA9", 59) + "a", {e59ab}},
        // Cut inside the 60th character, the term would end in its first byte,
        // which the a-macron does not begin with.
        {e60, {e60, e59a, e59ab}},
        {repeat("\xC3\xA9", 250), {e60, e59a, e59ab}},
    };
    for (const Case& c : cases) {
        SearchCustomer(dialog, QString::fromStdString(c.term));
        QStringList expected;
        for (const std::string& name : c.found)
            expected << QString::fromStdString(name);
        expected.sort();
        EXPECT_EQ(Names(dialog), expected) << c.term.size() << " bytes of term";
        EXPECT_EQ(window.fake.messages, QStringList()) << c.term.size() << " bytes of term";
        window.fake.messages.clear();
    }
}

}  // namespace

TEST_F(OpenProblemDialogTest, bothSearchesShowTheFirstPhoneOfEachCustomerInALastColumn)
{
    window.SaveTicket(Ticket("Adams", "Fan noise"));
    const int32_t adams = window.Form().GetCustomerID();
    window.SaveTicket(Ticket("Baker", "Fan stuck"));
    const int32_t baker = window.Form().GetCustomerID();
    window.SaveTicket(Ticket("Clark", "Fan loud"));
    ASSERT_TRUE(DBFrameWork::StoreContacts(
        *window.Connection(), adams, {{{"mobile", "+1 (555) 123-4567"}, {"home", "555 000 1111"}}, "a@example.com"}));
    // A customer with an e-mail address only has no phone to show.
    ASSERT_TRUE(DBFrameWork::StoreContacts(*window.Connection(), baker, {{}, "b@example.com"}));

    const auto phones = [&] {
        std::map<QString, QString> byName;
        for (int row = 1; row < dialog.SearchResultsStringGrid->rowCount(); ++row)
            byName[Cell(dialog, row, 0)] = Cell(dialog, row, 6);
        return byName;
    };
    const std::map<QString, QString> expected = {{"Adams", "+1 (555) 123-4567"}, {"Baker", ""}, {"Clark", ""}};
    DebugCapture debug;
    SearchCustomer(dialog, "");
    EXPECT_EQ(Row(dialog, 0), Header);
    EXPECT_EQ(phones(), expected);
    SearchDescription(dialog, "fan");
    EXPECT_EQ(phones(), expected);
    EXPECT_TRUE(debug.Lines().empty()) << debug.Lines().front();
    EXPECT_FALSE(window.Connection()->IsTransactionActive());
}
