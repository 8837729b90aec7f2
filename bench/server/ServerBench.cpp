// Saves and searches through a Firebird server beside the same work on the
// embedded engine, in one run: saves per second and the median save from one
// desk and from four desks at once, and the open dialog's two searches over
// the 100,000-ticket data set of the search benchmark.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/MainUnit.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/SearchDataSet.h"
#include "dialogs/Interaction.h"
#include "dialogs/OpenProblemDialogUnit.h"
#include "ibpp/ibpp.h"
#include "tests/server/DeskWork.h"
#include "tests/server/TestServer.h"

namespace {

using BenchSupport::Median;
using BenchSupport::TimeMs;

// One desk in this process: saves per second and the median save.
void OneDesk(const char* label, const std::string& dataFile, int saves)
{
    TestSupport::TempDir folder;
    DeskWork::WriteSettings(folder.Path(), dataFile);
    TMainForm window(ProgramPaths::InFolder(QString::fromStdString(folder.Path())));
    std::vector<double> times;
    double total = 0;
    for (int round = 1; round <= saves; ++round) {
        DeskWork::FillTicket(window, 1, round);
        const double ms = TimeMs([&] {
            if (!window.SaveProblem())
                std::fprintf(stderr, "save %d failed\n", round);
        });
        times.push_back(ms);
        total += ms;
    }
    std::printf("%-32s %8.1f saves/s, median save %.2f ms (%d saves)\n", label, saves / (total / 1000), Median(times),
                saves);
}

// Four desk processes at once on the server's file.
void FourDesks(const TestServer& server, int saves)
{
    const std::string dataFile = server.DataFile("four.fdb");
    {
        TestSupport::TempDir folder;
        DeskWork::WriteSettings(folder.Path(), dataFile);
        TMainForm creator(ProgramPaths::InFolder(QString::fromStdString(folder.Path())));
    }
    std::vector<TestSupport::TempDir> folders(4);
    std::vector<FILE*> desks;
    QElapsedTimer wall;
    wall.start();
    for (int desk = 0; desk < 4; ++desk)
        desks.push_back(popen((std::string("'") + SERVER_DESK + "' save '" + folders[desk].Path() + "' '" + dataFile +
                               "' " + std::to_string(saves) + " " + std::to_string(desk + 1))
                                  .c_str(),
                              "r"));
    int stored = 0;
    std::vector<double> medians;
    for (FILE* desk : desks) {
        int saved = 0, failed = 0;
        double median = 0;
        if (fscanf(desk, "SAVED %d FAILED %d MEDIAN %lf", &saved, &failed, &median) == 3) {
            stored += saved;
            medians.push_back(median);
        }
        pclose(desk);
    }
    const double seconds = wall.nsecsElapsed() / 1e9;
    std::printf("%-32s %8.1f saves/s in all, median save %.2f ms (%d of %d stored, %.1f s)\n",
                "server, 4 desks at once", stored / seconds, medians.empty() ? 0.0 : Median(medians), stored, 4 * saves,
                seconds);
}

// The open dialog's two searches on the data file, medians of 9 runs.
void Searches(const char* label, const std::string& dataFile)
{
    TestSupport::TempDir folder;
    DeskWork::WriteSettings(folder.Path(), dataFile);
    TMainForm window(ProgramPaths::InFolder(QString::fromStdString(folder.Path())));
    TOpenProblemDialog dialog(nullptr, window.GetConnection());
    for (const bool byCustomer : {true, false}) {
        QLineEdit* edit = byCustomer ? dialog.CustomerNameEdit : dialog.Edit1;
        QPushButton* button = byCustomer ? dialog.CustomerSearchButton : dialog.ProblemDescriptionSearchButton;
        edit->setText(byCustomer ? "Oli" : "Pri");
        button->click();  // warms the page cache
        std::vector<double> times;
        for (int run = 0; run < 9; ++run)
            times.push_back(TimeMs([&] { button->click(); }));
        std::printf("%-32s %s search \"%s\": %zu hits, median %.1f ms\n", label,
                    byCustomer ? "customer" : "description", byCustomer ? "Oli" : "Pri",
                    dialog.GetSearchResults().size(), Median(times));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Interaction::NameApplication();
    BenchSupport::PrintingBackend silent;
    Interaction::SetBackend(&silent);
    const int saves = argc > 1 ? std::atoi(argv[1]) : 500;
    try {
        TestSupport::TempDir local;
        OneDesk("embedded, 1 desk", local.File("Solutions.fdb"), saves);
        {
            TestServer server;
            OneDesk("server, 1 desk", server.DataFile("one.fdb"), saves);
            FourDesks(server, saves);
        }
        if (!SearchDataSet::IsCached()) {
            std::printf("searches: the 100,000-ticket data set is not cached; run search_bench first\n");
        } else {
            const std::string cached = SearchDataSet::CacheFolder() + "/Data/Solutions.fdb";
            Searches("embedded, 100,000 tickets", cached);
            TestServer server;
            Searches("server, 100,000 tickets", "127.0.0.1/" + std::to_string(server.Port()) + ":" + cached);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    Interaction::SetBackend(nullptr);
    IBPP::Shutdown();
    return 0;
}
