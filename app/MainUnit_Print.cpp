// The ticket shown, printed or written as PDF as a one-page work order;
// printed, it may be followed by a page of the ticket's photos.
#include <QByteArray>
#include <QPageLayout>
#include <QPrinter>
#include <QTextDocument>

#include "app/CounterControls.h"
#include "app/MainUnit.h"
#include "app/WorkOrder.h"
#include "dbframework/DBFrameWork_FileStore.h"
#include "dialogs/DocumentOutput.h"
#include "dialogs/Interaction.h"
#include "dialogs/MediaType.h"
#include "dialogs/PhotoPage.h"
#include "dialogs/PrintedHtml.h"
#include "settings/Quenbrook_Configuration.h"

namespace {

QStringList Numbers(const Quenbrook::Configuration& config, const std::string& kind)
{
    QStringList numbers;
    for (int n = 1;; ++n) {
        const std::string number = config.GetNumber(kind + std::to_string(n));
        if (number.empty())
            break;
        numbers << QString::fromStdString(number);
    }
    return numbers;
}

}  // namespace

QStringList TMainForm::BusinessNumbers(const std::string& kind) const
{
    return Numbers(*Config, kind);
}

QPrinter& TMainForm::GetPrinter()
{
    if (!Printer)
        Printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *Printer;
}

bool TMainForm::BuildWorkOrderDocument(QTextDocument& document)
{
    // A ticket not stored has no number to print yet.
    if (HasPlaceholderText() || IsNewProblem) {
        Interaction::ShowMessage("Save the ticket before printing.");
        return false;
    }
    WorkOrderFields fields;
    fields.companyName = QString::fromStdString(Config->GetCompanyName());
    fields.companyAddress = QString::fromStdString(Config->GetAddress());
    fields.phones = BusinessNumbers("Phone");
    fields.faxes = BusinessNumbers("Fax");
    fields.webSite = QString::fromStdString(Config->GetWebSite());
    fields.ticket = TicketFromControls();
    fields.ticket.History = JobHistory;
    fields.state = Counter->ShownState();
    QPrinter& printer = GetPrinter();
    BuildWorkOrder(fields, &printer, printer.pageLayout().paintRectPixels(printer.resolution()).size(), document);
    return true;
}

void TMainForm::PrintTicketDocument(QTextDocument& document)
{
    // Only the list, with thumbnails: the photos themselves are read once they are asked for.
    std::vector<DBFrameWork::TicketFileRecord> files;
    if (!DBFrameWork::LoadFiles(*Connection, ProblemID, files))
        files.clear();  // the reason is in the debug output; the document prints without photos
    std::vector<DBFrameWork::TicketFileRecord> photos;
    for (const DBFrameWork::TicketFileRecord& file : files)
        if (IsImageType(file.MediaType))
            photos.push_back(file);

    Interaction::PrintRequest request;
    request.offerPhotos = !photos.empty();
    QPrinter& printer = GetPrinter();
    if (!Interaction::ChoosePrinter(printer, request))
        return;
    if (!request.includePhotos) {
        document.print(&printer);
        return;
    }

    PhotoPageFields page;
    page.ticketNumber = QString::number(ProblemID);
    page.totalPhotos = static_cast<int>(photos.size());
    int chosen = 0;
    for (const DBFrameWork::TicketFileRecord& photo : photos) {
        if (chosen == PhotosPerPage)
            break;
        ++chosen;
        std::string bytes;
        QImage picture;
        if (DBFrameWork::ReadFileContent(*Connection, ProblemID, photo.FileID, bytes))
            picture = DecodePrintedPhoto(QByteArray::fromStdString(bytes));
        if (picture.isNull())
            ++page.unreadable;
        else
            page.photos.push_back({QString::fromStdString(photo.Name), picture});
    }
    if (!PrintedHtml::PrintWithPageAfter(document, printer, [&page](QPainter& painter, const QRectF& sheet) {
            PaintPhotoPage(painter, sheet, page);
        }))
        throw ApplicationError("The ticket could not be printed.");
}

void TMainForm::PrintFileMenuClick()
{
    QTextDocument document;
    if (BuildWorkOrderDocument(document))
        PrintTicketDocument(document);
}

void TMainForm::PrintSetupFileMenuClick()
{
    Interaction::SetUpPage(GetPrinter());
}

void TMainForm::ExportPdfFileMenuClick()
{
    QTextDocument document;
    if (!BuildWorkOrderDocument(document))
        return;
    const QString name = "Work Order " + QString::number(ProblemID) + ".pdf";
    QString failedPath;
    if (!DocumentOutput::ExportPdf(document, GetPrinter(), name, failedPath) && !failedPath.isEmpty())
        throw ApplicationError("Error writing " + failedPath.toStdString() + "!");
}
