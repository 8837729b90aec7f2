// Export All of the search benchmark's 100,000 tickets and 40,000 customers,
// given contacts, devices, jobs with two lines of history each, and files
// (a hundred photos of 1 MB and one file of 50 MB): the time and the peak
// memory of an export into a folder and into a .zip. Works on a copy of the
// cached data file in a folder of its own, removed at the end; prints
// figures, asserts nothing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "bench/support/SearchDataSet.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ExportAll.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_TicketStore.h"
#include "dbframework/DBFrameWork_TransactionGuard.h"

namespace fs = std::filesystem;

namespace {

constexpr int Photos = 100;
constexpr size_t PhotoBytes = 1 << 20;
constexpr size_t LargeFileBytes = 50 << 20;

long PeakKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// The peak from here on (the kernel forgets the one before).
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void Execute(DBFrameWork::DBConnection& connection, const std::string& sql)
{
    DBFrameWork::TransactionGuard transaction(connection);
    connection.GetStatement()->ExecuteImmediate(sql);
    transaction.Commit();
}

// Four tickets in five get a job with a device and two lines of history; three customers in four a phone and an e-mail.
void GiveJobs(DBFrameWork::DBConnection& connection)
{
    Execute(connection,
            "EXECUTE BLOCK AS DECLARE p INTEGER; DECLARE c INTEGER; BEGIN "
            "FOR SELECT ProblemID, CustomerID FROM Problem WHERE MOD(ProblemID, 5) <> 0 INTO :p, :c DO BEGIN "
            "INSERT INTO Device (DeviceID, CustomerID, Kind, MakeModel, Serial) VALUES (:p, :c, 'laptop', "
            "'Model ' || MOD(:p, 300), 'SN' || (1000000 + :p)); "
            "INSERT INTO Job (ProblemID, State, PromisedBy, DeviceID, Accessories, ArrivalCondition, TermsAgreed) "
            "VALUES (:p, 'In repair', DATEADD(MOD(:p, 300) DAY TO DATE '2026-01-01'), :p, 'charger', "
            "'Scratches on the lid', 1); "
            "INSERT INTO JobEvent VALUES (GEN_ID(JobEventIDValue, 1), :p, CURRENT_TIMESTAMP, 'bench', 'state', "
            "'Waiting'); "
            "INSERT INTO JobEvent VALUES (GEN_ID(JobEventIDValue, 1), :p, CURRENT_TIMESTAMP, 'bench', 'state', "
            "'In repair'); END "
            "FOR SELECT CustomerID FROM Customer WHERE MOD(CustomerID, 4) <> 0 INTO :c DO BEGIN "
            "INSERT INTO CustomerContact VALUES (GEN_ID(ContactIDValue, 1), :c, 'mobile', '555-0' || :c, "
            "'5550' || :c, NULL); "
            "INSERT INTO CustomerContact VALUES (GEN_ID(ContactIDValue, 1), :c, 'email', 'customer' || :c || "
            "'@example.com', NULL, NULL); END END");
}

void GiveFiles(DBFrameWork::DBConnection& connection)
{
    std::mt19937 random(7);
    DBFrameWork::TicketStore store("bench");
    for (int photo = 0; photo <= Photos; ++photo) {
        DBFrameWork::TicketRecord ticket;
        const int32_t problemId = 1 + photo * 997;
        DBFrameWork::Problem problem(&connection);
        if (!problem.Select({std::to_string(problemId)}))
            throw std::runtime_error("ticket " + std::to_string(problemId) + " cannot be read");
        if (store.Load(connection, problem.GetValues(), ticket) != DBFrameWork::TicketLoad::Loaded)
            throw std::runtime_error("ticket " + std::to_string(problemId) + " cannot be loaded");
        std::string bytes(photo == Photos ? LargeFileBytes : PhotoBytes, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        DBFrameWork::TicketFileRecord file;
        file.Name = photo == Photos ? "disk image.bin" : "photo " + std::to_string(photo) + ".jpg";
        file.MediaType = photo == Photos ? "application/octet-stream" : "image/jpeg";
        file.Content = std::make_shared<const std::string>(std::move(bytes));
        ticket.Files.push_back(file);
        if (!store.Save(connection, ticket, false))
            throw std::runtime_error("the files of ticket " + std::to_string(problemId) + " cannot be stored");
    }
}

uintmax_t Bytes(const std::string& path)
{
    if (fs::is_regular_file(path))
        return fs::file_size(path);
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(path))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

void TimeExport(DBFrameWork::DBConnection& connection, const std::string& target, const char* name)
{
    ResetPeak();
    const long before = PeakKilobytes();
    DBFrameWork::ExportResult result;
    const auto start = std::chrono::steady_clock::now();
    const bool written = DBFrameWork::ExportAll(connection, {target, {"Waiting", "In repair", "Done"}}, nullptr,
                                                result);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!written)
        throw std::runtime_error(std::string(name) + " failed: " + result.Reason);
    std::printf("%-22s %6.1f s, peak memory %5.1f MB (%5.1f MB before), %lld tickets, %lld customers, %lld reports, "
                "%lld files, %.0f MB written\n",
                name, seconds, PeakKilobytes() / 1024.0, before / 1024.0, static_cast<long long>(result.Tickets),
                static_cast<long long>(result.Customers), static_cast<long long>(result.Reports),
                static_cast<long long>(result.Files), Bytes(target) / 1048576.0);
}

}  // namespace

int main()
{
    if (!SearchDataSet::IsCached()) {
        std::fprintf(stderr, "The cached data set in %s is missing: run counter_bench once to build it.\n",
                     SearchDataSet::CacheFolder().c_str());
        return 1;
    }
    char folderName[] = "/tmp/velmora-bench-exportall.XXXXXX";
    if (!mkdtemp(folderName)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = folderName;
    int status = 0;
    try {
        const std::string path = folder + "/Solutions.fdb";
        fs::copy_file(SearchDataSet::CacheFolder() + "/Data/Solutions.fdb", path);
        DBFrameWork::DBConnection connection(path);
        if (!connection.Connect())
            throw std::runtime_error("cannot attach " + path);
        std::string failed;
        const DBFrameWork::SchemaOutcome outcome = DBFrameWork::LayOutSchema(connection, failed);
        if (outcome != DBFrameWork::SchemaOutcome::Whole && outcome != DBFrameWork::SchemaOutcome::Completed)
            throw std::runtime_error("the copy's schema could not be completed: " + failed);
        std::fprintf(stderr, "Giving the copy jobs, contacts and files ...\n");
        GiveJobs(connection);
        GiveFiles(connection);
        TimeExport(connection, folder + "/export", "Export All to a folder");
        TimeExport(connection, folder + "/export.zip", "Export All to a .zip");
        connection.Disconnect();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 1;
    }
    fs::remove_all(folder);
    return status;
}
