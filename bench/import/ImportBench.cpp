// Reading a large CSV of tickets with their customers: the time and the peak
// memory of the file read, its columns guessed, and every value checked; then
// the whole import of the Windows-1252 file into a new data file: the rows
// made, the preview, and the import in its one transaction.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "dbframework/DBFrameWork_CsvSource.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ImportDates.h"
#include "dbframework/DBFrameWork_ImportFields.h"
#include "dbframework/DBFrameWork_ImportRows.h"
#include "dbframework/DBFrameWork_ImportStore.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "ibpp/ibpp.h"

using namespace DBFrameWork;

namespace {

constexpr int Tickets = 100000;
constexpr int Customers = 40000;

// The process's peak resident memory in kB, as the kernel counts it.
long PeakMemoryKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// In Windows-1252 as a spreadsheet saves it, or in UTF-8 with a byte order
// mark (which makes the reader check every line's encoding).
void WriteFile(const std::string& path, bool utf8)
{
    const char* umlaut = utf8 ? "\xC3\xBC" : "\xFC";
    const char* euro = utf8 ? "\xE2\x82\xAC" : "\x80";
    std::ofstream file(path, std::ios::binary);
    if (utf8)
        file << "\xEF\xBB\xBF";
    file << "Name;Street;City;State;Zip;Phone;E-mail;Created;Closed;Technician;Status;Hours;Subject;Solution;"
            "Notes;Device;Model;Serial\r\n";
    for (int ticket = 0; ticket < Tickets; ++ticket) {
        const int customer = ticket % Customers;
        file << "Customer M" << umlaut << "ller " << customer << ";" << customer << " Main Street;Springfield;IL;627"
             << customer % 100 << ";555-" << 1000 + customer % 9000 << ";c" << customer << "@example.com;"
             << 1 + ticket % 12 << "/" << 1 + ticket % 28 << "/20" << 10 + ticket % 15 << ";"
             << (ticket % 3 ? "" : "12/31/2024") << ";Tech " << ticket % 7 << ";" << (ticket % 3 ? "Open" : "Closed")
             << ";" << ticket % 9 << ";\"Laptop will not boot; fan loud\r\nsince the update " << ticket
             << "\";Replaced the fan and reinstalled the drivers;Customer waits for a call " << euro << " " << ticket
             << ";Laptop;Vendor Model " << ticket % 50 << ";SN" << 1000000 + ticket << "\r\n";
    }
}

bool Measure(const std::string& path)
{
    std::ifstream sized(path, std::ios::binary | std::ios::ate);
    const long long bytes = static_cast<long long>(sized.tellg());
    const long memoryBefore = PeakMemoryKb();

    const auto start = std::chrono::steady_clock::now();
    CsvSource source;
    if (!source.Open(path)) {
        std::fprintf(stderr, "%s\n", source.Error().Reason.c_str());
        return false;
    }
    const std::vector<ImportColumnGuess> guesses = GuessImportFields(source.Header(), {}, {});
    size_t records = 0, values = 0, refused = 0;
    CsvRecord record;
    while (source.Next(record)) {
        ++records;
        for (const ImportColumnGuess& guess : guesses) {
            if (guess.Column >= record.Fields.size())
                continue;
            const std::string& value = record.Fields[guess.Column];
            ++values;
            std::string reason;
            CalendarDate date;
            if (guess.Field == ImportField::AssignedDate || guess.Field == ImportField::CompletedDate)
                refused += ReadImportDate(value, ImportDateFormat::MonthDayYear, date, reason) ? 0 : 1;
            else
                refused += ImportValueRefusal(guess.Field, value).empty() ? 0 : 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (source.Failed()) {
        std::fprintf(stderr, "%s\n", source.Error().Reason.c_str());
        return false;
    }
    std::printf("file: %lld bytes, %zu records (%d tickets, %d customers), delimiter '%c', %s\n", bytes, records,
                Tickets, Customers, source.Delimiter(),
                source.Encoding() == CsvEncoding::Windows1252 ? "Windows-1252" : "UTF-8");
    std::printf("read, guessed and checked: %.2f s, %zu values, %zu refused\n", seconds, values, refused);
    std::printf("peak memory (VmHWM): %ld kB before reading, %ld kB after\n", memoryBefore, PeakMemoryKb());
    return records == static_cast<size_t>(Tickets) && refused == 0;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool MeasureImport(const std::string& path, const std::string& dataFile)
{
    DBConnection connection(dataFile);
    std::string failed;
    if (!connection.Create() || !connection.Connect() || LayOutSchema(connection, failed) != SchemaOutcome::Completed) {
        std::fprintf(stderr, "the data file could not be made: %s\n", failed.c_str());
        return false;
    }
    auto start = std::chrono::steady_clock::now();
    CsvSource source;
    if (!source.Open(path))
        return false;
    ImportMapping mapping;
    mapping.Columns = GuessImportFields(source.Header(), {}, {});
    std::vector<ImportRow> rows;
    std::vector<ImportRefusal> refused;
    CsvRecord record;
    while (source.Next(record)) {
        ImportRow row;
        ImportRefusal refusal;
        if (ReadImportRow(record, source.Header().size(), mapping, row, refusal))
            rows.push_back(std::move(row));
        else
            refused.push_back(refusal);
    }
    ImportPreview preview;
    const ImportOutcome previewed = PreviewImport(connection, rows, {}, preview);
    const double previewSeconds = SecondsSince(start);
    std::printf("import preview (file read, rows made, customers matched): %.1f s (goal under 10 s)%s: %d new "
                "customers, %d matched, %d tickets, %zu refused\n",
                previewSeconds, previewed == ImportOutcome::Done ? "" : " FAILED", preview.NewCustomers,
                preview.MatchedCustomers, preview.Tickets, refused.size() + preview.Refused.size());
    start = std::chrono::steady_clock::now();
    ImportReport report;
    const ImportOutcome imported = RunImport(connection, rows, preview, {}, report);
    std::printf("import in one transaction: %.1f s (goal under 60 s)%s: %d customers added, %d tickets\n",
                SecondsSince(start), imported == ImportOutcome::Done ? "" : " FAILED", report.CustomersAdded,
                report.TicketsAdded);
    std::printf("peak memory of the whole import (VmHWM): %.0f MB (goal under 300 MB)\n", PeakMemoryKb() / 1024.0);
    connection.Disconnect();
    return imported == ImportOutcome::Done;
}

}  // namespace

int main()
{
    char folder[] = "/tmp/import_bench_XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    bool ok = true;
    for (const bool utf8 : {false, true}) {
        const std::string path = std::string(folder) + (utf8 ? "/tickets-utf8.csv" : "/tickets-1252.csv");
        WriteFile(path, utf8);
        ok = Measure(path) && ok;
        if (!utf8) {
            const std::string dataFile = std::string(folder) + "/Solutions.fdb";
            ok = MeasureImport(path, dataFile) && ok;
            std::remove(dataFile.c_str());
        }
        std::remove(path.c_str());
    }
    rmdir(folder);
    IBPP::Shutdown();
    return ok ? 0 : 1;
}
