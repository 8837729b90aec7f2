// Drives a modal dialog without a person: the steps run once the dialog is
// shown modally; a dialog the steps leave open is cancelled.
#pragma once

#include <QWidget>
#include <functional>

// Runs trigger; true when a modal widget that steps accepted was shown during it.
bool RunWithModal(const std::function<void()>& trigger, const std::function<bool(QWidget*)>& steps);

template <class Dialog>
bool WhileShown(const std::function<void()>& trigger, const std::function<void(Dialog&)>& steps)
{
    return RunWithModal(trigger, [&steps](QWidget* widget) {
        auto* dialog = qobject_cast<Dialog*>(widget);
        if (!dialog)
            return false;
        steps(*dialog);
        return true;
    });
}
