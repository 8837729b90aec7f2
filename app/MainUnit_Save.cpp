// Saving the ticket shown: the window's fields go to the ticket store.
#include "app/CounterControls.h"
#include "app/FilesPage.h"
#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_JobStore.h"

#include "dialogs/Interaction.h"

void TMainForm::SaveFileMenuClick()
{
    if (DataFileIsNewer) {
        Interaction::ShowMessage("This data file was written by a newer version of the program: nothing is saved "
                                 "to it.");
        return;
    }
    Interaction::ShowMessage(SaveProblem() ? "Save Successfull!" : "Save Failed!!");
}

bool TMainForm::SaveProblem()
{
    if (HasPlaceholderText() || DataFileIsNewer)
        return false;
    DBFrameWork::TicketRecord ticket = TicketFromControls();
    const bool stored = Tickets.Save(*Connection, ticket, IsNewProblem);
    // The keys the save used stay with the window, stored or not: a failed
    // save of a new ticket is tried again with the same keys.
    CustomerID = ticket.Customer.CustomerID;
    ProblemID = ticket.Problem.ProblemID;
    FilesPage->SaveEnded(ticket.Files, stored);
    if (!stored)
        return false;
    IsNewProblem = false;
    // The keys the store gave the job and its device, and the history with
    // this save's change; only a ticket with a job has a state to log.
    Counter->Show(ticket);
    ticket.History = JobHistory;
    if (ticket.Job.Stored)
        DBFrameWork::ReadJobHistory(*Connection, ProblemID, ticket.History);
    ShowCounterHistory(ticket);
    RefreshCustomerHistory();
    return true;
}
