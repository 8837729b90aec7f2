#include "app/Program.h"

#include <QApplication>
#include <QCursor>
#include <QThread>
#include <cstdio>
#include <ctime>
#include <unistd.h>

#include "app/DesktopIdentity.h"
#include "app/MainUnit.h"
#include "app/QuitSignals.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/Interaction.h"
#include "ibpp/ibpp.h"

namespace {

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

int RunProgram(int argc, char** argv)
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
        // Background work may speak too: its box waits for the window's thread,
        // and the work goes on meanwhile (the window's thread may be waiting for it).
        DBFrameWork::SetMessageHandler([](const std::string& text) {
            const QString message = QString::fromStdString(text);
            if (QThread::currentThread() == qApp->thread())
                Interaction::ShowMessage(message);
            else
                QMetaObject::invokeMethod(
                    qApp, [message] { Interaction::ShowMessage(message); }, Qt::QueuedConnection);
        });
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
