// Backs the data file up and restores it in a loop until it is killed, for
// the kill test: kill_backup_driver <data file> <backup folder>. Each round
// writes a verified backup under a new name, as the daily backup does, removes
// the one before, and restores the data file from the new one; the copy a
// restore keeps of the file it replaced is removed again.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "dbframework/DBFrameWork_Backup.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "ibpp/ibpp.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <data file> <backup folder>\n", argv[0]);
        return 2;
    }
    DBFrameWork::DBConnection connection{std::string(argv[1])};
    if (!connection.Connect()) {
        std::printf("the data file could not be opened\n");
        return 1;
    }
    DBFrameWork::Backup backup(connection);
    std::printf("working\n");
    std::fflush(stdout);
    std::string previous;
    for (long round = 1;; ++round) {
        const std::string file = std::string(argv[2]) + "/kill-" + std::to_string(getpid()) + "-" +
            std::to_string(round) + ".fbk";
        const DBFrameWork::BackupResult made = backup.Run(file, nullptr);
        if (!made.Verified) {
            std::printf("round %ld: %s\n", round, made.Failure.c_str());
            break;
        }
        if (!previous.empty())
            std::filesystem::remove(previous);
        previous = file;
        std::printf("backed up %ld\n", round);
        std::fflush(stdout);
        const DBFrameWork::RestoreResult restored = backup.Restore(file, nullptr, std::time(nullptr));
        if (!restored.Restored) {
            std::printf("round %ld: %s\n", round, restored.Failure.c_str());
            break;
        }
        std::filesystem::remove(restored.KeptFile);
        std::printf("restored %ld\n", round);
        std::fflush(stdout);
    }
    IBPP::Shutdown();
    return 1;
}
