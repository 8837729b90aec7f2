// The import's preview and its transaction for 100,000 tickets of 40,000
// customers (every one with a phone and an e-mail address) into a new data
// file, and a second preview of the same rows once they are stored, when
// every customer matches. Prints times and peak memory; asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ImportStore.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "ibpp/ibpp.h"

namespace fs = std::filesystem;
using namespace DBFrameWork;

namespace {

int Tickets = 100000;
int Customers = 40000;

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long PeakKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

std::vector<ImportRow> MakeRows()
{
    std::vector<ImportRow> rows;
    rows.reserve(Tickets);
    for (int n = 0; n < Tickets; ++n) {
        const int customer = n % Customers;
        ImportRow row;
        row.Line = static_cast<size_t>(n) + 2;
        row.Customer = {0,
                        "Customer " + std::to_string(customer),
                        std::to_string(customer) + " Main St\r\nSuite 2",
                        "Springfield",
                        "IL",
                        "62701"};
        char phone[32];
        std::snprintf(phone, sizeof phone, "(555) %03d-%04d", customer / 10000, customer % 10000);
        row.Contacts = {{{"mobile", phone}}, "customer" + std::to_string(customer) + "@example.org"};
        row.HasTicket = true;
        row.Problem.Technician = n % 2 ? "Ann" : "Bob";
        row.Problem.Assigned = {2015 + n % 10, 1 + n % 12, 1 + n % 28};
        if (n % 3)
            row.Problem.Completed = row.Problem.Assigned;
        row.Problem.BillableHours = n % 5;
        row.Problem.ActualHours = n % 7;
        row.Problem.Description = "The printer in room " + std::to_string(n % 300) + " prints blank pages.";
        row.Problem.Resolution = n % 3 ? "Replaced the toner cartridge." : "";
        row.OperatingSystem = "Windows 10";
        if (n % 4 == 0) {
            row.Job.State = "Picked up";
            row.Job.Device = {0, "Printer", "LaserJet 4000", "SN" + std::to_string(n)};
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv)
{
    // A smaller set for a quick look: import_store_bench <tickets>.
    if (argc > 1) {
        Tickets = std::max(10, std::atoi(argv[1]));
        Customers = Tickets * 2 / 5;
    }
    const std::string folder =
        (fs::temp_directory_path() / ("velmora-import-bench-" + std::to_string(getpid()))).string();
    fs::create_directories(folder);
    {
        DBConnection connection(folder + "/Solutions.fdb");
        std::string failed;
        if (!connection.Create() || !connection.Connect() ||
            LayOutSchema(connection, failed) != SchemaOutcome::Completed) {
            std::printf("the data file could not be made: %s\n", failed.c_str());
            return 1;
        }
        std::vector<ImportRow> rows;
        const double made = Seconds([&] { rows = MakeRows(); });
        std::printf("%d rows of %d customers made in %.1f s; peak memory %.0f MB\n", Tickets, Customers, made,
                    PeakKilobytes() / 1024.0);
        ImportPreview preview;
        const double previewed = Seconds([&] { PreviewImport(connection, rows, {}, preview); });
        std::printf("preview into an empty data file: %.1f s (goal under 10 s): %d new customers, %d matched, "
                    "%d tickets, %zu refused\n",
                    previewed, preview.NewCustomers, preview.MatchedCustomers, preview.Tickets, preview.Refused.size());
        ImportReport report;
        ImportOutcome outcome = ImportOutcome::Failed;
        const double imported = Seconds([&] { outcome = RunImport(connection, rows, preview, {}, report); });
        std::printf("import in one transaction: %.1f s (goal under 60 s)%s: %d customers added, %d tickets\n", imported,
                    outcome == ImportOutcome::Done ? "" : " FAILED", report.CustomersAdded, report.TicketsAdded);
        const double again = Seconds([&] { PreviewImport(connection, rows, {}, preview); });
        std::printf("preview of the same rows once stored: %.1f s: %d matched, %d new\n", again,
                    preview.MatchedCustomers, preview.NewCustomers);
        std::printf("peak memory: %.0f MB (goal under 300 MB for the whole import)\n", PeakKilobytes() / 1024.0);
        connection.Disconnect();
    }
    std::printf("data file: %.0f MB\n", fs::file_size(folder + "/Solutions.fdb") / 1e6);
    fs::remove_all(folder);
    IBPP::Shutdown();
    return 0;
}
