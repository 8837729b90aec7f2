// File > Backup... and Restore..., and the backup when the program ends,
// through the real window and a real data file.
#include <QAction>
#include <QFileInfo>
#include <QTextEdit>
#include <filesystem>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/BackupProgressUnit.h"
#include "settings/Quenbrook_Configuration.h"
#include "tests/support/windows/WindowTest.h"

namespace fs = std::filesystem;

namespace {

std::time_t Day(int day)
{
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = day;
    local.tm_hour = 17;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

class BackupCommands : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        UseDataFile(work.File("Data/Solutions.fdb"));
        Start();
        ASSERT_TRUE(window);
        FillTicket();
        ASSERT_TRUE(window->SaveProblem());
    }

    std::vector<std::string> Backups()
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(work.File("Data/Backups")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(BackupCommands, BackupIsVerifiedThenRestoreBringsItBackAfterConfirmation)
{
    const std::string backup = work.File("Data/Backups/chosen.fbk");
    fake->QueueFile(QString::fromStdString(backup));
    Find<QAction>("BackupFileMenu")->trigger();
    EXPECT_EQ(fake->messages, QStringList{"Backup complete and verified."});
    ASSERT_EQ(fake->saveRequests.size(), 1u);
    // The dialog proposes the dated name in the backup folder beside the data file.
    const QString proposed = fake->saveRequests[0].initialFolder;
    EXPECT_TRUE(proposed.startsWith(QString::fromStdString(work.File("Data/Backups/Solutions-"))))
        << proposed.toStdString();
    EXPECT_TRUE(proposed.endsWith(".fbk"));
    EXPECT_EQ(QFileInfo(proposed).fileName().size(), QString("Solutions-2026-12-09-1805.fbk").size());
    EXPECT_EQ(fake->saveRequests[0].defaultExtension, "fbk");
    EXPECT_TRUE(fs::exists(backup));

    // A second ticket, then the backup comes back: declined first, then confirmed.
    window->NewFileMenuClick();
    FillTicket("Jones");
    ASSERT_TRUE(window->SaveProblem());
    fake->messages.clear();
    fake->QueueFile(QString::fromStdString(backup));
    Find<QAction>("RestoreFileMenu")->trigger();
    ASSERT_EQ(fake->questions.size(), 1);
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_EQ(fake->fileRequests.back().initialFolder, QString::fromStdString(work.File("Data/Backups")));
    EXPECT_EQ(Count("Problem"), 2);

    fake->confirmAnswer = true;
    fake->QueueFile(QString::fromStdString(backup));
    Find<QAction>("RestoreFileMenu")->trigger();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_TRUE(fake->messages[0].startsWith("Restore complete.")) << fake->messages[0].toStdString();
    EXPECT_TRUE(window->GetIsNewProblem());
    EXPECT_TRUE(window->GetConnection()->Connected);
    EXPECT_EQ(Count("Problem"), 1);
    // The file as it was before the restore is kept beside it.
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(work.File("Data")))
        if (entry.path().filename().string().rfind("Solutions.before-restore-", 0) == 0)
            ++kept;
    EXPECT_EQ(kept, 1);
    // Saving goes on in the restored file.
    FillTicket("Brown");
    EXPECT_TRUE(window->SaveProblem());
    EXPECT_EQ(Count("Problem"), 2);
}

TEST_F(BackupCommands, CancelledDialogsDoNothing)
{
    Find<QAction>("BackupFileMenu")->trigger();
    Find<QAction>("RestoreFileMenu")->trigger();
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_TRUE(fake->questions.isEmpty());
    EXPECT_TRUE(Backups().empty());
}

TEST_F(BackupCommands, BackupOnExitOnceADayKeepingTheNewestCopies)
{
    window->GetConfig()->SetBackupCopies(2);
    EXPECT_TRUE(window->BackupOnExit(Day(1)));
    EXPECT_FALSE(window->BackupOnExit(Day(1)));
    EXPECT_TRUE(window->BackupOnExit(Day(2)));
    EXPECT_TRUE(window->BackupOnExit(Day(3)));
    EXPECT_EQ(Backups(), (std::vector<std::string>{"Solutions-2026-12-02-1700.fbk", "Solutions-2026-12-03-1700.fbk"}));
    EXPECT_TRUE(fake->messages.isEmpty());

    window->GetConfig()->SetBackupOnExit(false);
    EXPECT_FALSE(window->BackupOnExit(Day(4)));
    EXPECT_EQ(Backups().size(), 2u);
}

TEST_F(BackupCommands, FailedBackupOnExitSaysWhyAndKeepsTheOldCopies)
{
    ASSERT_TRUE(window->BackupOnExit(Day(1)));
    fs::create_directories(work.File("Data/Backups/Solutions-2026-12-02-1700.fbk.verify.fdb/blocked"));
    EXPECT_FALSE(window->BackupOnExit(Day(2)));
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_TRUE(fake->messages[0].startsWith("Verification failed: ")) << fake->messages[0].toStdString();
    EXPECT_TRUE(fake->messages[0].contains("Solutions-2026-12-02-1700-FAILED.fbk"));
    EXPECT_TRUE(fs::exists(work.File("Data/Backups/Solutions-2026-12-01-1700.fbk")));
}

}  // namespace
