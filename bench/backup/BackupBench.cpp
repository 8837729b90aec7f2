// Backup of the 100,000-ticket data set of the search benchmark: the
// program's backup (the engine's service, verbose lines read as the progress
// window reads them) and its verified backup, against `gbak -b` alone on the
// same file in the same run. Prints figures, asserts nothing.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/MainUnit.h"
#include "bench/support/SearchDataSet.h"
#include "dbframework/DBFrameWork_Backup.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/Interaction.h"
#include "ibpp/ibpp.h"

namespace fs = std::filesystem;

namespace {

constexpr int Runs = 3;

class PrintingBackend : public Interaction::Backend {
public:
    void ShowMessage(const QString& text) override { std::printf("message: %s\n", qPrintable(text)); }
    void ShowError(const QString& text) override { std::printf("error: %s\n", qPrintable(text)); }
    bool OpenFile(const Interaction::OpenFileRequest&, QString&) override { return false; }
    bool OpenUrl(const QString&) override { return false; }
};

template <typename Work>
double Seconds(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    PrintingBackend backend;
    Interaction::SetBackend(&backend);

    fs::create_directories(SearchDataSet::CacheFolder());
    if (chdir(SearchDataSet::CacheFolder().c_str()) != 0)
        return 1;
    if (!SearchDataSet::IsCached()) {
        fs::remove("Data/Solutions.fdb");
        std::printf("building the data set of %d tickets (once, kept in %s)\n", SearchDataSet::TicketCount,
                    SearchDataSet::CacheFolder().c_str());
        TMainForm creator(ProgramPaths::InFolder(QDir::currentPath()));
        SearchDataSet::Fill(creator.GetConnection()->GetDatabase());
        SearchDataSet::MarkCached();
    }
    const std::string dataFile = fs::absolute("Data/Solutions.fdb").string();
    const std::string out = (fs::temp_directory_path() / ("velmora-backup-bench-" + std::to_string(getpid()))).string();
    fs::create_directories(out);
    std::printf("data file %s: %d tickets, %.0f MB\n", dataFile.c_str(), SearchDataSet::TicketCount,
                fs::file_size(dataFile) / 1e6);

    std::vector<double> program, verified, gbak;
    size_t lines = 0, programSize = 0, gbakSize = 0;
    {
        // The program backs up while its window holds the data file open.
        TMainForm form(ProgramPaths::InFolder(QDir::currentPath()));
        DBFrameWork::Backup backup(*form.GetConnection());
        for (int run = 0; run < Runs; ++run) {
            const std::string file = out + "/program.fbk";
            fs::remove(file);
            program.push_back(Seconds([&] {
                IBPP::Service service = IBPP::ServiceFactory("", DBFrameWork::DBConnection::UserName(),
                                                             DBFrameWork::DBConnection::Password());
                service->Connect();
                service->StartBackup(dataFile, file, true);
                std::string line;
                lines = 0;
                while (service->WaitMsg(line))
                    ++lines;
            }));
            programSize = fs::file_size(file);
        }
        for (int run = 0; run < Runs; ++run) {
            const std::string file = out + "/verified-" + std::to_string(run) + ".fbk";
            DBFrameWork::BackupResult result;
            verified.push_back(Seconds([&] { result = backup.Run(file, {}); }));
            if (!result.Verified)
                std::printf("verification failed: %s\n", result.Failure.c_str());
            fs::remove(result.BackupFile);
        }
    }
    // gbak needs the file to itself: the window is closed now.
    const std::string command = std::string("gbak -b -user ") + DBFrameWork::DBConnection::UserName() + " -password " +
        DBFrameWork::DBConnection::Password() + " '" + dataFile + "' '" + out + "/gbak.fbk'";
    for (int run = 0; run < Runs; ++run) {
        fs::remove(out + "/gbak.fbk");
        int status = 0;
        gbak.push_back(Seconds([&] { status = std::system(command.c_str()); }));
        if (status != 0)
            std::printf("gbak failed with status %d\n", status);
        gbakSize = fs::exists(out + "/gbak.fbk") ? fs::file_size(out + "/gbak.fbk") : 0;
    }
    fs::remove_all(out);

    const double programS = Median(program), verifiedS = Median(verified), gbakS = Median(gbak);
    std::printf("program backup (service, %zu verbose lines): %.2f s, %.0f MB\n", lines, programS, programSize / 1e6);
    std::printf("program verified backup (backup, restore, validation, counts): %.2f s\n", verifiedS);
    std::printf("gbak -b alone: %.2f s, %.0f MB\n", gbakS, gbakSize / 1e6);
    std::printf("ratio backup / gbak -b: %.2f (goal <= 1.10); verified backup / gbak -b: %.2f\n", programS / gbakS,
                verifiedS / gbakS);
    std::printf("medians of %d runs\n", Runs);
    Interaction::SetBackend(nullptr);
    IBPP::Shutdown();
    return 0;
}
