// Backup and Restore of the File menu, and the automatic backup when the
// program ends. The engine does the work; the window shows its lines.
//
// The work runs off the window's thread, which keeps painting the progress
// window and the engine's lines. It needs the window's connection (a restore
// detaches and attaches it again), lent to the work until it ends: the
// progress window is application-modal, so no command can touch the
// connection meanwhile, and the window runs nothing else on it.
#include <QDir>
#include <QFileInfo>
#include <ctime>

#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_Backup.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FileSystem.h"
#include "dialogs/BackgroundWork.h"
#include "dialogs/BackupProgressUnit.h"
#include "dialogs/Interaction.h"
#include "settings/Quenbrook_Configuration.h"

namespace {

const char* const BackupFilter = "Backup files (*.fbk)|*.fbk|All files (*.*)|*.*";

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// Called on the work's thread: the line is shown on the window's, unless the
// progress window has gone by then.
DBFrameWork::ProgressHandler ShowOn(TBackupProgress& progress)
{
    return [&progress](const std::string& line) {
        QMetaObject::invokeMethod(
            &progress, [&progress, text = QString::fromStdString(line)] { progress.ShowLine(text); },
            Qt::QueuedConnection);
    };
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
    return BackgroundWork(this).RunShowing(progress, [&] { return backup.Run(backupFile, ShowOn(progress)); });
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
        result = BackgroundWork(this).RunShowing(
            progress, [&] { return backup.Restore(chosen.toStdString(), ShowOn(progress), std::time(nullptr)); });
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
