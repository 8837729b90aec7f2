// The entry point: checks the client library, names the application, creates
// the one main window and runs the event loop.
#include <QApplication>
#include <QCursor>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "app/DesktopIdentity.h"
#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/Interaction.h"
#include "ibpp/ibpp.h"

namespace {

bool QuitRequested = false;

// Ctrl+C and SIGTERM end the program in order: the event loop returns and the
// window disconnects. Safe to call from any thread.
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

// Until the engine takes these signals over at the first attach, they arrive
// here and reach the event loop through a pipe.
int SignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &byte, 1);
}

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

// Signals that came before the event loop wait in the pipe until it runs.
void WatchSignalPipe(QObject* owner)
{
    if (SignalPipe[0] < 0)
        return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char byte;
        while (read(SignalPipe[0], &byte, 1) > 0) {
        }
        QuitInOrder(SIGINT);
    });
}

// VELMORA_STARTUP_PROBE=1 prints the monotonic clock when the window shows
// "Connected..." and quits, so that start-up can be timed from outside.
void ProbeStartup()
{
    if (!qEnvironmentVariableIsSet("VELMORA_STARTUP_PROBE"))
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("Connected... %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    QuitInOrder(0);
}

}  // namespace

int main(int argc, char** argv)
{
    InstallSignalPipe();
    QApplication application(argc, argv);
    WatchSignalPipe(&application);
    // The running window is matched to its menu entry and shows the same icon.
    QGuiApplication::setDesktopFileName(DesktopIdentity::DesktopFileName);
    QApplication::setWindowIcon(DesktopIdentity::Icon());
    try {
        bool versionMatches = false;
        try {
            versionMatches = IBPP::CheckVersion(IBPP::Version);
        } catch (const IBPP::Exception& error) {
            throw ApplicationError(error.ErrorMessage());
        } catch (...) {
            throw ApplicationError("Uncaught Error occured during connection library version check!");
        }
        if (!versionMatches) {
            Interaction::ShowMessage("Connection library is incorrect version, exiting!");
            IBPP::Shutdown();
            return 0;
        }

        Interaction::NameApplication();
        DBFrameWork::SetMessageHandler(
            [](const std::string& text) { Interaction::ShowMessage(QString::fromStdString(text)); });
        IBPP::SetInterruptHandler(QuitInOrder);

        TMainForm mainForm(ProgramPaths::ForThisCopy());
        mainForm.show();
        ProbeStartup();
        // A quit asked for while start-up still ran has not ended any loop yet.
        QCoreApplication::processEvents();
        if (!QuitRequested)
            QApplication::exec();
        // A program ended by a signal (the system going down) does not wait for a backup.
        if (!QuitRequested)
            mainForm.BackupOnExit(std::time(nullptr));
    } catch (const std::exception& error) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        Interaction::ShowError(QString::fromStdString(error.what()));
    }
    // An engine that never answered a call would hold the exit handlers too.
    if (!IBPP::Shutdown()) {
        std::fflush(nullptr);
        _exit(0);
    }
    return 0;
}
