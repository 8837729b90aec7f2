#include "dialogs/DocumentOutput.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>

#include "dialogs/Interaction.h"

namespace DocumentOutput {

bool Print(QTextDocument& document, QPrinter& printer)
{
    if (!Interaction::ChoosePrinter(printer))
        return false;
    document.print(&printer);
    return true;
}

bool ExportPdf(QTextDocument& document, const QPrinter& layout, const QString& suggestedName, QString& failedPath)
{
    failedPath.clear();
    Interaction::OpenFileRequest request;
    request.initialFolder = suggestedName;
    request.defaultExtension = "pdf";
    request.filter = "PDF Files (*.pdf)|*.pdf";
    QString path;
    if (!Interaction::SaveFile(request, path))
        return false;
    // Written beside the old file and renamed over it once whole, so that
    // a crash midway leaves the old file, never half of the new one.
    QSaveFile file(path);
    if (!OpenForWriting(file)) {
        failedPath = path;
        return false;
    }
    QPdfWriter pdf(&file);
    pdf.setResolution(layout.resolution());
    pdf.setPageLayout(layout.pageLayout());
    document.print(&pdf);
    if (!file.commit()) {
        failedPath = path;
        return false;
    }
    return true;
}

bool OpenForWriting(QSaveFile& file)
{
    const bool existed = QFileInfo::exists(file.fileName());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!existed && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    return true;
}

}  // namespace DocumentOutput
