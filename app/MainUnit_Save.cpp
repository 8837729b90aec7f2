// Saving the ticket shown: the window's fields go to the ticket store.
#include "app/MainUnit.h"

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
    if (!stored)
        return false;
    IsNewProblem = false;
    RefreshCustomerHistory();
    return true;
}
