#include "tests/support/windows/ModalDriver.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <memory>

namespace {

struct Pending {
    bool finished = false;
    bool shown = false;
    std::function<bool(QWidget*)> steps;
};

// Looks again until the dialog is up; stops once the trigger has returned.
void Poll(const std::shared_ptr<Pending>& pending)
{
    if (pending->finished)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && pending->steps(modal)) {
        pending->shown = true;
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog && dialog->isVisible())
            dialog->reject();
        return;
    }
    QTimer::singleShot(5, [pending] { Poll(pending); });
}

}  // namespace

bool RunWithModal(const std::function<void()>& trigger, const std::function<bool(QWidget*)>& steps)
{
    auto pending = std::make_shared<Pending>();
    pending->steps = steps;
    QTimer::singleShot(0, [pending] { Poll(pending); });
    trigger();
    pending->finished = true;
    return pending->shown;
}
