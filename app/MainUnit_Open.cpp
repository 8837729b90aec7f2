// Opening a stored ticket: the search dialog, then the ticket's three rows.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextEdit>

#include "app/DateText.h"
#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "dialogs/OpenProblemDialogUnit.h"

namespace {

QString Text(const std::string& value)
{
    return QString::fromStdString(value);
}

void SetComboText(QComboBox* combo, const QString& text)
{
    if (combo->isEditable())
        combo->setEditText(text);
    else
        combo->setCurrentText(text);
}

// The reset writes placeholders; a stored ticket whose field is empty shows it
// empty, or a Save of the untouched ticket would be refused.
void ClearPlaceholders(TMainForm& form)
{
    form.NameEdit->clear();
    form.AddressMemo->clear();
    SetComboText(form.CityComboBox, QString());
    SetComboText(form.StateComboBox, QString());
    SetComboText(form.ZipComboBox, QString());
    SetComboText(form.TechnicianComboBox, QString());
    SetComboText(form.OperatingSystemComboBox, QString());
}

}  // namespace

void TMainForm::OpenFileMenuClick()
{
    TOpenProblemDialog dialog(nullptr, Connection.get());
    if (!dialog.Execute())
        return;
    const DBFrameWork::StringList selected = dialog.GetSelectedValues();
    // OK without a chosen ticket is a Cancel: the ticket shown stays as it is.
    if (selected.size() != 10)
        return;
    ShowStoredProblem(selected);
}

bool TMainForm::OpenStoredProblem(int32_t problemId)
{
    DBFrameWork::Problem problem(Connection.get());
    // Select reads an unfilled row, key "0", when no ticket has the key.
    if (!problem.Select({std::to_string(problemId)}) || problem.GetValues().at(0) != std::to_string(problemId))
        return false;
    ShowStoredProblem(problem.GetValues());
    return IsNewProblem == false && ProblemID == problemId;
}

void TMainForm::ShowStoredProblem(const DBFrameWork::StringList& problemValues)
{
    const bool wasNewProblem = IsNewProblem;
    try {
        // Nothing of the ticket shown before may survive into the one opened.
        NewFileMenuClick();
        ClearPlaceholders(*this);
        SystemInfoText.clear();

        LoadProblem(problemValues);
        DBFrameWork::Customer customer(Connection.get());
        if (!customer.Select({std::to_string(CustomerID)})) {
            NewFileMenuClick();
            return;
        }
        LoadCustomer(customer.GetValues());
        DBFrameWork::SystemInfo systemInfo(Connection.get());
        if (!systemInfo.Select({std::to_string(ProblemID)})) {
            NewFileMenuClick();
            return;
        }
        LoadSystemInfo(systemInfo.GetValues());
        IsNewProblem = false;
        RefreshCustomerHistory();
    } catch (...) {
        // A ticket loaded only in part keeps the flag it had before the command.
        IsNewProblem = wasNewProblem;
        throw;
    }
}

void TMainForm::LoadProblem(const DBFrameWork::StringList& values)
{
    if (values.size() != 10)
        return;
    if (!values[0].empty())
        ProblemID = DBFrameWork::ToInt(values[0]);
    if (!values[1].empty())
        SetComboText(TechnicianComboBox, Text(values[1]));
    if (!values[2].empty())
        AssignmentDatePicker->setDate(DataTextToDate(Text(values[2])));
    if (values[3].empty()) {
        CompleteCheckBox->setChecked(false);
    } else {
        CompleteCheckBox->setChecked(true);
        CompletedDatePicker->setDate(DataTextToDate(Text(values[3])));
    }
    if (!values[4].empty())
        BillableHoursEdit->setValue(DBFrameWork::ToInt(values[4]));
    if (!values[5].empty())
        ActualHoursEdit->setValue(DBFrameWork::ToInt(values[5]));
    if (!values[6].empty())
        ProblemRichEdit->setPlainText(Text(values[6]));
    if (!values[7].empty())
        ResolutionRichEdit->setPlainText(Text(values[7]));
    if (!values[8].empty())
        CommentsRichEdit->setPlainText(Text(values[8]));
    if (!values[9].empty())
        CustomerID = DBFrameWork::ToInt(values[9]);
}

void TMainForm::LoadCustomer(const DBFrameWork::StringList& values)
{
    if (values.size() != 6)
        return;
    if (!values[0].empty())
        CustomerID = DBFrameWork::ToInt(values[0]);
    if (!values[1].empty())
        NameEdit->setText(Text(values[1]));
    if (!values[2].empty())
        SetAddressText(Text(values[2]));
    if (!values[3].empty())
        SetComboText(CityComboBox, Text(values[3]));
    if (!values[4].empty())
        SetComboText(StateComboBox, Text(values[4]));
    if (!values[5].empty())
        SetComboText(ZipComboBox, Text(values[5]));
}

void TMainForm::LoadSystemInfo(const DBFrameWork::StringList& values)
{
    if (values.size() != 3)
        return;
    if (!values[0].empty() && DBFrameWork::ToInt(values[0]) != ProblemID)
        throw ApplicationError("System Information doesn't match problem!");
    if (!values[1].empty())
        SetComboText(OperatingSystemComboBox, Text(values[1]));
    if (!values[2].empty())
        SystemInfoText = values[2];
}
