// The new commands through the real main window: the open tickets list, the
// customer history, the work order's print and PDF, and the hours report
// with its CSV and PDF, checked with pdftotext, Python's csv and isql-fb.
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QValueAxis>
#include <chrono>
#include <cmath>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include "dialogs/BackgroundWork.h"
#include "dialogs/CustomerHistoryDock.h"
#include "dialogs/HoursReportDialogUnit.h"
#include "dialogs/OpenTicketsDialogUnit.h"
#include "dialogs/ReportDates.h"
#include "tests/support/windows/WindowTest.h"

namespace {

// A ticket of the fields the lists and reports show; an invalid completed
// date leaves it open.
DBFrameWork::TicketRecord Ticket(const QString& name, const QString& technician, const QDate& assigned,
                                 const QDate& completed, int actual, int billable, const QString& problem)
{
    DBFrameWork::TicketRecord ticket;
    ticket.Customer.Name = name.toStdString();
    ticket.Problem.Technician = technician.toStdString();
    ticket.Problem.Assigned = ToCalendarDate(assigned);
    ticket.Problem.Completed = ToCalendarDate(completed);
    ticket.Problem.ActualHours = actual;
    ticket.Problem.BillableHours = billable;
    ticket.Problem.Description = problem.toStdString();
    ticket.Problem.Resolution = "Cleaned the rollers";
    return ticket;
}

// Runs a command that shows a modal dialog of type Dialog, drives the dialog
// with steps, and closes it if the steps left it open. The dialog is looked
// for until it shows: a read before it opens may run an event loop of its own.
template <typename Dialog>
bool Drive(QAction* command, const std::function<void(Dialog&)>& steps)
{
    bool shown = false;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<Dialog*>(widget);
            if (dialog && dialog->isVisible()) {
                poll.stop();
                shown = true;
                steps(*dialog);
                if (dialog->isVisible())
                    dialog->reject();
                return;
            }
        }
        if (waited.elapsed() > 10000)
            poll.stop();  // the test fails on shown; the dialog, if any, stays for the next
    });
    poll.start(10);
    command->trigger();
    poll.stop();
    return shown;
}

std::string Text(const std::string& pdf)
{
    std::string text;
    EXPECT_EQ(TestSupport::RunCommand("pdftotext -layout '" + pdf + "' -", &text), 0) << pdf;
    return text;
}

int Pages(const std::string& pdf)
{
    std::string info;
    TestSupport::RunCommand("pdfinfo '" + pdf + "'", &info);
    std::istringstream lines(info);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Pages:", 0) == 0)
            return std::stoi(line.substr(6));
    return -1;
}

// A double click as the desktop delivers it: press, release, then the
// second press that arrives as a double click, and its release.
void DoubleClick(QWidget* viewport, const QPoint& point)
{
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, point);
}

QString ModelText(QTableView* view, int row, int column)
{
    return view->model()->index(row, column).data().toString();
}

}  // namespace

class ReportWindow : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        UseDataFile(work.File("Data/Solutions.fdb"),
                    "Company Name=Acme Repair\nAddress=1 Main St, Springfield\nPhone1=555-0100\n"
                    "WebSite=www.acme.example\n",
                    "[Technicians]\n1=Dana\n2=Eve\n");
        Start();
        window->show();
    }

    // The customer's name and the problem's fields of the ticket; the rest of
    // the customer is FillTicket's.
    int32_t Save(const DBFrameWork::TicketRecord& ticket)
    {
        const DBFrameWork::ProblemRecord& problem = ticket.Problem;
        window->NewFileMenuClick();
        FillTicket(QString::fromStdString(ticket.Customer.Name));
        Find<QComboBox>("TechnicianComboBox")->setEditText(QString::fromStdString(problem.Technician));
        Find<QDateEdit>("AssignmentDatePicker")->setDate(ToQDate(problem.Assigned));
        Find<QCheckBox>("CompleteCheckBox")->setChecked(problem.Completed.IsSet());
        if (problem.Completed.IsSet())
            Find<QDateEdit>("CompletedDatePicker")->setDate(ToQDate(problem.Completed));
        Find<QSpinBox>("ActualHoursEdit")->setValue(problem.ActualHours);
        Find<QSpinBox>("BillableHoursEdit")->setValue(problem.BillableHours);
        Find<QTextEdit>("ProblemRichEdit")->setPlainText(QString::fromStdString(problem.Description));
        Find<QTextEdit>("ResolutionRichEdit")->setPlainText(QString::fromStdString(problem.Resolution));
        EXPECT_TRUE(window->SaveProblem()) << ticket.Customer.Name;
        return window->GetProblemID();
    }
};

