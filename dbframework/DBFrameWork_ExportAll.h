// Export All: everything the data file holds for the shop, with the shop's
// job states, written into one new folder or one .zip file: a CSV file per
// table, the imported reports and the tickets' files as files, and a
// README.txt that describes every file and column. Read in one snapshot of
// the data file, so that desks saving meanwhile do not make it inconsistent.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace DBFrameWork {

class DBConnection;

struct ExportRequest {
    // A file ending in ".zip" that is not there yet, or else a folder that is
    // not there yet or is empty.
    std::string Target;
    // The shop's job states in their order (kept in the settings, not in the data file).
    std::vector<std::string> States;
};

// Told the steps done of all (a step is a line of a CSV file or a file
// written); answering false stops the export, which then leaves nothing.
using ExportProgress = std::function<bool(int64_t done, int64_t total)>;

struct ExportResult {
    bool Cancelled = false;
    // Why nothing was written, for the user; empty after success.
    std::string Reason;
    int64_t Customers = 0;
    int64_t Tickets = 0;
    int64_t Reports = 0;
    int64_t Files = 0;
};

// Writes the export whole at request.Target, or nothing at all (what was
// begun is removed): false with result.Reason (and the engine's error in the
// debug output) on failure or cancel. Files are 0600, folders 0700.
bool ExportAll(DBConnection& connection, const ExportRequest& request, const ExportProgress& progress,
               ExportResult& result);

}  // namespace DBFrameWork
