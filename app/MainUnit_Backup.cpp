// Backup and Restore of the File menu, and the automatic backup when the
// program ends. The engine does the work; the window shows its lines.
//
// The work runs on the user-interface thread: the engine hands over a line
// every few moments and the progress window repaints at each one. The
// connection is the window's and never leaves its thread, and the progress
// window is modal, so no other command can start while the file is copied.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <ctime>

#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_FileSystem.h"
#include "dbframework/DBFrameWork_Backup.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/BackupProgressUnit.h"
#include "dialogs/Interaction.h"
#include "settings/Quenbrook_Configuration.h"

namespace {

const char* const BackupFilter = "Backup files (*.fbk)|*.fbk|All files (*.*)|*.*";

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

DBFrameWork::ProgressHandler ShowOn(TBackupProgress& progress)
{
    return [&progress](const std::string& line) { progress.ShowLine(QString::fromStdString(line)); };
}

// What the user reads after a backup.
QString Outcome(const DBFrameWork::BackupResult& result)
{
    if (result.Verified)
        return "Backup complete and verified.";
    return Text(result.Failure) + "\n\nThe backup was kept as " + QDir::toNativeSeparators(Text(result.BackupFile)) +
           ".";
}

Interaction::OpenFileRequest BackupFileRequest(const QString& initialFolder)
{
    Interaction::OpenFileRequest request;
    request.initialFolder = initialFolder;
    request.defaultExtension = "fbk";
    request.filter = BackupFilter;
    request.filterIndex = 1;
    return request;
}

}  // namespace

DBFrameWork::BackupResult TMainForm::RunBackup(const std::string& backupFile, const QString& caption)
{
    DBFrameWork::Backup backup(*Connection);
    TBackupProgress progress(this, caption);
    // The progress window repaints while the engine keeps a call waiting; it
    // is modal, so no command can start meanwhile.
    DBFrameWork::EngineWaitScope repainting([&progress] { progress.Pump(); });
    progress.Start();
    return backup.Run(backupFile, ShowOn(progress));
}

void TMainForm::BackupFileMenuClick()
{
    DBFrameWork::Backup backup(*Connection);
    // The server writes its backup beside its data file: no folder here to choose.
    if (backup.OnServer()) {
        Interaction::ShowMessage(Outcome(RunBackup(backup.DefaultBackupFile(std::time(nullptr)), "Backup...")));
        return;
    }
    // The folder must exist for the file dialog to open in it.
    DBFrameWork::MakePrivateFolders(backup.BackupFolder());
    QString chosen;
    if (!Interaction::SaveFile(BackupFileRequest(Text(backup.DefaultBackupFile(std::time(nullptr)))), chosen))
        return;
    const DBFrameWork::BackupResult result = RunBackup(chosen.toStdString(), "Backup...");
    Interaction::ShowMessage(Outcome(result));
}

void TMainForm::RestoreFileMenuClick()
{
    DBFrameWork::Backup backup(*Connection);
    QString chosen;
    if (!Interaction::OpenFile(BackupFileRequest(Text(backup.BackupFolder())), chosen))
        return;
    const QString dataFile = QDir::toNativeSeparators(Text(backup.DataFile()));
    if (!Interaction::Confirm("Replace the data file " + dataFile + " with the backup " +
                              QDir::toNativeSeparators(chosen) +
                              "?\n\nThe current data file is kept beside it and the ticket shown is closed."))
        return;

    // The index's own attachment would hold on to the file being replaced.
    CloseFindIndex();
    DBFrameWork::RestoreResult result;
    {
        TBackupProgress progress(this, "Restore...");
        DBFrameWork::EngineWaitScope repainting([&progress] { progress.Pump(); });
        progress.Start();
        result = backup.Restore(chosen.toStdString(), ShowOn(progress), std::time(nullptr));
    }
    if (!result.Restored) {
        Interaction::ShowMessage(Text(result.Failure) + "\n\nThe data file was not changed.");
        return;
    }
    // The ticket shown may not exist in the restored file.
    NewFileMenuClick();
    Interaction::ShowMessage("Restore complete. The previous data file was kept as " +
                             QDir::toNativeSeparators(Text(result.KeptFile)) + ".");
}

bool TMainForm::BackupOnExit(std::time_t now)
{
    if (!Config->GetBackupOnExit() || !Connection || !Connection->Connected)
        return false;
    DBFrameWork::Backup backup(*Connection);
    // A server's data file is backed up on the server, not by every desk that leaves.
    if (backup.OnServer() || backup.HasBackupOfDay(now))
        return false;
    const DBFrameWork::BackupResult result = RunBackup(backup.DefaultBackupFile(now), "Backing up the data file...");
    if (!result.Verified) {
        Interaction::ShowMessage(Outcome(result));
        return false;
    }
    backup.RemoveOldest(Config->GetBackupCopies());
    return true;
}