TEST_F(ReportWindow, OpenTicketsListsTheOpenOnesAndOpensTheChosen)
{
    const int32_t smith = Save(Ticket("Smith", "Dana", QDate(2004, 1, 5), QDate(), 3, 2, "Printer jams\nevery page"));
    const int32_t jones = Save(Ticket("Jones", "Eve", QDate(2003, 6, 1), QDate(), 1, 1, "Slow disk"));
    Save(Ticket("Brown", "Dana", QDate(2002, 1, 1), QDate(2002, 1, 2), 5, 5, "Done long ago"));
    window->NewFileMenuClick();

    EXPECT_EQ(Find<QAction>("OpenTicketsViewMenu")->text(), "Open &Tickets...");
    EXPECT_EQ(Find<QAction>("OpenTicketsViewMenu")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_TRUE(Drive<TOpenTicketsDialog>(Find<QAction>("OpenTicketsViewMenu"), [&](TOpenTicketsDialog& dialog) {
        QTableView* view = dialog.TicketsTableView;
        ASSERT_EQ(view->model()->rowCount(), 2);
        EXPECT_EQ(ModelText(view, 0, 2), "Jones");  // the oldest assignment first
        EXPECT_EQ(ModelText(view, 1, 2), "Smith");
        EXPECT_EQ(ModelText(view, 1, 3), "Dana");
        EXPECT_EQ(ModelText(view, 1, 4), "Printer jams");
        EXPECT_EQ(ModelText(view, 1, 5), "3");
        EXPECT_EQ(ModelText(view, 0, 1).toLongLong(), QDate(2003, 6, 1).daysTo(QDate::currentDate()));
        // The filter offers the pick list.
        EXPECT_EQ(dialog.TechnicianFilterComboBox->count(), 3);
        dialog.TechnicianFilterComboBox->setCurrentText("Dana");
        ASSERT_EQ(view->model()->rowCount(), 1);
        EXPECT_EQ(ModelText(view, 0, 2), "Smith");
        const QRect cell = view->visualRect(view->model()->index(0, 2));
        DoubleClick(view->viewport(), cell.center());
    }));
    EXPECT_EQ(window->GetProblemID(), smith);
    EXPECT_FALSE(window->GetIsNewProblem());
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text(), "Smith");
    EXPECT_EQ(Find<QTextEdit>("ProblemRichEdit")->toPlainText(), "Printer jams\nevery page");

    // The list has the keyboard as the dialog opens: Enter opens the oldest.
    EXPECT_TRUE(Drive<TOpenTicketsDialog>(Find<QAction>("OpenTicketsViewMenu"), [&](TOpenTicketsDialog& dialog) {
        EXPECT_EQ(dialog.focusWidget(), dialog.TicketsTableView);
        QTest::keyClick(dialog.TicketsTableView, Qt::Key_Return);
    }));
    EXPECT_EQ(window->GetProblemID(), jones);
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text(), "Jones");
    // Enter in the filter opens the current row too.
    EXPECT_TRUE(Drive<TOpenTicketsDialog>(Find<QAction>("OpenTicketsViewMenu"), [&](TOpenTicketsDialog& dialog) {
        dialog.TechnicianFilterComboBox->setFocus();
        dialog.TechnicianFilterComboBox->setCurrentText("Dana");
        QTest::keyClick(dialog.TechnicianFilterComboBox, Qt::Key_Return);
    }));
    EXPECT_EQ(window->GetProblemID(), smith);
    EXPECT_TRUE(fake->errors.isEmpty()) << fake->errors.join("|").toStdString();
}

