// Verified backups and restores of a real data file through the engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "dbframework/DBFrameWork_Backup.h"
#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/datafiles/TestSupport.h"

namespace fs = std::filesystem;
using DBFrameWork::Backup;
using DBFrameWork::RowCounts;

namespace {

// A day of December 2026 at the given local time.
std::time_t At(int day, int hour = 18, int minute = 5)
{
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override { AddTicket(1); }

    void AddTicket(int key)
    {
        const std::string id = std::to_string(key);
        DBFrameWork::Customer customer(&db.Connection());
        customer.SetValues({id, "Customer " + id, "", "", "", ""});
        ASSERT_TRUE(customer.Insert());
        DBFrameWork::Problem problem(&db.Connection());
        problem.SetValues({id, "Ann", "3/1/2005", "", "1", "2", "Printer jams", "", "", id});
        ASSERT_TRUE(problem.Insert());
        DBFrameWork::SystemInfo info(&db.Connection());
        info.SetValues({id, "Debian", std::string(100000, 'r')});
        ASSERT_TRUE(info.Insert());
    }

    std::vector<std::string> Files(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TestDatabase db;
    std::vector<std::string> lines;
    DBFrameWork::ProgressHandler progress = [this](const std::string& line) { lines.push_back(line); };
};

TEST_F(BackupTest, BackupOfTheOpenFileIsVerifiedAndLeavesOnlyTheBackup)
{
    Backup backup(db.Connection());
    const std::string folder = fs::path(db.Path()).parent_path() / "Backups";
    EXPECT_EQ(backup.BackupFolder(), folder);
    const std::string file = backup.DefaultBackupFile(At(9));
    EXPECT_EQ(file, folder + "/Solutions-2026-12-09-1805.fbk");

    const DBFrameWork::BackupResult result = backup.Run(file, progress);
    EXPECT_TRUE(result.Verified) << result.Failure;
    EXPECT_EQ(result.BackupFile, file);
    EXPECT_EQ(Files(folder), std::vector<std::string>{"Solutions-2026-12-09-1805.fbk"});
    // Lines of the backup, of the verifying restore, in this order.
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.front().find("gbak"), std::string::npos) << lines.front();
    EXPECT_EQ(Backup::CountRows(db.Path()), (RowCounts{1, 1, 1}));
    // The window's connection was never disturbed.
    EXPECT_TRUE(db.Connection().Connected);
    AddTicket(2);
}

TEST_F(BackupTest, ABackupTakesItsNameOnlyOnceVerifiedAndClearsWhatCrashedBackupsLeft)
{
    Backup backup(db.Connection());
    const std::string folder = backup.BackupFolder();
    const std::string file = backup.DefaultBackupFile(At(9));
    fs::create_directories(folder);
    // A backup of the same name made earlier, the pieces of two backups a
    // crash cut short, and a file of the user's.
    TestSupport::WriteFile(file, "an older backup");
    TestSupport::WriteFile(file + ".partial", "cut short");
    TestSupport::WriteFile(folder + "/Solutions-2026-12-01-0800.fbk.partial", "cut short");
    TestSupport::WriteFile(folder + "/Solutions-2026-12-01-0800.fbk.verify.fdb", "a verification cut short");
    TestSupport::WriteFile(folder + "/notes.partial", "the user's");

    const DBFrameWork::BackupResult result = backup.Run(file, progress);
    ASSERT_TRUE(result.Verified) << result.Failure;
    EXPECT_EQ(Files(folder), (std::vector<std::string>{"Solutions-2026-12-09-1805.fbk", "notes.partial"}));
    EXPECT_GT(fs::file_size(file), 100000u);
}

TEST_F(BackupTest, FailedVerificationKeepsTheBackupUnderANameThatSaysSo)
{
    Backup backup(db.Connection());
    const std::string file = backup.DefaultBackupFile(At(9));
    // The verification cannot restore where a folder with content stands.
    fs::create_directories(file + ".verify.fdb/blocked");
    const DBFrameWork::BackupResult result = backup.Run(file, progress);
    EXPECT_FALSE(result.Verified);
    EXPECT_EQ(result.Failure.rfind("Verification failed: ", 0), 0u) << result.Failure;
    EXPECT_EQ(fs::path(result.BackupFile).filename(), "Solutions-2026-12-09-1805-FAILED.fbk");
    EXPECT_TRUE(fs::exists(result.BackupFile));
    EXPECT_FALSE(fs::exists(file));
    // It does not count as the day's backup.
    EXPECT_FALSE(backup.HasBackupOfDay(At(9)));

    const DBFrameWork::BackupResult unwritable = backup.Run("/proc/no-such-folder/x.fbk", progress);
    EXPECT_FALSE(unwritable.Verified);
    EXPECT_EQ(unwritable.Failure.rfind("Backup failed: ", 0), 0u) << unwritable.Failure;
}

TEST_F(BackupTest, RestoreSwapsTheBackupInAndKeepsTheCurrentFile)
{
    Backup backup(db.Connection());
    const std::string file = backup.DefaultBackupFile(At(9));
    ASSERT_TRUE(backup.Run(file, progress).Verified);
    AddTicket(2);
    // The engine makes the restored file 0660: it takes the mode of the file it replaces.
    fs::permissions(db.Path(), fs::perms::owner_read | fs::perms::owner_write);

    const DBFrameWork::RestoreResult result = backup.Restore(file, progress, At(10, 7, 30));
    ASSERT_TRUE(result.Restored) << result.Failure;
    EXPECT_EQ(fs::status(db.Path()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    const std::string kept = fs::path(db.Path()).parent_path() / "Solutions.before-restore-2026-12-10-0730.fdb";
    EXPECT_EQ(result.KeptFile, kept);
    EXPECT_TRUE(db.Connection().Connected);
    EXPECT_FALSE(fs::exists(db.Path() + ".restoring.fdb"));
    // The connection works on the restored file, which has the backup's rows.
    DBFrameWork::Problem problem(&db.Connection());
    ASSERT_TRUE(problem.Select({"2"}));
    EXPECT_EQ(problem.GetValues().front(), "0");
    AddTicket(3);
    db.Connection().Disconnect();
    EXPECT_EQ(Backup::CountRows(db.Path()), (RowCounts{2, 2, 2}));
    EXPECT_EQ(Backup::CountRows(kept), (RowCounts{2, 2, 2}));
    db.Connection().Connect();

    // A second restore in the same minute keeps the file under another name.
    ASSERT_TRUE(backup.Restore(file, progress, At(10, 7, 30)).Restored);
    EXPECT_TRUE(fs::exists(fs::path(db.Path()).parent_path() / "Solutions.before-restore-2026-12-10-0730-2.fdb"));
}

TEST_F(BackupTest, FailedRestoreLeavesTheCurrentFileAsItWas)
{
    Backup backup(db.Connection());
    const std::string junk = fs::path(db.Path()).parent_path() / "junk.fbk";
    TestSupport::WriteFile(junk, std::string(70000, 'j'));
    // Attaching rewrites the file's header, so "as it was" is: the same file
    // (never renamed or replaced), with the same rows.
    const auto inode = [&] {
        struct stat info {};
        stat(db.Path().c_str(), &info);
        return info.st_ino;
    };
    const ino_t before = inode();

    for (const std::string& source : {junk, std::string(junk + ".missing")}) {
        const DBFrameWork::RestoreResult result = backup.Restore(source, progress, At(10));
        EXPECT_FALSE(result.Restored);
        EXPECT_EQ(result.Failure.rfind("Restore failed: ", 0), 0u) << result.Failure;
        EXPECT_TRUE(db.Connection().Connected);
    }
    EXPECT_EQ(inode(), before);
    db.Connection().Disconnect();
    EXPECT_EQ(Backup::CountRows(db.Path()), (RowCounts{1, 1, 1}));
    EXPECT_EQ(Files(fs::path(db.Path()).parent_path()), (std::vector<std::string>{"Solutions.fdb", "junk.fbk"}));
}

TEST_F(BackupTest, OneBackupADayAndOnlyTheNewestCopiesKept)
{
    Backup backup(db.Connection());
    const fs::path folder = backup.BackupFolder();
    fs::create_directories(folder);
    for (const char* name :
         {"Solutions-2026-12-01-0900.fbk", "Solutions-2026-12-03-1700.fbk", "Solutions-2026-12-02-0800.fbk",
          "Solutions-2026-12-04-1200-FAILED.fbk", "Other-2026-11-01-0900.fbk", "Solutions-2026-12-04-1815.fbk"})
        TestSupport::WriteFile(folder / name, "x");
    EXPECT_TRUE(backup.HasBackupOfDay(At(4, 23, 59)));
    EXPECT_FALSE(backup.HasBackupOfDay(At(5, 0, 1)));

    const std::vector<std::string> removed = backup.RemoveOldest(2);
    EXPECT_EQ(
        removed,
        (std::vector<std::string>{folder / "Solutions-2026-12-01-0900.fbk", folder / "Solutions-2026-12-02-0800.fbk"}));
    EXPECT_EQ(Files(folder),
              (std::vector<std::string>{"Other-2026-11-01-0900.fbk", "Solutions-2026-12-03-1700.fbk",
                                        "Solutions-2026-12-04-1200-FAILED.fbk", "Solutions-2026-12-04-1815.fbk"}));
}

}  // namespace
