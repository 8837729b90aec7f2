// Opening a stored ticket: the search dialog, then the ticket's three rows.
#include "app/CounterControls.h"
#include "app/FilesPage.h"
#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dialogs/OpenProblemDialogUnit.h"

void TMainForm::OpenFileMenuClick()
{
    TOpenProblemDialog dialog(nullptr, Connection.get());
    if (!dialog.Execute())
        return;
    const DBFrameWork::StringList selected = dialog.GetSelectedValues();
    // OK without a chosen ticket is a Cancel: the ticket shown stays as it is.
    if (selected.size() != DBFrameWork::ProblemColumn::Count)
        return;
    ShowStoredProblem(selected);
}

bool TMainForm::OpenStoredProblem(int32_t problemId)
{
    DBFrameWork::Problem problem(Connection.get());
    // Select reads an unfilled row, key "0", when no ticket has the key.
    if (!problem.Select({std::to_string(problemId)}) ||
        problem.GetValues().at(DBFrameWork::ProblemColumn::ProblemID) != std::to_string(problemId))
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
        ClearPlaceholders();
        SystemInfoText.clear();

        DBFrameWork::TicketRecord ticket;
        ticket.Problem.ProblemID = ProblemID;
        ticket.Problem.CustomerID = CustomerID;
        const DBFrameWork::TicketLoad load = Tickets.Load(*Connection, problemValues, ticket);
        ShowProblem(ticket.Problem);
        if (load == DBFrameWork::TicketLoad::CustomerMissing) {
            NewFileMenuClick();
            return;
        }
        ShowCustomer(ticket.Customer);
        if (load == DBFrameWork::TicketLoad::SystemInfoMissing) {
            NewFileMenuClick();
            return;
        }
        ShowSystemInfo(ticket.SystemInfo);
        Counter->Show(ticket);
        FilesPage->Show(ticket.Files);
        ShowCounterHistory(ticket);
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
    DBFrameWork::ProblemRecord problem;
    if (DBFrameWork::ReadValues(values, problem))
        ShowProblem(problem);
}

void TMainForm::LoadCustomer(const DBFrameWork::StringList& values)
{
    DBFrameWork::CustomerRecord customer;
    if (DBFrameWork::ReadValues(values, customer))
        ShowCustomer(customer);
}

void TMainForm::LoadSystemInfo(const DBFrameWork::StringList& values)
{
    DBFrameWork::SystemInfoRecord systemInfo;
    if (DBFrameWork::ReadValues(values, systemInfo))
        ShowSystemInfo(systemInfo);
}
