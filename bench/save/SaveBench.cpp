// bench_save [N...]     saves N new tickets (default 100 and 1000) through
//                       SaveProblem() and the same statements through the client layer
// bench_save --startup [runs]   time from process start to "Connected..."
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/MainUnit.h"
#include "bench/support/BenchSupport.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/Interaction.h"
#include "ibpp/ibpp.h"
#include "tests/support/controls/Controls.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
    double savesPerSecond;
    double medianMs;
};

Figures Summarise(std::vector<double> milliseconds)
{
    double total = 0;
    for (double value : milliseconds)
        total += value;
    std::sort(milliseconds.begin(), milliseconds.end());
    return {milliseconds.size() / (total / 1000.0), milliseconds[milliseconds.size() / 2]};
}

double Since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

fs::path FreshFolder(const std::string& name)
{
    const fs::path folder = fs::temp_directory_path() / ("velmora-bench-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string CustomerName(int ticket)
{
    return "Customer " + std::to_string(ticket);
}

Figures ThroughWindow(int count)
{
    const fs::path folder = FreshFolder("window-" + std::to_string(count));
    fs::current_path(folder);
    std::vector<double> times;
    {
        TMainForm window(ProgramPaths::InFolder(QDir::currentPath()));
        for (int ticket = 1; ticket <= count; ++ticket) {
            window.NewFileMenuClick();
            Control<QLineEdit>(window, "NameEdit")->setText(QString::fromStdString(CustomerName(ticket)));
            window.SetAddressText("1 Main St\r\nSuite 2");
            Control<QComboBox>(window, "CityComboBox")->setEditText("Springfield");
            Control<QComboBox>(window, "StateComboBox")->setEditText("IL");
            Control<QComboBox>(window, "ZipComboBox")->setEditText("62701");
            Control<QComboBox>(window, "TechnicianComboBox")->setEditText("Ann");
            Control<QComboBox>(window, "OperatingSystemComboBox")->setEditText("Debian 12");
            Control<QTextEdit>(window, "ProblemRichEdit")->setPlainText("The printer prints nothing.");
            const auto start = Clock::now();
            if (!window.SaveProblem()) {
                std::fprintf(stderr, "save %d failed\n", ticket);
                std::exit(1);
            }
            times.push_back(Since(start));
        }
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    return Summarise(times);
}

void Commit(IBPP::Transaction& transaction)
{
    transaction->Commit();
}

int32_t Generator(IBPP::Database& database, const std::string& name)
{
    IBPP::Transaction transaction = IBPP::TransactionFactory(database, IBPP::amWrite, IBPP::ilReadCommitted,
                                                             IBPP::lrNoWait);
    transaction->Start();
    IBPP::Statement statement = IBPP::StatementFactory(database, transaction);
    statement->Prepare("SELECT GEN_ID(" + name + ", 1) FROM RDB$DATABASE;");
    statement->Execute();
    statement->Fetch();
    int32_t value = 0;
    statement->Get(1, value);
    statement->Close();
    Commit(transaction);
    return value;
}

// The six committed statements of a save of a new ticket, with nothing around them.
Figures ThroughClientLayer(int count)
{
    const fs::path folder = FreshFolder("client-" + std::to_string(count));
    fs::current_path(folder);
    {
        TMainForm creator(ProgramPaths::InFolder(QDir::currentPath()));
    }  // lays out the same empty data file
    IBPP::Database database = IBPP::DatabaseFactory("", (folder / "Data/Solutions.fdb").string(),
                                                    DBFrameWork::DBConnection::UserName(),
                                                    DBFrameWork::DBConnection::Password());
    database->Connect();
    std::vector<double> times;
    const std::string description = "The printer prints nothing.";
    for (int ticket = 1; ticket <= count; ++ticket) {
        const auto start = Clock::now();
        const std::string name = CustomerName(ticket);
        {
            IBPP::Transaction transaction = IBPP::TransactionFactory(database, IBPP::amWrite, IBPP::ilReadCommitted,
                                                                     IBPP::lrNoWait);
            transaction->Start();
            IBPP::Statement search = IBPP::StatementFactory(database, transaction);
            // The customer search exactly as the program sends it.
            search->Prepare("SELECT CustomerID, Name, Address, City, State, Zip FROM Customer WHERE "
                            "COALESCE(Name, '') LIKE ? AND COALESCE(Address, '') LIKE ? AND "
                            "COALESCE(City, '') LIKE ? AND COALESCE(State, '') LIKE ? AND COALESCE(Zip, '') LIKE ?;");
            search->Set(1, name + "%");
            search->Set(2, std::string("1 Main St\r\nSuite 2%"));
            search->Set(3, std::string("Springfield%"));
            search->Set(4, std::string("IL%"));
            search->Set(5, std::string("62701%"));
            search->Execute();
            search->Fetch();
            search->Close();
            Commit(transaction);
        }
        const int32_t customer = Generator(database, "CustomerIDValue");
        auto insert = [&](const std::string& sql, auto bind) {
            IBPP::Transaction transaction = IBPP::TransactionFactory(database, IBPP::amWrite, IBPP::ilReadCommitted,
                                                                     IBPP::lrNoWait);
            transaction->Start();
            IBPP::Statement statement = IBPP::StatementFactory(database, transaction);
            statement->Prepare(sql);
            bind(statement, transaction);
            statement->Execute();
            Commit(transaction);
        };
        insert("INSERT INTO Customer (CustomerID, Name, Address, City, State, Zip) VALUES (?, ?, ?, ?, ?, ?);",
               [&](IBPP::Statement& statement, IBPP::Transaction&) {
                   statement->Set(1, customer);
                   statement->Set(2, name);
                   statement->Set(3, std::string("1 Main St\r\nSuite 2"));
                   statement->Set(4, std::string("Springfield"));
                   statement->Set(5, std::string("IL"));
                   statement->Set(6, std::string("62701"));
               });
        const int32_t problem = Generator(database, "ProblemIDValue");
        insert("INSERT INTO Problem (ProblemID, Technician, Assigned, Completed, BillableHours, ActualHours, "
               "Description, Resolution, Comment, CustomerID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);",
               [&](IBPP::Statement& statement, IBPP::Transaction& transaction) {
                   statement->Set(1, problem);
                   statement->Set(2, std::string("Ann"));
                   statement->Set(3, IBPP::Timestamp(2004, 12, 25));
                   statement->SetNull(4);
                   statement->Set(5, int32_t{0});
                   statement->Set(6, int32_t{0});
                   IBPP::Blob blob = IBPP::BlobFactory(database, transaction);
                   blob->Create();
                   blob->Write(description.data(), static_cast<int>(description.size()));
                   blob->Close();
                   statement->Set(7, blob);
                   statement->SetNull(8);
                   statement->SetNull(9);
                   statement->Set(10, customer);
               });
        insert("INSERT INTO SystemInfo (ProblemID, OperatingSystem, Description) VALUES (?, ?, ?);",
               [&](IBPP::Statement& statement, IBPP::Transaction&) {
                   statement->Set(1, problem);
                   statement->Set(2, std::string("Debian 12"));
                   statement->SetNull(3);
               });
        times.push_back(Since(start));
    }
    database->Disconnect();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    return Summarise(times);
}

long long MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Milliseconds from the fork of the program to its "Connected...".
double StartOnce(const fs::path& folder)
{
    int output[2];
    if (pipe(output) != 0)
        std::exit(1);
    const long long started = MonotonicNanoseconds();
    const pid_t child = fork();
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        if (chdir(folder.c_str()) != 0)
            _exit(111);
        setenv("VELMORA_STARTUP_PROBE", "1", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(VELMORA_PROGRAM, VELMORA_PROGRAM, static_cast<char*>(nullptr));
        _exit(112);
    }
    close(output[1]);
    std::string text;
    char buffer[256];
    ssize_t count;
    while ((count = read(output[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, count);
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const size_t at = text.find("Connected... ");
    if (at == std::string::npos) {
        std::fprintf(stderr, "no start-up figure from the program: %s\n", text.c_str());
        std::exit(1);
    }
    return (std::stoll(text.substr(at + 13)) - started) / 1e6;
}

int Startup(int runs)
{
    fs::remove(fs::path(VELMORA_PROGRAM).parent_path() / "Quenbrook.ini");
    const fs::path folder = FreshFolder("startup");
    StartOnce(folder);  // creates the data file; not counted
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(StartOnce(folder));
    std::sort(times.begin(), times.end());
    std::printf("start-up to \"Connected...\" on an existing data file, %d runs: median %.1f ms, "
                "min %.1f ms, max %.1f ms\n",
                runs, times[times.size() / 2], times.front(), times.back());
    fs::remove_all(folder);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "--startup")
        return Startup(argc >= 3 ? std::atoi(argv[2]) : 15);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BenchSupport::PrintingBackend silent;
    Interaction::SetBackend(&silent);
    IBPP::CheckVersion(IBPP::Version);

    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {100, 1000};
    std::printf("%6s  %22s  %22s  %s\n", "N", "SaveProblem saves/s, ms", "client layer saves/s, ms", "ratio");
    for (int count : counts) {
        const Figures window = ThroughWindow(count);
        const Figures client = ThroughClientLayer(count);
        std::printf("%6d  %12.1f  %8.3f  %12.1f  %8.3f  %.3f\n", count, window.savesPerSecond, window.medianMs,
                    client.savesPerSecond, client.medianMs, window.medianMs / client.medianMs);
        std::fflush(stdout);
    }
    Interaction::SetBackend(nullptr);
    IBPP::Shutdown();
    return 0;
}
