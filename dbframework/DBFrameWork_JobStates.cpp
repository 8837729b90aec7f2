#include "dbframework/DBFrameWork_JobStates.h"

namespace DBFrameWork {

std::string ShownState(const std::string& stored, bool completed, const StringList& states)
{
    if (states.empty())
        return stored;
    if (completed)
        return states.back();
    if (stored.empty())
        return states.front();
    if (IsFinalState(stored, states))
        return states.size() > 1 ? states[states.size() - 2] : std::string();
    return stored;
}

bool IsFinalState(const std::string& state, const StringList& states)
{
    return !states.empty() && state == states.back();
}

}  // namespace DBFrameWork