TEST_F(ReportWindow, OpenTicketsOfManyComeAsTheListIsScrolled)
{
    std::string sql = "INSERT INTO Customer (CustomerID, Name) VALUES (1, 'Many');\n";
    for (int id = 1; id <= 450; ++id)
        sql += "INSERT INTO Problem (ProblemID, Assigned, CustomerID, Technician) VALUES (" + std::to_string(id) +
            ", DATEADD(" + std::to_string(id) + " DAY TO DATE '2001-01-01'), 1, 'Dana');\n";
    Query(sql + "COMMIT;\n");

    EXPECT_TRUE(Drive<TOpenTicketsDialog>(Find<QAction>("OpenTicketsViewMenu"), [&](TOpenTicketsDialog& dialog) {
        QTableView* view = dialog.TicketsTableView;
        ASSERT_EQ(view->model()->rowCount(), 200);
        EXPECT_EQ(dialog.TicketCountLabel->text(), "200+");
        for (int expected : {400, 450, 450}) {
            view->scrollToBottom();
            QCoreApplication::processEvents();
            ASSERT_EQ(view->model()->rowCount(), expected);
        }
        EXPECT_EQ(dialog.TicketCountLabel->text(), "450");
        // Oldest first over the batches' seams.
        for (int row = 0; row < 450; ++row)
            ASSERT_EQ(dialog.Tickets()[static_cast<size_t>(row)].problemId, row + 1) << row;
        // Another technician starts again from the first rows.
        dialog.TechnicianFilterComboBox->setCurrentText("Eve");
        EXPECT_EQ(view->model()->rowCount(), 0);
        EXPECT_EQ(dialog.TicketCountLabel->text(), "0");
    }));
    EXPECT_TRUE(fake->errors.isEmpty()) << fake->errors.join("|").toStdString();
}

TEST_F(ReportWindow, CustomerHistoryShowsTheOtherTicketsAndIsRemembered)
{
    EXPECT_TRUE(Find<TCustomerHistoryDock>("CustomerHistory")->isHidden());
    EXPECT_FALSE(Find<QAction>("CustomerHistoryViewMenu")->isChecked());
    const int32_t first = Save(Ticket("Smith", "Dana", QDate(2004, 1, 5), QDate(2004, 1, 6), 3, 2, "First visit"));
    const int32_t second = Save(Ticket("Smith", "Dana", QDate(2004, 3, 5), QDate(), 1, 1, "Second visit\nmore"));
    const int32_t third = Save(Ticket("Smith", "Eve", QDate(2004, 5, 5), QDate(), 1, 1, "Third visit"));
    Save(Ticket("Jones", "Eve", QDate(2004, 4, 5), QDate(), 1, 1, "Someone else"));
    ASSERT_TRUE(window->OpenStoredProblem(second));

    const mode_t previousMask = umask(022);
    Find<QAction>("CustomerHistoryViewMenu")->trigger();
    umask(previousMask);
    ASSERT_TRUE(Find<TCustomerHistoryDock>("CustomerHistory")->isVisible());
    // The window's state file is the user's alone, like every file the program writes.
    struct stat state = {};
    ASSERT_EQ(stat((paths.Folder + "/ViewState.ini").toStdString().c_str(), &state), 0);
    EXPECT_EQ(state.st_mode & 07777, 0600u);
    QTreeWidget* list = Find<TCustomerHistoryDock>("CustomerHistory")->HistoryList;
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "Open");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "Third visit");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Complete");
    EXPECT_EQ(list->topLevelItem(1)->text(2), "First visit");

    // A double click opens that ticket, whose history then lists the others.
    const QRect row = list->visualItemRect(list->topLevelItem(1));
    DoubleClick(list->viewport(), row.center());
    QCoreApplication::processEvents();  // the opening is queued behind the click
    EXPECT_EQ(window->GetProblemID(), first);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(Find<TCustomerHistoryDock>("CustomerHistory")->Entries()[0].problemId, third);
    EXPECT_EQ(Find<TCustomerHistoryDock>("CustomerHistory")->Entries()[1].problemId, second);
    // A new ticket has no history.
    window->NewFileMenuClick();
    EXPECT_EQ(list->topLevelItemCount(), 0);

    // The next window shows the dock as it was left, and the shop's settings
    // file knows nothing of it.
    window.reset();
    Start();
    window->show();
    EXPECT_TRUE(Find<TCustomerHistoryDock>("CustomerHistory")->isVisible());
    Find<QAction>("CustomerHistoryViewMenu")->trigger();
    window.reset();
    Start();
    EXPECT_TRUE(Find<TCustomerHistoryDock>("CustomerHistory")->isHidden());
    EXPECT_EQ(TestSupport::ReadFile(paths.SettingsFile.toStdString()).find("History"), std::string::npos);
}

