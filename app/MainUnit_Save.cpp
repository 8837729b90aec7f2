// Saving the ticket shown as its customer, problem and system-information rows.
#include "app/MainUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextEdit>
#include <exception>

#include "app/DateText.h"
#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "dialogs/Interaction.h"

namespace {

std::string Text(const QString& text)
{
    return text.toStdString();
}

// Stores one row. A row that may already be stored is updated; an update that
// changed no row stored nothing, so the row is inserted after all.
bool StoreRow(DBFrameWork::DBObjectBase& table, const DBFrameWork::StringList& values, bool mayBeStored)
{
    table.SetValues(values);
    if (mayBeStored) {
        if (!table.Update())
            return false;
        if (table.GetRowsChanged() > 0)
            return true;
    }
    return table.Insert();
}

}  // namespace

void TMainForm::SaveFileMenuClick()
{
    Interaction::ShowMessage(SaveProblem() ? "Save Successfull!" : "Save Failed!!");
}

bool TMainForm::SaveProblem()
{
    if (HasPlaceholderText())
        return false;

    // One save is one transaction: the table operations join it, so the three
    // rows are stored together or not at all, whatever ends the program.
    // Generator draws are outside it (the engine never takes them back).
    DBFrameWork::DBConnection& connection = *Connection;
    connection.StartTransaction(true);
    // No transaction starts without the attachment; the table operations then
    // fail as they always did (nothing can be stored), and the library's
    // error reaches the error box.
    const bool owned = connection.IsTransactionActive();
    bool stored = false;
    try {
        stored = StoreTicket();
        if (stored && owned)
            connection.Commit();
    } catch (const IBPP::Exception& error) {
        if (!owned)
            throw;
        DBFrameWork::OutputDebugString(error.ErrorMessage());
        stored = false;
    } catch (const std::exception& error) {
        if (!owned)
            throw;
        DBFrameWork::OutputDebugString(std::string("Uncaught Exception in TMainForm::SaveProblem: ") + error.what());
        stored = false;
    }
    if (!stored) {
        bool rolledBack = false;
        if (owned && connection.IsTransactionActive()) {
            try {
                connection.Rollback();
                rolledBack = true;
            } catch (const IBPP::Exception& error) {
                DBFrameWork::OutputDebugString(error.ErrorMessage());
            }
        }
        // After a rollback none of the rows exist, and the next attempt
        // inserts them at once: an update first would have sent every report
        // twice, the unused copy holding its pages until the end of the
        // transaction, so a save that failed on a full disk failed again once
        // there was room for the ticket.
        PendingRowsMayBeStored = !rolledBack;
        return false;
    }
    IsNewProblem = false;
    PendingProblemID = 0;
    PendingRowsMayBeStored = false;
    RefreshCustomerHistory();
    return true;
}

bool TMainForm::StoreTicket()
{
    DBFrameWork::Customer customer(Connection.get());
    DBFrameWork::Problem problem(Connection.get());
    DBFrameWork::SystemInfo systemInfo(Connection.get());

    const DBFrameWork::StringList customerFields = {Text(NameEdit->text()), Text(AddressText()),
                                                    Text(CityComboBox->currentText()),
                                                    Text(StateComboBox->currentText()),
                                                    Text(ZipComboBox->currentText())};
    if (!customer.SelectByAll(customerFields))
        return false;

    CustomerID = -1;
    const DBFrameWork::StringList found = customer.GetValues();
    if (!found.empty() && !found.front().empty() && found.front() != "0")
        CustomerID = DBFrameWork::ToInt(found.front());

    // A customer that matches no stored one is added, for an opened ticket too.
    const bool customerIsNew = CustomerID == -1;
    if (customerIsNew) {
        CustomerID = customer.GetGenerator("CustomerIDValue", 1);
        // Key 0 reads as "no customer" in the search: never store it.
        if (CustomerID <= 0)
            return false;
    }
    DBFrameWork::StringList customerRow = {std::to_string(CustomerID)};
    customerRow.insert(customerRow.end(), customerFields.begin(), customerFields.end());
    if (!StoreRow(customer, customerRow, !customerIsNew))
        return false;

    // A new ticket keeps the key drawn by an earlier attempt that failed (its
    // rows were rolled back, the key was not): no key is drawn twice for it.
    bool ticketMayBeStored = !IsNewProblem;
    if (IsNewProblem) {
        if (PendingProblemID > 0) {
            ProblemID = PendingProblemID;
            ticketMayBeStored = PendingRowsMayBeStored;
        } else {
            const int drawn = problem.GetGenerator("ProblemIDValue", 1);
            if (drawn <= 0)
                return false;
            ProblemID = drawn;
            PendingProblemID = drawn;
        }
    }

    const std::string problemKey = std::to_string(ProblemID);
    const DBFrameWork::StringList problemRow = {
        problemKey,
        Text(TechnicianComboBox->currentText()),
        Text(DateToDataText(AssignmentDatePicker->date())),
        CompleteCheckBox->isChecked() ? Text(DateToDataText(CompletedDatePicker->date())) : std::string(),
        std::to_string(BillableHoursEdit->value()),
        std::to_string(ActualHoursEdit->value()),
        Text(ProblemRichEdit->toPlainText()),
        Text(ResolutionRichEdit->toPlainText()),
        Text(CommentsRichEdit->toPlainText()),
        std::to_string(CustomerID)};
    if (!StoreRow(problem, problemRow, ticketMayBeStored))
        return false;

    const DBFrameWork::StringList systemInfoRow = {problemKey, Text(OperatingSystemComboBox->currentText()),
                                                   SystemInfoText};
    return StoreRow(systemInfo, systemInfoRow, ticketMayBeStored);
}
