// Everything the program holds for the shop, taken out at once: File >
// Export All... writes it into a folder or a .zip, whole or not at all.
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>
#include <algorithm>

#include "app/MainUnit.h"
#include "dbframework/DBFrameWork_ExportAll.h"
#include "dialogs/Interaction.h"

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

void TMainForm::BuildExportMenu()
{
    ExportAllFileMenu = new QAction("Export &All...", this);
    ExportAllFileMenu->setObjectName("ExportAllFileMenu");
    // With Backup and Restore, the other commands on the whole data file.
    FileMenu->insertAction(N1, ExportAllFileMenu);
    ConnectCommand(ExportAllFileMenu, &TMainForm::ExportAllFileMenuClick);
}

void TMainForm::ExportAllFileMenuClick()
{
    Interaction::OpenFileRequest request;
    request.initialFolder = QFileInfo(DataFilePath()).absolutePath() + "/Export " +
        QDateTime::currentDateTime().toString("yyyy-MM-dd") + ".zip";
    request.filter = "Zip archive (*.zip)|*.zip|Folder|*";
    QString target;
    if (!Interaction::SaveFile(request, target))
        return;

    DBFrameWork::ExportRequest job;
    job.Target = target.toStdString();
    for (const QString& state : JobStates())
        job.States.push_back(state.toStdString());
    QProgressDialog progress("Exporting everything...", "Cancel", 0, 100, this);
    progress.setWindowTitle("Export All");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    DBFrameWork::ExportResult result;
    const bool exported = DBFrameWork::ExportAll(
        *Connection, job,
        [&progress](int64_t done, int64_t total) {
            progress.setMaximum(static_cast<int>(std::min<int64_t>(total, 1 << 30)));
            progress.setValue(static_cast<int>(std::min<int64_t>(done, 1 << 30)));
            QApplication::processEvents();
            return !progress.wasCanceled();
        },
        result);
    progress.reset();
    if (result.Cancelled) {
        Interaction::ShowMessage("The export was cancelled: nothing was written.");
        return;
    }
    if (!exported) {
        Interaction::ShowMessage("The export failed: " + Text(result.Reason));
        return;
    }
    Interaction::ShowMessage(QString("Exported %1 customers, %2 tickets, %3 reports and %4 files to %5.")
                                 .arg(result.Customers)
                                 .arg(result.Tickets)
                                 .arg(result.Reports)
                                 .arg(result.Files)
                                 .arg(target));
}
