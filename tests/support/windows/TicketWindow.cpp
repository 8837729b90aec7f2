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

namespace {

std::string CurrentFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

}  // namespace

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

void TicketWindow::Fill(const TicketFields& ticket)
{
    form->NameEdit->setText(ticket.name);
    form->AddressMemo->setPlainText(ticket.address);
    form->CityComboBox->setEditText(ticket.city);
    form->StateComboBox->setEditText(ticket.state);
    form->ZipComboBox->setEditText(ticket.zip);
    form->TechnicianComboBox->setEditText(ticket.technician);
    form->AssignmentDatePicker->setDate(ticket.assigned);
    form->CompleteCheckBox->setChecked(ticket.completed.isValid());
    if (ticket.completed.isValid())
        form->CompletedDatePicker->setDate(ticket.completed);
    form->ActualHoursEdit->setValue(ticket.actualHours);
    form->BillableHoursEdit->setValue(ticket.billableHours);
    form->OperatingSystemComboBox->setEditText(ticket.operatingSystem);
    form->ProblemRichEdit->setPlainText(ticket.problem);
    form->ResolutionRichEdit->setPlainText(ticket.resolution);
    form->CommentsRichEdit->setPlainText(ticket.comment);
}

void TicketWindow::ImportReport(const std::string& text)
{
    const std::string path = work.File("import.htm");
    TestSupport::WriteFile(path, text);
    fake.QueueFile(QString::fromStdString(path));
    form->ImportSysInfoButtonClick();
}

int32_t TicketWindow::SaveTicket(const TicketFields& ticket)
{
    form->NewFileMenuClick();
    Fill(ticket);
    if (!ticket.report.empty())
        ImportReport(ticket.report);
    const int messages = fake.messages.size();
    if (!form->SaveProblem())
        throw std::runtime_error("the ticket of " + ticket.name.toStdString() + " was not saved");
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
    form->OpenFileMenu->trigger();
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
