// Find Solutions through the real window: Ctrl+F, typing, the ranked hits with
// their snippets, the progress of a rebuild, and Enter opening the ticket.
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <filesystem>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Transaction.h"
#include "dialogs/FindSolutionsDialogUnit.h"
#include "tests/support/windows/ModalDriver.h"
#include "tests/support/windows/WindowTest.h"

namespace {

class FindDialog : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        UseDataFile(work.File("Solutions.fdb"));
        Start();
        ASSERT_TRUE(window);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // A ticket saved through the window, as the user saves one.
    void SaveTicket(const QString& name, const QString& description, const QDate& assigned)
    {
        window->NewFileMenuClick();
        FillTicket(name);
        Find<QDateEdit>("AssignmentDatePicker")->setDate(assigned);
        Find<QTextEdit>("ProblemRichEdit")->setPlainText(description);
        Find<QPushButton>("SaveButton")->click();
        ASSERT_EQ(fake->messages.last(), "Save Successfull!");
    }

    QStringList Names(TFindSolutionsDialog& dialog)
    {
        QStringList names;
        for (int row = 0; row < dialog.ResultList->topLevelItemCount(); ++row)
            names << dialog.ResultList->topLevelItem(row)->text(0);
        return names;
    }
};

}  // namespace

TEST_F(FindDialog, TypingListsRankedHitsAndEnterOpensThatTicket)
{
    SaveTicket("Adams", "The printer jams on every page", QDate(2003, 5, 1));
    SaveTicket("Baker", "Printer jams; the printer tray is bent and the printer feeds crooked", QDate(2002, 1, 1));
    SaveTicket("Clark", "The printer jams on every page", QDate(2004, 7, 9));
    SaveTicket("Davis", "Monitor flickers", QDate(2004, 7, 9));
    window->NewFileMenuClick();

    bool opened = false;
    EXPECT_TRUE(WhileShown<TFindSolutionsDialog>(
        [&] { QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier); },
        [&](TFindSolutionsDialog& dialog) {
            ASSERT_TRUE(window->GetFindIndex());
            QTRY_VERIFY_WITH_TIMEOUT(!window->GetFindIndex()->Progress().Building, 30000);
            QTest::keyClicks(dialog.SearchEdit, "printers");
            // Nothing before the pause after typing ends.
            EXPECT_EQ(dialog.ResultList->topLevelItemCount(), 0);
            QTRY_COMPARE(dialog.ResultList->topLevelItemCount(), 3);
            // Most about printers first; equal texts newest first.
            EXPECT_EQ(Names(dialog), QStringList({"Baker", "Clark", "Adams"}));
            EXPECT_EQ(dialog.ResultCountLabel->text(), "3 tickets");
            QTreeWidgetItem* first = dialog.ResultList->topLevelItem(0);
            EXPECT_EQ(first->text(3), "No");
            auto* snippet = qobject_cast<QLabel*>(
                dialog.ResultList->itemWidget(first, TFindSolutionsDialog::SnippetColumn));
            ASSERT_NE(snippet, nullptr);
            EXPECT_TRUE(snippet->text().contains("<b>Printer</b> jams")) << snippet->text().toStdString();
            EXPECT_EQ(snippet->textFormat(), Qt::RichText);

            // Down walks to the second hit; Enter opens it.
            QTest::keyClick(dialog.SearchEdit, Qt::Key_Down);
            QTest::keyClick(dialog.SearchEdit, Qt::Key_Return);
            opened = dialog.result() == QDialog::Accepted;
        }));
    EXPECT_TRUE(opened);
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text(), "Clark");
    EXPECT_EQ(Find<QTextEdit>("ProblemRichEdit")->toPlainText(), "The printer jams on every page");
    EXPECT_EQ(window->GetProblemID(), 3);
    EXPECT_FALSE(window->GetIsNewProblem());

    // A change saved in the window is found at the next search; bad input lists nothing.
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("The plotter jams on every page");
    Find<QPushButton>("SaveButton")->click();
    EXPECT_TRUE(WhileShown<TFindSolutionsDialog>([&] { Find<QAction>("FindSolutionsFileMenu")->trigger(); },
                                                 [&](TFindSolutionsDialog& dialog) {
                                                     QTest::keyClicks(dialog.SearchEdit, "plotter");
                                                     dialog.SearchNow();
                                                     EXPECT_EQ(Names(dialog), QStringList({"Clark"}));
                                                     dialog.SearchEdit->setText(QString(3000, '%'));
                                                     dialog.SearchNow();
                                                     EXPECT_EQ(dialog.ResultList->topLevelItemCount(), 0);
                                                     // Enter with nothing listed keeps the dialog open.
                                                     QTest::keyClick(dialog.SearchEdit, Qt::Key_Return);
                                                     EXPECT_TRUE(dialog.isVisible());
                                                 }));
    EXPECT_EQ(window->GetProblemID(), 3);
}

