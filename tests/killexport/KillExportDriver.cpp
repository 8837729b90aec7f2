// Writes the program's exports through the real window in a loop until it is
// killed, for the kill test: kill_export_driver <folder>. The folder holds the
// settings and a data file with tickets of this month. Each round writes the
// hours report by customer as CSV and as PDF, the first ticket's work order as
// PDF, and flips the customer history, whose state goes to ViewState.ini.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <cstdio>
#include <unistd.h>

#include "app/MainUnit.h"
#include "dialogs/HoursReportDialogUnit.h"
#include "ibpp/ibpp.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/windows/FakeInteraction.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (chdir(argv[1]) != 0)
        return 2;
    FakeInteraction fake;
    TMainForm window(ProgramPaths::InFolder(folder));
    if (!window.OpenStoredProblem(1)) {
        std::printf("ticket 1 could not be opened\n");
        return 1;
    }
    THoursReportDialog report(&window, window.GetConnection(), &window.GetPrinter());
    report.GroupByComboBox->setCurrentIndex(1);  // by customer: a row per ticket here
    std::printf("exporting\n");
    std::fflush(stdout);
    for (long round = 1;; ++round) {
        fake.QueueFile(folder + "/hours.csv");
        report.ExportCsvButtonClick();
        fake.QueueFile(folder + "/hours.pdf");
        report.ExportPdfButtonClick();
        fake.QueueFile(folder + "/order.pdf");
        window.ExportPdfFileMenuClick();
        Control<QAction>(window, "CustomerHistoryViewMenu")->trigger();
        if (!fake.errors.isEmpty()) {
            std::printf("round %ld: %s\n", round, qPrintable(fake.errors.join(" | ")));
            IBPP::Shutdown();
            return 1;
        }
        std::printf("exported %ld\n", round);
        std::fflush(stdout);
    }
}