TEST_F(ReportWindow, WorkOrderPrintsOnePageWithTheBusinessAndTheTicket)
{
    // Placeholders, or a ticket never stored, cannot be printed.
    fake->printAnswer = QString::fromStdString(work.File("printed.pdf"));
    Find<QAction>("PrintFileMenu")->trigger();
    FillTicket("Smith");
    Find<QAction>("ExportPdfFileMenu")->trigger();
    EXPECT_EQ(fake->messages, QStringList({"Save the ticket before printing.", "Save the ticket before printing."}));
    EXPECT_EQ(fake->printDialogs, 0);
    EXPECT_TRUE(fake->saveRequests.empty());

    const int32_t id = Save(
        Ticket("Smith, Jr.", "Dana", QDate(2004, 12, 25), QDate(), 7, 5, "Printer <jams> & smokes"));
    EXPECT_TRUE(Find<QAction>("PrintFileMenu")->isVisible());
    Find<QAction>("PrintFileMenu")->trigger();
    EXPECT_EQ(fake->printDialogs, 1);
    const std::string printed = Text(work.File("printed.pdf"));
    for (const std::string& part :
         {std::string("Acme Repair"), std::string("1 Main St, Springfield"), std::string("555-0100"),
          std::string("www.acme.example"), "Work Order " + std::to_string(id), std::string("Dana"),
          std::string("Smith, Jr."), std::string("Springfield"), std::string("Printer <jams> & smokes"),
          std::string("Cleaned the rollers"), std::string("Customer signature")})
        EXPECT_NE(printed.find(part), std::string::npos) << part << "\n" << printed;
    EXPECT_EQ(Pages(work.File("printed.pdf")), 1);

    // A long problem still fits one sheet.
    Find<QTextEdit>("ProblemRichEdit")->setPlainText(QString("A line of the problem text.\n").repeated(60));
    fake->QueueFile(QString::fromStdString(work.File("order.pdf")));
    Find<QAction>("ExportPdfFileMenu")->trigger();
    ASSERT_EQ(fake->saveRequests.size(), 1u);
    EXPECT_EQ(fake->saveRequests[0].filter, "PDF Files (*.pdf)|*.pdf");
    EXPECT_NE(Text(work.File("order.pdf")).find("A line of the problem text."), std::string::npos);
    EXPECT_EQ(Pages(work.File("order.pdf")), 1);

    // Print Setup opens the page setup of the same printer; a cancelled print prints nothing.
    Find<QAction>("PrintSetupFileMenu")->trigger();
    EXPECT_EQ(fake->pageSetups, 1);
    fake->printAnswer.clear();
    std::remove(work.File("printed.pdf").c_str());
    Find<QAction>("PrintFileMenu")->trigger();
    EXPECT_FALSE(TestSupport::FileExists(work.File("printed.pdf")));
    EXPECT_TRUE(fake->errors.isEmpty()) << fake->errors.join("|").toStdString();

    // A second export replaces the first; one that cannot be written says so.
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("The replaced problem");
    fake->QueueFile(QString::fromStdString(work.File("order.pdf")));
    Find<QAction>("ExportPdfFileMenu")->trigger();
    const std::string replaced = Text(work.File("order.pdf"));
    EXPECT_NE(replaced.find("The replaced problem"), std::string::npos) << replaced;
    EXPECT_EQ(replaced.find("A line of the problem text."), std::string::npos) << replaced;
    const std::string unwritable = work.File("no such folder/order.pdf");
    fake->QueueFile(QString::fromStdString(unwritable));
    Find<QAction>("ExportPdfFileMenu")->trigger();
    EXPECT_EQ(fake->errors, QStringList({QString::fromStdString("Error writing " + unwritable + "!")}));
}

