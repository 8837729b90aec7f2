#include "app/QuitSignals.h"

#include <QApplication>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

bool QuitRequested = false;

void QuitInOrder(int)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            QuitRequested = true;
            QCoreApplication::quit();
            // A message box of start-up or of the error handler runs outside the event loop.
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        },
        Qt::QueuedConnection);
}

namespace {

int SignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &byte, 1);
}

}  // namespace

void InstallSignalPipe()
{
    if (pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    // A parent may have left these blocked; they must reach us.
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    sigprocmask(SIG_UNBLOCK, &interrupts, nullptr);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void WatchSignalPipe(QObject* owner)
{
    if (SignalPipe[0] < 0)
        return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char byte;
        while (read(SignalPipe[0], &byte, 1) > 0) {}
        QuitInOrder(SIGINT);
    });
}
