// Reading a large CSV of tickets with their customers: the time and the peak
// memory of the file read, its columns guessed, and every value checked.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "dbframework/DBFrameWork_CsvSource.h"
#include "dbframework/DBFrameWork_ImportDates.h"
#include "dbframework/DBFrameWork_ImportFields.h"

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
        std::remove(path.c_str());
    }
    rmdir(folder);
    return ok ? 0 : 1;
}