// The chart's hour axis is labelled in whole hours: steps of one hour or
// more, so that no two labels read alike.
void ExpectWholeHourSteps(THoursReportDialog& dialog)
{
    const auto axes = dialog.HoursChartView->chart()->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 1);
    const auto* hours = qobject_cast<QValueAxis*>(axes.first());
    ASSERT_NE(hours, nullptr);
    const double step = (hours->max() - hours->min()) / (hours->tickCount() - 1);
    EXPECT_GE(step, 1.0);
    EXPECT_EQ(step, std::floor(step));
}

TEST_F(ReportWindow, ACsvRowWithAZeroByteIsWrittenWholeAndNewExportsAreTheUsersAlone)
{
    const QString technician = QString("Da") + QChar(0) + "na";
    Save(Ticket("Smith", technician, QDate(2004, 1, 5), QDate(), 3, 2, "a"));
    EXPECT_TRUE(Drive<THoursReportDialog>(Find<QAction>("HoursReportViewMenu"), [&](THoursReportDialog& dialog) {
        dialog.PeriodComboBox->setCurrentText("Custom");
        dialog.FromDatePicker->setDate(QDate(2004, 1, 1));
        dialog.ToDatePicker->setDate(QDate(2004, 1, 31));
        dialog.GroupByComboBox->setCurrentText("Technician");
        // New exports are the user's alone whatever the umask; a replaced one keeps its mode.
        const mode_t previous = umask(022);
        fake->QueueFile(QString::fromStdString(work.File("hours.csv")));
        dialog.ExportCsvButton->click();
        fake->QueueFile(QString::fromStdString(work.File("hours.pdf")));
        dialog.ExportPdfButton->click();
        chmod(work.File("hours.pdf").c_str(), 0644);
        fake->QueueFile(QString::fromStdString(work.File("hours.pdf")));
        dialog.ExportPdfButton->click();
        umask(previous);
    }));
    struct stat csvInfo = {}, pdfInfo = {};
    ASSERT_EQ(stat(work.File("hours.csv").c_str(), &csvInfo), 0);
    EXPECT_EQ(csvInfo.st_mode & 07777, 0600u);
    ASSERT_EQ(stat(work.File("hours.pdf").c_str(), &pdfInfo), 0);
    EXPECT_EQ(pdfInfo.st_mode & 07777, 0644u);
    const std::string csv = TestSupport::ReadFile(work.File("hours.csv"));
    EXPECT_NE(csv.find(std::string("Da\0na,1,3,2,66.7\r\n", 18)), std::string::npos) << csv;
    EXPECT_NE(csv.find("Total,1,3,2,66.7\r\n"), std::string::npos) << csv;
}

