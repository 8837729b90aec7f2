// One desk of the shop in a process of its own, for the several-desks test:
// the real window on a data file through the server, saving tickets in a loop
// ("save") or searching the open dialog in a loop ("search"). Prints what it
// did, as "SAVED n FAILED m MEDIAN ms" or "SEARCHED n FAILED m MEDIAN ms".
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/MainUnit.h"
#include "dialogs/Interaction.h"
#include "dialogs/OpenProblemDialogUnit.h"
#include "ibpp/ibpp.h"
#include "tests/server/DeskWork.h"

namespace {

class Recorder final : public Interaction::Backend {
public:
    void ShowMessage(const QString& text) override { messages.append(text); }
    void ShowError(const QString& text) override { messages.append(text); }
    bool OpenFile(const Interaction::OpenFileRequest&, QString&) override { return false; }
    bool OpenUrl(const QString&) override { return false; }
    QStringList messages;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: server_desk save|search FOLDER DATAFILE COUNT DESK\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Interaction::NameApplication();
    Recorder recorder;
    Interaction::SetBackend(&recorder);
    const std::string mode = argv[1];
    const QString folder = argv[2];
    const int count = std::atoi(argv[4]);
    const int desk = std::atoi(argv[5]);
    DeskWork::WriteSettings(folder.toStdString(), argv[3]);

    int done = 0;
    int failed = 0;
    std::vector<double> milliseconds;
    try {
        TMainForm window(ProgramPaths::InFolder(folder));
        for (int round = 1; round <= count; ++round) {
            QElapsedTimer timer;
            timer.start();
            if (mode == "save") {
                DeskWork::FillTicket(window, desk, round);
                (window.SaveProblem() ? done : failed)++;
            } else {
                TOpenProblemDialog dialog(nullptr, window.GetConnection());
                recorder.messages.clear();
                dialog.CustomerNameEdit->setText(round % 2 ? "Shared" : "Desk");
                dialog.CustomerSearchButton->click();
                dialog.Edit1->setText("Printer");
                dialog.ProblemDescriptionSearchButton->click();
                (recorder.messages.isEmpty() ? done : failed)++;
            }
            milliseconds.push_back(timer.nsecsElapsed() / 1e6);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "desk %d: %s\n", desk, error.what());
        return 1;
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("%s %d FAILED %d MEDIAN %.3f\n", mode == "save" ? "SAVED" : "SEARCHED", done, failed,
                milliseconds.empty() ? 0.0 : milliseconds[milliseconds.size() / 2]);
    Interaction::SetBackend(nullptr);
    IBPP::Shutdown();
    return 0;
}
