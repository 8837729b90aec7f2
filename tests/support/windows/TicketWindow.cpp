#include "tests/support/windows/TicketWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <regex>
#include <stdexcept>
#include <unistd.h>

#include "app/ReportView.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "dialogs/ReportDates.h"

namespace {

std::string CurrentFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

}  // namespace

DBFrameWork::TicketRecord TypedTicket()
{
    DBFrameWork::TicketRecord ticket;
    ticket.Customer.Name = "John Smith";
    ticket.Customer.Address = "12 Elm Street\r\nSuite 4";
    ticket.Customer.City = "Springfield";
    ticket.Customer.State = "IL";
    ticket.Customer.Zip = "62701";
    ticket.Problem.Technician = "Dana";
    ticket.Problem.Assigned = {2004, 12, 25};
    ticket.Problem.ActualHours = 3;
    ticket.Problem.BillableHours = 2;
    ticket.Problem.Description = "Printer jams on every page";
    ticket.Problem.Resolution = "Replaced the roller";
    ticket.Problem.Comment = "Customer asked for a call back";
    ticket.SystemInfo.OperatingSystem = "Windows XP";
    return ticket;
}

QString MemoText(const std::string& stored)
{
    return QString::fromStdString(stored).replace("\r\n", "\n");
}

TicketWindow::TicketWindow() : previousFolder(CurrentFolder())
{
    if (chdir(work.Path().c_str()) != 0)
        throw std::runtime_error("cannot enter " + work.Path());
    form = std::make_unique<TMainForm>(ProgramPaths::InFolder(QString::fromStdString(work.Path())));
    form->show();
    fake.messages.clear();
}

TicketWindow::~TicketWindow()
{
    form.reset();
    if (chdir(previousFolder.c_str()) != 0)
        ADD_FAILURE() << "cannot return to " << previousFolder;
}

void TicketWindow::Fill(const DBFrameWork::TicketRecord& ticket)
{
    const DBFrameWork::CustomerRecord& customer = ticket.Customer;
    const DBFrameWork::ProblemRecord& problem = ticket.Problem;
    Find<QLineEdit>("NameEdit")->setText(QString::fromStdString(customer.Name));
    Find<QPlainTextEdit>("AddressMemo")->setPlainText(MemoText(customer.Address));
    Find<QComboBox>("CityComboBox")->setEditText(QString::fromStdString(customer.City));
    Find<QComboBox>("StateComboBox")->setEditText(QString::fromStdString(customer.State));
    Find<QComboBox>("ZipComboBox")->setEditText(QString::fromStdString(customer.Zip));
    Find<QComboBox>("TechnicianComboBox")->setEditText(QString::fromStdString(problem.Technician));
    Find<QDateEdit>("AssignmentDatePicker")->setDate(ToQDate(problem.Assigned));
    Find<QCheckBox>("CompleteCheckBox")->setChecked(problem.Completed.IsSet());
    if (problem.Completed.IsSet())
        Find<QDateEdit>("CompletedDatePicker")->setDate(ToQDate(problem.Completed));
    Find<QSpinBox>("ActualHoursEdit")->setValue(problem.ActualHours);
    Find<QSpinBox>("BillableHoursEdit")->setValue(problem.BillableHours);
    Find<QComboBox>("OperatingSystemComboBox")->setEditText(QString::fromStdString(ticket.SystemInfo.OperatingSystem));
    Find<QTextEdit>("ProblemRichEdit")->setPlainText(QString::fromStdString(problem.Description));
    Find<QTextEdit>("ResolutionRichEdit")->setPlainText(QString::fromStdString(problem.Resolution));
    Find<QTextEdit>("CommentsRichEdit")->setPlainText(QString::fromStdString(problem.Comment));
}

void TicketWindow::ImportReport(const std::string& text)
{
    const std::string path = work.File("import.htm");
    TestSupport::WriteFile(path, text);
    fake.QueueFile(QString::fromStdString(path));
    form->ImportSysInfoButtonClick();
}