TEST_F(ReportWindow, HoursReportMatchesTheEngineAndGoesOutAsCsvAndPdf)
{
    Save(Ticket("Smith", "Dana", QDate(2004, 1, 5), QDate(), 3, 2, "a"));
    Save(Ticket("=cmd|' /C calc'!A0", "Eve", QDate(2004, 1, 31), QDate(2004, 2, 1), 4, 1, "b"));
    Save(Ticket("Jones, Ann", "Dana", QDate(2004, 2, 1), QDate(), 5, 5, "c"));
    Save(Ticket("Smith", "Dana", QDate(2004, 3, 1), QDate(), 9, 9, "outside"));

    std::vector<std::vector<QString>> table;
    EXPECT_TRUE(Drive<THoursReportDialog>(Find<QAction>("HoursReportViewMenu"), [&](THoursReportDialog& dialog) {
        dialog.PeriodComboBox->setCurrentText("Custom");
        EXPECT_TRUE(dialog.FromDatePicker->isEnabled());
        dialog.FromDatePicker->setDate(QDate(2004, 1, 1));
        dialog.ToDatePicker->setDate(QDate(2004, 2, 29));
        dialog.GroupByComboBox->setCurrentText("Technician");
        table = dialog.TableText();
        ASSERT_EQ(table.size(), 4u);  // header, Dana, Eve, totals
        EXPECT_EQ(table[0],
                  (std::vector<QString>{"Technician", "Tickets", "Actual Hours", "Billable Hours", "Billable %"}));
        EXPECT_EQ(table[1], (std::vector<QString>{"Dana", "2", "8", "7", "87.5"}));
        EXPECT_EQ(table[2], (std::vector<QString>{"Eve", "1", "4", "1", "25.0"}));
        EXPECT_EQ(table[3], (std::vector<QString>{"Total", "3", "12", "8", "66.7"}));
        ExpectWholeHourSteps(dialog);

        fake->QueueFile(QString::fromStdString(work.File("hours.csv")));
        dialog.ExportCsvButton->click();
        fake->QueueFile(QString::fromStdString(work.File("hours.pdf")));
        dialog.ExportPdfButton->click();
        fake->printAnswer = QString::fromStdString(work.File("hours-printed.pdf"));
        dialog.PrintButton->click();

        dialog.GroupByComboBox->setCurrentText("Customer");
        const auto byCustomer = dialog.TableText();
        ASSERT_EQ(byCustomer.size(), 5u);
        EXPECT_EQ(byCustomer[1][0], "=cmd|' /C calc'!A0");
        dialog.GroupByComboBox->setCurrentText("Month");
        const auto byMonth = dialog.TableText();
        ASSERT_EQ(byMonth.size(), 4u);
        EXPECT_EQ(byMonth[1][0], "2004-01");
        EXPECT_EQ(byMonth[1][1], "2");

        // This month, last month and this year are whole calendar periods.
        dialog.PeriodComboBox->setCurrentText("Last month");
        const QDate monthStart(QDate::currentDate().year(), QDate::currentDate().month(), 1);
        EXPECT_EQ(dialog.FromDatePicker->date(), monthStart.addMonths(-1));
        EXPECT_EQ(dialog.ToDatePicker->date(), monthStart.addDays(-1));
        EXPECT_FALSE(dialog.FromDatePicker->isEnabled());
        dialog.PeriodComboBox->setCurrentText("This year");
        EXPECT_EQ(dialog.FromDatePicker->date(), QDate(QDate::currentDate().year(), 1, 1));
        EXPECT_EQ(dialog.ToDatePicker->date(), QDate(QDate::currentDate().year(), 12, 31));
        ASSERT_EQ(dialog.TableText().size(), 2u);  // nothing this year: the header and the totals
        ExpectWholeHourSteps(dialog);
    }));
    ASSERT_EQ(table.size(), 4u);

    // The CSV, read by Python's csv module, is the table.
    const std::string csv = TestSupport::ReadFile(work.File("hours.csv"));
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_NE(csv.find("87.5\r\n"), std::string::npos);
    std::string read;
    ASSERT_EQ(TestSupport::RunCommand("python3 -c 'import csv,sys\n"
                                      "with open(sys.argv[1], newline=\"\", encoding=\"utf-8-sig\") as f:\n"
                                      "    for row in csv.reader(f): print(\"|\".join(row))' " +
                                          work.File("hours.csv"),
                                      &read),
              0);
    std::string expected;
    for (const auto& row : table) {
        QStringList cells;
        for (const QString& cell : row)
            cells << cell;
        expected += cells.join("|").toStdString() + "\n";
    }
    EXPECT_EQ(read, expected);

    for (const std::string& pdf : {work.File("hours.pdf"), work.File("hours-printed.pdf")}) {
        const std::string text = Text(pdf);
        for (const char* part : {"Hours Report", "Technician", "Dana", "Eve", "Total", "87.5", "66.7"})
            EXPECT_NE(text.find(part), std::string::npos) << part << " in " << pdf << "\n" << text;
    }

    // The sums are what the engine sums.
    const std::string engine = Query(
        "SELECT COUNT(*) AS N, SUM(ActualHours) AS A, SUM(BillableHours) AS B FROM Problem "
        "WHERE Assigned >= '2004-01-01' AND Assigned < '2004-03-01';");
    EXPECT_EQ(ListValue(engine, "N"), table[3][1].toStdString());
    EXPECT_EQ(ListValue(engine, "A"), table[3][2].toStdString());
    EXPECT_EQ(ListValue(engine, "B"), table[3][3].toStdString());
    const std::string dana = Query("SELECT SUM(ActualHours) AS A FROM Problem WHERE Technician = 'Dana' AND "
                                   "Assigned >= '2004-01-01' AND Assigned < '2004-03-01';");
    EXPECT_EQ(ListValue(dana, "A"), table[1][2].toStdString());
    EXPECT_TRUE(fake->errors.isEmpty()) << fake->errors.join("|").toStdString();
}

