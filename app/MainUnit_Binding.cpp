// The ticket's fields and the controls that show them: the window fills a
// ticket record from its controls and shows a record in them.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextEdit>

#include "app/CounterControls.h"
#include "app/FilesPage.h"
#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_Columns.h"
#include "dialogs/ReportDates.h"

namespace {

using DBFrameWork::TicketRecord;
namespace Customer = DBFrameWork::CustomerColumn;
namespace Problem = DBFrameWork::ProblemColumn;
namespace SystemInfo = DBFrameWork::SystemInfoColumn;

QString ControlText(const QWidget* control)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control)) {
        QString text = memo->toPlainText();
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return text;
    }
    if (const auto* rich = qobject_cast<const QTextEdit*>(control))
        return rich->toPlainText();
    return QString();
}

void SetControlText(QWidget* control, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->isEditable())
            combo->setEditText(text);
        else
            combo->setCurrentText(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
        QString lines = text;
        lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        memo->setPlainText(lines);
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        rich->setPlainText(text);
    }
}

}  // namespace

std::vector<TMainForm::TextBinding> TMainForm::TextBindings() const
{
    const DBFrameWork::TableDefinition& customer = DBFrameWork::CustomerTable();
    const DBFrameWork::TableDefinition& problem = DBFrameWork::ProblemTable();
    const DBFrameWork::TableDefinition& systemInfo = DBFrameWork::SystemInfoTable();
    return {
        {NameEdit, customer, customer.Columns[Customer::Name],
         [](TicketRecord& ticket) -> std::string& { return ticket.Customer.Name; }},
        {AddressMemo, customer, customer.Columns[Customer::Address],
         [](TicketRecord& ticket) -> std::string& { return ticket.Customer.Address; }},
        {CityComboBox, customer, customer.Columns[Customer::City],
         [](TicketRecord& ticket) -> std::string& { return ticket.Customer.City; }},
        {StateComboBox, customer, customer.Columns[Customer::State],
         [](TicketRecord& ticket) -> std::string& { return ticket.Customer.State; }},
        {ZipComboBox, customer, customer.Columns[Customer::Zip],
         [](TicketRecord& ticket) -> std::string& { return ticket.Customer.Zip; }},
        {TechnicianComboBox, problem, problem.Columns[Problem::Technician],
         [](TicketRecord& ticket) -> std::string& { return ticket.Problem.Technician; }},
        {OperatingSystemComboBox, systemInfo, systemInfo.Columns[SystemInfo::OperatingSystem],
         [](TicketRecord& ticket) -> std::string& { return ticket.SystemInfo.OperatingSystem; }},
        {ProblemRichEdit, problem, problem.Columns[Problem::Description],
         [](TicketRecord& ticket) -> std::string& { return ticket.Problem.Description; }},
        {ResolutionRichEdit, problem, problem.Columns[Problem::Resolution],
         [](TicketRecord& ticket) -> std::string& { return ticket.Problem.Resolution; }},
        {CommentsRichEdit, problem, problem.Columns[Problem::Comment],
         [](TicketRecord& ticket) -> std::string& { return ticket.Problem.Comment; }},
    };
}

TicketRecord TMainForm::TicketFromControls() const
{
    TicketRecord ticket;
    for (const TextBinding& binding : TextBindings())
        binding.Field(ticket) = ControlText(binding.Control).toStdString();
    ticket.Customer.CustomerID = CustomerID;
    ticket.Problem.ProblemID = ProblemID;
    ticket.Problem.CustomerID = CustomerID;
    ticket.Problem.Assigned = ToCalendarDate(AssignmentDatePicker->date());
    if (CompleteCheckBox->isChecked())
        ticket.Problem.Completed = ToCalendarDate(CompletedDatePicker->date());
    ticket.Problem.BillableHours = BillableHoursEdit->value();
    ticket.Problem.ActualHours = ActualHoursEdit->value();
    ticket.SystemInfo.ProblemID = ProblemID;
    ticket.SystemInfo.Report = SystemInfoText;
    Counter->Fill(ticket);
    FilesPage->Fill(ticket);
    return ticket;
}

void TMainForm::ShowFields(const DBFrameWork::TableDefinition& table, TicketRecord ticket)
{
    for (const TextBinding& binding : TextBindings()) {
        const std::string& value = binding.Field(ticket);
        if (&binding.Table == &table && !value.empty())
            SetControlText(binding.Control, QString::fromStdString(value));
    }
}

void TMainForm::ShowProblem(const DBFrameWork::ProblemRecord& problem)
{
    ProblemID = problem.ProblemID;
    TicketRecord ticket;
    ticket.Problem = problem;
    ShowFields(DBFrameWork::ProblemTable(), ticket);
    if (problem.Assigned.IsSet())
        AssignmentDatePicker->setDate(ToQDate(problem.Assigned));
    CompleteCheckBox->setChecked(problem.Completed.IsSet());
    if (problem.Completed.IsSet())
        CompletedDatePicker->setDate(ToQDate(problem.Completed));
    BillableHoursEdit->setValue(problem.BillableHours);
    ActualHoursEdit->setValue(problem.ActualHours);
    CustomerID = problem.CustomerID;
}

void TMainForm::ShowCustomer(const DBFrameWork::CustomerRecord& customer)
{
    CustomerID = customer.CustomerID;
    TicketRecord ticket;
    ticket.Customer = customer;
    ShowFields(DBFrameWork::CustomerTable(), ticket);
}

void TMainForm::ShowSystemInfo(const DBFrameWork::SystemInfoRecord& systemInfo)
{
    // A ticket without its row reads the unfilled row, key 0: a mismatch too.
    if (systemInfo.ProblemID != ProblemID)
        throw ApplicationError("System Information doesn't match problem!");
    TicketRecord ticket;
    ticket.SystemInfo = systemInfo;
    ShowFields(DBFrameWork::SystemInfoTable(), ticket);
    if (!systemInfo.Report.empty())
        SystemInfoText = systemInfo.Report;
}

void TMainForm::ShowPlaceholders()
{
    for (const TextBinding& binding : TextBindings())
        SetControlText(binding.Control, binding.Column.Placeholder);
}

void TMainForm::ClearPlaceholders()
{
    for (const TextBinding& binding : TextBindings())
        if (*binding.Column.Placeholder != '\0')
            SetControlText(binding.Control, QString());
}

bool TMainForm::HasPlaceholderText() const
{
    for (const TextBinding& binding : TextBindings())
        if (*binding.Column.Placeholder != '\0' && ControlText(binding.Control) == binding.Column.Placeholder)
            return true;
    return false;
}

QString TMainForm::AddressText() const
{
    return ControlText(AddressMemo);
}

void TMainForm::SetAddressText(const QString& text)
{
    SetControlText(AddressMemo, text);
}