int32_t TicketWindow::SaveTicket(const DBFrameWork::TicketRecord& ticket)
{
    form->NewFileMenuClick();
    Fill(ticket);
    if (!ticket.SystemInfo.Report.empty())
        ImportReport(ticket.SystemInfo.Report);
    const int messages = fake.messages.size();
    if (!form->SaveProblem())
        throw std::runtime_error("the ticket of " + ticket.Customer.Name + " was not saved");
    EXPECT_EQ(fake.messages.size(), messages);
    fake.messages.clear();
    return form->GetProblemID();
}

void TicketWindow::Open(const std::function<void(TOpenProblemDialog&)>& steps)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<TOpenProblemDialog*>(widget);
            if (dialog && dialog->isVisible()) {
                ran = true;
                steps(*dialog);
                if (dialog->isVisible())
                    dialog->reject();
                return;
            }
        }
    });
    Find<QAction>("OpenFileMenu")->trigger();
    EXPECT_TRUE(ran) << "the open dialog was not shown";
}

void TicketWindow::OpenByName(const QString& name, int row)
{
    Open([&](TOpenProblemDialog& dialog) {
        SearchCustomer(dialog, name);
        ClickRow(dialog, row);
        dialog.OKButton->click();
    });
}

void TicketWindow::Execute(const std::string& sql)
{
    DBFrameWork::DBConnection* connection = Connection();
    connection->StartTransaction(true);
    try {
        IBPP::Statement statement = connection->GetStatement();
        statement->ExecuteImmediate(sql);
        statement.reset();
        connection->Commit();
    } catch (...) {
        connection->Rollback();
        throw;
    }
}

int TicketWindow::CountRows(const std::string& table)
{
    DBFrameWork::DBConnection* connection = Connection();
    connection->StartTransaction(false);
    IBPP::Statement statement = connection->GetStatement();
    statement->Prepare("SELECT COUNT(*) FROM " + table);
    statement->Execute();
    int32_t count = -1;
    if (!statement->Fetch() || statement->Get(1, count))
        count = -1;
    statement->Close();
    statement.reset();
    connection->Commit();
    return count;
}

std::string TicketWindow::StoredReport(int32_t problemID)
{
    DBFrameWork::SystemInfo systemInfo(Connection());
    if (!systemInfo.Select({std::to_string(problemID)}))
        throw std::runtime_error("SystemInfo select failed");
    const DBFrameWork::StringList values = systemInfo.GetValues();
    return values.size() == 3 ? values[2] : std::string("<no report column>");
}

void SearchCustomer(TOpenProblemDialog& dialog, const QString& term)
{
    dialog.CustomerNameEdit->setText(term);
    dialog.CustomerSearchButton->click();
}

void SearchDescription(TOpenProblemDialog& dialog, const QString& term)
{
    dialog.Edit1->setText(term);
    dialog.ProblemDescriptionSearchButton->click();
}

void ClickRow(TOpenProblemDialog& dialog, int row)
{
    QTableWidget* grid = dialog.SearchResultsStringGrid;
    grid->scrollToItem(grid->item(row, 0));
    const QRect cell = grid->visualItemRect(grid->item(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

QString Cell(TOpenProblemDialog& dialog, int row, int column)
{
    const QTableWidgetItem* item = dialog.SearchResultsStringGrid->item(row, column);
    return item ? item->text() : QString();
}

std::string TicketWindow::ViewedReport()
{
    std::string viewed = TestSupport::ReadFile(form->GetPaths().TemporaryReportFile.toStdString());
    const std::string policy = ReportView::Policy;
    // Only a byte order mark and a document type may stand before it.
    const size_t at = viewed.find(policy);
    const std::string before = at == std::string::npos ? "" : viewed.substr(0, at);
    static const std::regex allowed(R"(^(\xEF\xBB\xBF)?(\s*<!doctype[^>]*>)?$)", std::regex::icase);
    if (at == std::string::npos || !std::regex_match(before, allowed)) {
        ADD_FAILURE() << "the viewed report does not begin with the security policy: " << viewed.substr(0, 200);
        return viewed;
    }
    return viewed.erase(at, policy.size());
}