// A read that keeps the engine busy before its first row: the window stays
// painted, the dialog appears, and its Cancel ends the read; a quick read
// shows nothing.
TEST(QueryProgressTest, ASlowReadShowsTheDialogAndCancelEndsIt)
{
    using DBFrameWork::FetchProgress;
    using DBFrameWork::QueryOutcome;
    QWidget owner;
    owner.show();
    {
        BackgroundWork progress(&owner);
        EXPECT_EQ(progress.Run([](const FetchProgress&) { return QueryOutcome::Done; }), QueryOutcome::Done);
        EXPECT_FALSE(progress.WasShown());
    }

    BackgroundWork progress(&owner);
    bool cancelledByUser = false;
    QTimer::singleShot(300, [&] {
        auto* dialog = owner.findChild<QProgressDialog*>("QueryProgressDialog");
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        auto* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        cancel->click();
        cancelledByUser = true;
    });
    QElapsedTimer timer;
    timer.start();
    const QueryOutcome outcome = progress.Run([](const FetchProgress& step) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the engine before its first row
        for (int rows = 0; rows < 1000; ++rows) {
            if (!step(static_cast<size_t>(rows)))
                return QueryOutcome::Cancelled;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return QueryOutcome::Done;
    });
    EXPECT_EQ(outcome, QueryOutcome::Cancelled);
    EXPECT_TRUE(cancelledByUser);
    EXPECT_TRUE(progress.WasShown());
    EXPECT_LT(timer.elapsed(), 5000);  // not the ten seconds the read would have taken
}

