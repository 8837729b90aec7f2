// Photos and files of a ticket: what a photo costs once stored, opening a
// ticket with 40 photos of 4 MB each in the window (thumbnails shown) against
// one without files, the memory that takes, saving it with one more photo,
// and the backup and verified backup of a data file holding about 2 GB of
// files against `gbak -b` on the same file. Works in a folder of its own
// under the temporary folder, removed at the end. Prints figures, asserts
// nothing.
//   files_bench [gigabytes of files for the backup, default 2]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/FilesPage.h"
#include "app/MainUnit.h"
#include "bench/support/BenchSupport.h"
#include "dbframework/DBFrameWork_Backup.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FileStore.h"
#include "dbframework/DBFrameWork_TicketStore.h"
#include "dialogs/FileIntake.h"
#include "ibpp/ibpp.h"
#include "tests/support/controls/Controls.h"

namespace fs = std::filesystem;
using BenchSupport::Median;
using BenchSupport::TimeMs;

namespace {

constexpr int PhotosOnTheTicket = 40;
constexpr int OpenRuns = 20;
constexpr int SaveRuns = 5;
constexpr int BusyYearTickets = 5000;
constexpr int PhotosPerTicket = 5;

// Kilobytes of the process's memory in use now (VmRSS) or at most (VmHWM).
long StatusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::string(field).size() + 1);
    return 0;
}

// A 12-megapixel picture as a phone writes it (quality 95): smooth light with
// sensor noise, and with `detail` also texture at every scale (random value
// noise, octave upon octave), as gravel, fabric or foliage have; real photos
// lie between the two.
void WriteCameraPhoto(const std::string& path, bool detail, unsigned seed)
{
    constexpr int Width = 4000, Height = 3000;
    QImage photo(Width, Height, QImage::Format_RGB32);
    std::mt19937 generator(seed);
    std::normal_distribution<double> noise(0.0, 6.0);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    // Octaves of 8 to 512 pixels, each a grid of random levels read bilinearly.
    std::vector<std::vector<double>> grids;
    std::vector<int> cells;
    for (int cell = 8; detail && cell <= 512; cell *= 2) {
        cells.push_back(cell);
        std::vector<double> grid(static_cast<size_t>((Width / cell + 2) * (Height / cell + 2)));
        for (double& value : grid)
            value = level(generator);
        grids.push_back(std::move(grid));
    }
    for (int y = 0; y < Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            double base = 90 + 60 * std::sin(x / 300.0) + 40 * std::cos(y / 220.0);
            for (size_t octave = 0; octave < grids.size(); ++octave) {
                const int cell = cells[octave];
                const int columns = Width / cell + 2;
                const double fx = static_cast<double>(x) / cell, fy = static_cast<double>(y) / cell;
                const int gx = static_cast<int>(fx), gy = static_cast<int>(fy);
                const double tx = fx - gx, ty = fy - gy;
                const std::vector<double>& grid = grids[octave];
                const auto at = [&](int col, int row) { return grid[static_cast<size_t>(row * columns + col)]; };
                const double value = (at(gx, gy) * (1 - tx) + at(gx + 1, gy) * tx) * (1 - ty) +
                    (at(gx, gy + 1) * (1 - tx) + at(gx + 1, gy + 1) * tx) * ty;
                base += value * 12.0;
            }
            const auto channel = [&](double shift) {
                return std::clamp(static_cast<int>(base + shift + noise(generator)), 0, 255);
            };
            line[x] = qRgb(channel(30), channel(0), channel(-25));
        }
    }
    photo.save(QString::fromStdString(path), "JPEG", 95);
}

// What one photo costs once stored, and a busy year of them.
void PhotoCost(const std::string& path, const char* kind)
{
    FileIntake::TakenFile taken;
    QString refusal;
    const double intake = TimeMs([&] { FileIntake::TakeFile(QString::fromStdString(path), false, taken, refusal); });
    const double storedKb = taken.Bytes ? taken.Bytes->size() / 1024.0 : 0;
    std::printf("%s photo, 4000x3000: %.2f MB as the camera wrote it; stored copy (2048 px, quality 85) %.0f KB, "
                "thumbnail %.1f KB, made in %.0f ms\n",
                kind, fs::file_size(path) / 1048576.0, storedKb, taken.Thumbnail.size() / 1024.0, intake);
    const double photos = BusyYearTickets * PhotosPerTicket;
    std::printf("  a busy year (%d tickets, %d photos each): %.1f GB in the data file (%.1f GB kept original)\n",
                BusyYearTickets, PhotosPerTicket, photos * (storedKb + taken.Thumbnail.size() / 1024.0) / 1048576.0,
                photos * fs::file_size(path) / 1073741824.0);
}

