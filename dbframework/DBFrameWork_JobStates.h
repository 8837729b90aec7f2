// The state a job shows. The shop's list is ordered from checking in to
// handing back; its last state means the job is done, so it and Completed
// always agree, whatever another program stored.
#pragma once

#include <string>

#include "dbframework/DBFrameWork_Columns.h"

namespace DBFrameWork {

// The state shown for a stored state ("" when the ticket has none). A
// completed job shows the last state; an open one shows its stored state, the
// first for none, and the one before the last for the last (a ticket reopened
// by a program that knows no states).
std::string ShownState(const std::string& stored, bool completed, const StringList& states);

// Whether state is the one that completes a job.
bool IsFinalState(const std::string& state, const StringList& states);

}  // namespace DBFrameWork