TEST_F(ReportWindow, OpenTicketsShowTheJobsStateAndPromisedDaySortByItAndMarkTheOverdue)
{
    const QDate today = QDate::currentDate();
    Save(Ticket("Smith", "Dana", QDate(2004, 1, 5), QDate(), 1, 1, "Printer jams"));
    Save(Ticket("Jones", "Eve", QDate(2003, 6, 1), QDate(), 1, 1, "Slow disk"));
    Save(Ticket("Brown", "Dana", QDate(2002, 1, 1), QDate(), 1, 1, "No job row"));
    Save(Ticket("Green", "Eve", QDate(2005, 1, 1), QDate(), 1, 1, "Due today"));
    const auto day = [](const QDate& date) { return "'" + date.toString(Qt::ISODate).toStdString() + "'"; };
    // Smith's day has passed; Jones stored the last state while open (another
    // program reopened it); Green has a Job row without a state; Brown has none.
    Query("INSERT INTO Job (ProblemID, State, PromisedBy) VALUES (1, 'In repair', " + day(today.addDays(-1)) +
          ");\n"
          "INSERT INTO Job (ProblemID, State, PromisedBy) VALUES (2, 'Collected', " +
          day(today.addDays(5)) +
          ");\n"
          "INSERT INTO Job (ProblemID, State, PromisedBy) VALUES (4, NULL, " +
          day(today) + ");\nCOMMIT;\n");

    TOpenTicketsDialog dialog(window.get(), window->GetConnection(), {"Dana", "Eve"},
                              {"Checked in", "In repair", "Ready", "Collected"});
    dialog.show();
    ASSERT_TRUE(dialog.Reload());
    QTableView* view = dialog.TicketsTableView;
    QAbstractItemModel* model = view->model();
    ASSERT_EQ(model->columnCount(), 8);
    QStringList headers;
    for (int column = 0; column < 8; ++column)
        headers << model->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(
        headers,
        QStringList({"Assigned", "Age (days)", "Customer", "Technician", "Problem", "Hours", "State", "Promised"}));
    const auto column = [&](int at) {
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts << ModelText(view, row, at);
        return texts;
    };
    // The order of assignment stays the first one.
    EXPECT_EQ(column(2), QStringList({"Brown", "Jones", "Smith", "Green"}));
    EXPECT_EQ(column(6), QStringList({"Checked in", "Ready", "In repair", "Checked in"}));
    EXPECT_EQ(
        column(7),
        QStringList({"", ShortDateText(today.addDays(5)), ShortDateText(today.addDays(-1)), ShortDateText(today)}));

    // Only the row whose day has passed is marked, in the palette's colour and in words.
    const QBrush warning = view->palette().brush(QPalette::Link);
    for (int row = 0; row < model->rowCount(); ++row) {
        const bool overdue = ModelText(view, row, 2) == "Smith";
        for (int at = 0; at < 8; ++at) {
            const QModelIndex cell = model->index(row, at);
            EXPECT_EQ(cell.data(Qt::ForegroundRole).value<QBrush>() == warning &&
                          cell.data(Qt::ForegroundRole).isValid(),
                      overdue)
                << row << "," << at;
            EXPECT_EQ(cell.data(Qt::AccessibleDescriptionRole).toString(), overdue ? "Overdue" : "") << row;
        }
        EXPECT_EQ(model->index(row, 7).data(Qt::AccessibleTextRole).toString().contains("Overdue"), overdue);
    }

    dialog.SortByPromisedCheckBox->setChecked(true);
    EXPECT_EQ(column(2), QStringList({"Smith", "Green", "Jones", "Brown"}));

    // The two filters together; "All" comes first.
    ASSERT_EQ(dialog.StateFilterComboBox->count(), 5);
    EXPECT_EQ(dialog.StateFilterComboBox->itemText(0), "All");
    dialog.StateFilterComboBox->setCurrentText("Checked in");
    EXPECT_EQ(column(2), QStringList({"Green", "Brown"}));
    dialog.TechnicianFilterComboBox->setCurrentText("Dana");
    EXPECT_EQ(column(2), QStringList({"Brown"}));
    dialog.StateFilterComboBox->setCurrentText("Ready");
    EXPECT_EQ(column(2), QStringList());
    dialog.TechnicianFilterComboBox->setCurrentText("Eve");
    EXPECT_EQ(column(2), QStringList({"Jones"}));
    dialog.SortByPromisedCheckBox->setChecked(false);
    dialog.StateFilterComboBox->setCurrentIndex(0);
    EXPECT_EQ(column(2), QStringList({"Jones", "Green"}));
    EXPECT_EQ(dialog.TicketCountLabel->text(), "2");
    EXPECT_TRUE(fake->errors.isEmpty()) << fake->errors.join("|").toStdString();
    dialog.hide();

    // The menu's list offers the shop's states.
    EXPECT_TRUE(Drive<TOpenTicketsDialog>(Find<QAction>("OpenTicketsViewMenu"), [&](TOpenTicketsDialog& shown) {
        const QStringList states = window->JobStates();
        ASSERT_EQ(shown.StateFilterComboBox->count(), states.size() + 1);
        EXPECT_EQ(shown.StateFilterComboBox->itemText(1), states.front());
        EXPECT_EQ(ModelText(shown.TicketsTableView, 0, 6), states.front());  // Brown, without a Job row
    }));
}