void TypeTicket(TMainForm& window, const QString& name)
{
    window.NewFileMenuClick();
    Control<QLineEdit>(window, "NameEdit")->setText(name);
    window.SetAddressText("1 Main St");
    Control<QComboBox>(window, "CityComboBox")->setEditText("Springfield");
    Control<QComboBox>(window, "StateComboBox")->setEditText("IL");
    Control<QComboBox>(window, "ZipComboBox")->setEditText("62701");
    Control<QComboBox>(window, "TechnicianComboBox")->setEditText("Ann");
    Control<QComboBox>(window, "OperatingSystemComboBox")->setEditText("Android 14");
    Control<QTextEdit>(window, "ProblemRichEdit")->setPlainText("Cracked screen, the case is bent");
}

double OpenMs(TMainForm& window, int32_t problemId)
{
    return TimeMs([&] {
        window.OpenStoredProblem(problemId);
        QApplication::processEvents();
        window.repaint();
    });
}

double Seconds(const std::function<void()>& work)
{
    return TimeMs(work) / 1000.0;
}

void BackupFigures(const std::string& folder, double gigabytes)
{
    const std::string dataFile = folder + "/backup/Data/Solutions.fdb";
    fs::create_directories(folder + "/backup");
    // The data file is "Data/Solutions.fdb" of the working folder.
    if (chdir((folder + "/backup").c_str()) != 0) {
        std::printf("cannot enter %s\n", folder.c_str());
        return;
    }
    const int fileCount = static_cast<int>(gigabytes * 1024 / 4);
    {
        TMainForm window(ProgramPaths::InFolder(QString::fromStdString(folder + "/backup")));
        DBFrameWork::TicketStore store("bench");
        const auto photo = std::make_shared<std::string>(4 * 1024 * 1024, '\0');
        std::mt19937 generator(3);
        for (int stored = 0; stored < fileCount;) {
            TypeTicket(window, "Backup customer " + QString::number(stored));
            if (!window.SaveProblem())
                std::printf("a ticket could not be saved\n");
            DBFrameWork::TicketRecord ticket;
            ticket.Problem.ProblemID = window.GetProblemID();
            for (int n = 0; n < 10 && stored < fileCount; ++n, ++stored) {
                for (char& byte : *photo)
                    byte = static_cast<char>(generator() & 0xFF);
                DBFrameWork::TicketFileRecord file;
                file.Name = "photo " + std::to_string(stored) + ".jpg";
                file.MediaType = "image/jpeg";
                file.Content = std::make_shared<const std::string>(*photo);
                ticket.Files.push_back(file);
            }
            if (!DBFrameWork::SaveFiles(*window.GetConnection(), ticket, "bench", false))
                std::printf("files could not be stored\n");
        }
        std::printf("\ndata file with %d files of 4 MB: %.2f GB\n", fileCount, fs::file_size(dataFile) / 1e9);

        DBFrameWork::Backup backup(*window.GetConnection());
        DBFrameWork::BackupResult result;
        const double verified = Seconds([&] { result = backup.Run(folder + "/verified.fbk", {}); });
        std::printf("program's verified backup (backup, restore, validation, counts): %.1f s%s\n", verified,
                    result.Verified ? "" : (" FAILED: " + result.Failure).c_str());
        const double service = Seconds([&] {
            IBPP::Service engine = IBPP::ServiceFactory("", DBFrameWork::DBConnection::UserName(),
                                                        DBFrameWork::DBConnection::Password());
            engine->Connect();
            engine->StartBackup(dataFile, folder + "/service.fbk", true);
            std::string line;
            while (engine->WaitMsg(line)) {}
        });
        std::printf("program's backup alone (the engine's service, verbose): %.1f s, %.2f GB\n", service,
                    fs::file_size(folder + "/service.fbk") / 1e9);
        fs::remove(folder + "/service.fbk");
        fs::remove(result.BackupFile);
    }
    const std::string command = std::string("timeout 1800 gbak -b -user ") + DBFrameWork::DBConnection::UserName() +
        " -password " + DBFrameWork::DBConnection::Password() + " '" + dataFile + "' '" + folder + "/gbak.fbk'";
    int status = 0;
    const double gbak = Seconds([&] { status = std::system(command.c_str()); });
    std::printf("gbak -b alone on the same file: %.1f s%s\n", gbak, status == 0 ? "" : " (gbak failed)");
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication application(argc, argv);
    BenchSupport::PrintingBackend backend;
    Interaction::SetBackend(&backend);
    const double backupGigabytes = argc > 1 ? std::atof(argv[1]) : 2.0;
    const std::string folder =
        (fs::temp_directory_path() / ("velmora-files-bench-" + std::to_string(getpid()))).string();
    fs::create_directories(folder + "/desk");

    const std::string smooth = folder + "/smooth.jpg";
    const std::string sample = folder + "/detailed.jpg";
    WriteCameraPhoto(smooth, false, 1);
    WriteCameraPhoto(sample, true, 2);
    PhotoCost(smooth, "smooth");
    PhotoCost(sample, "detailed");

    if (chdir((folder + "/desk").c_str()) != 0)
        return 1;
    {
        TMainForm window(ProgramPaths::InFolder(QString::fromStdString(folder + "/desk")));
        window.resize(1200, 900);
        window.show();
        TypeTicket(window, "Without files");
        window.SaveProblem();
        const int32_t plain = window.GetProblemID();

        // 40 photos of about 4 MB each (the detailed sample), kept original so that each stays so large.
        std::vector<QString> photos;
        for (int n = 0; n <= PhotosOnTheTicket + SaveRuns; ++n) {
            const std::string path = folder + "/photo " + std::to_string(n) + ".jpg";
            fs::copy_file(sample, path);
            photos.push_back(QString::fromStdString(path));
        }
        TypeTicket(window, "With photos");
        auto* page = Control<TFilesPage>(window, "Files");
        Control<QCheckBox>(window, "KeepOriginalCheckBox")->setChecked(true);
        for (int n = 0; n < PhotosOnTheTicket; ++n)
            page->AddPaths({photos[static_cast<size_t>(n)]});
        window.SaveProblem();
        const int32_t withPhotos = window.GetProblemID();

        std::vector<double> openPlain, openPhotos;
        for (int run = 0; run < OpenRuns; ++run) {
            openPlain.push_back(OpenMs(window, plain));
            openPhotos.push_back(OpenMs(window, withPhotos));
        }
        window.OpenStoredProblem(plain);
        QApplication::processEvents();
        malloc_trim(0);
        const long plainKb = StatusKilobytes("VmRSS:");
        window.OpenStoredProblem(withPhotos);
        QApplication::processEvents();
        window.repaint();
        const long photosKb = StatusKilobytes("VmRSS:");
        std::printf("\nopen a ticket without files: %.2f ms; with %d photos of %.1f MB (thumbnails shown): %.2f ms "
                    "(+%.2f ms; goal within 20 ms)\n",
                    Median(openPlain), Control<QListWidget>(window, "FilesListWidget")->count(),
                    fs::file_size(sample) / 1048576.0, Median(openPhotos), Median(openPhotos) - Median(openPlain));
        std::printf(
            "memory with the ticket open: %.1f MB against %.1f MB without files (+%.1f MB; goal under 100 MB)\n",
            photosKb / 1024.0, plainKb / 1024.0, (photosKb - plainKb) / 1024.0);

        std::vector<double> adds, saves;
        for (int run = 0; run < SaveRuns; ++run) {
            adds.push_back(TimeMs([&] { page->AddPaths({photos[static_cast<size_t>(PhotosOnTheTicket + run)]}); }));
            saves.push_back(TimeMs([&] { window.SaveProblem(); }));
        }
        std::printf("add one more such photo (read, type, thumbnail): %.1f ms; save the ticket with it: %.1f ms "
                    "(goal under 150 ms)\n",
                    Median(adds), Median(saves));
        std::printf("peak memory of the run so far: %.1f MB; medians of %d opens and %d saves\n",
                    StatusKilobytes("VmHWM:") / 1024.0, OpenRuns, SaveRuns);
    }

    if (backupGigabytes > 0)
        BackupFigures(folder, backupGigabytes);
    if (chdir("/") != 0)
        return 1;
    fs::remove_all(folder);
    Interaction::SetBackend(nullptr);
    IBPP::Shutdown();
    return 0;
}