TEST_F(FindDialog, AMissingIndexIsRebuiltWithItsProgressShown)
{
    // Enough tickets that the rebuild takes a while.
    DBFrameWork::DBConnection& connection = *window->GetConnection();
    ASSERT_TRUE(DBFrameWork::RunInTransaction(connection, "fill", [&](IBPP::Statement& statement) {
        statement->ExecuteImmediate("INSERT INTO Customer (CustomerID, Name) VALUES (1, 'Evans')");
        statement->Prepare("INSERT INTO Problem (ProblemID, Technician, Assigned, Description, CustomerID) "
                           "VALUES (?, 'Bob', '2004-01-01', ?, 1)");
        for (int32_t id = 1; id <= 4000; ++id) {
            statement->Set(1, id);
            statement->Set(2, std::string(id == 4000 ? "the last gadget" : "a common gadget"));
            statement->Execute();
        }
    }));
    namespace fs = std::filesystem;
    ASSERT_FALSE(fs::exists(dataFile + ".find"));
    EXPECT_TRUE(WhileShown<TFindSolutionsDialog>(
        [&] { Find<QAction>("FindSolutionsFileMenu")->trigger(); },
        [&](TFindSolutionsDialog& dialog) {
            EXPECT_TRUE(dialog.IndexProgressBar->isVisible());
            EXPECT_TRUE(dialog.IndexProgressLabel->text().startsWith("Indexing tickets: "))
                << dialog.IndexProgressLabel->text().toStdString();
            dialog.SearchEdit->setText("last gadget");
            dialog.SearchNow();
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.IndexProgressBar->isVisible(), 60000);
            // The hits are searched again once everything is in.
            QTRY_COMPARE(dialog.ResultList->topLevelItemCount(), 1);
            EXPECT_EQ(dialog.ResultList->topLevelItem(0)->data(0, TFindSolutionsDialog::ProblemIDRole).toInt(), 4000);
        }));
    EXPECT_TRUE(fs::is_directory(dataFile + ".find"));
}

TEST_F(FindDialog, HitsShowTheCustomersFirstPhoneInALastColumn)
{
    SaveTicket("Adams", "Laptop fan rattles", QDate(2003, 5, 1));
    SaveTicket("Baker", "Desktop fan rattles", QDate(2004, 5, 1));
    // Baker's contacts come after the save, as another desk would add them.
    ASSERT_TRUE(
        DBFrameWork::StoreContacts(*window->GetConnection(), window->GetCustomerID(),
                                   {{{"work", "+1 (555) 123-4567"}, {"home", "555 000 1111"}}, "b@example.com"}));
    EXPECT_TRUE(WhileShown<TFindSolutionsDialog>(
        [&] { Find<QAction>("FindSolutionsFileMenu")->trigger(); },
        [&](TFindSolutionsDialog& dialog) {
            QTRY_VERIFY_WITH_TIMEOUT(!window->GetFindIndex()->Progress().Building, 30000);
            QTreeWidgetItem* header = dialog.ResultList->headerItem();
            ASSERT_EQ(dialog.ResultList->columnCount(), 6);
            QStringList headers;
            for (int column = 0; column < 6; ++column)
                headers << header->text(column);
            EXPECT_EQ(headers, QStringList({"Customer", "Assigned", "Technician", "Complete", "Best match", "Phone"}));
            dialog.SearchEdit->setText("fan rattles");
            dialog.SearchNow();
            ASSERT_EQ(dialog.ResultList->topLevelItemCount(), 2);
            for (int row = 0; row < 2; ++row) {
                const QTreeWidgetItem* item = dialog.ResultList->topLevelItem(row);
                EXPECT_EQ(item->text(TFindSolutionsDialog::PhoneColumn),
                          item->text(0) == "Baker" ? "+1 (555) 123-4567" : "")
                    << item->text(0).toStdString();
            }
            // The number typed another way finds the ticket.
            dialog.SearchEdit->setText("555-123-4567");
            dialog.SearchNow();
            EXPECT_EQ(Names(dialog), QStringList({"Baker"}));
            dialog.reject();
        }));
}
