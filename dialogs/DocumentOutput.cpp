#include "dialogs/DocumentOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
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
    // A file left from before must not pass for the one written now.
    if (QFileInfo::exists(path) && !QFile::remove(path)) {
        failedPath = path;
        return false;
    }
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setPageLayout(layout.pageLayout());
    pdf.setOutputFileName(path);
    document.print(&pdf);
    // The painter reports no failure to write; the file tells.
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0) {
        failedPath = path;
        return false;
    }
    return true;
}

}  // namespace DocumentOutput
