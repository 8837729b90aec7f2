// The ticket shown, printed or written as PDF as a one-page work order.
#include <QPageLayout>
#include <QPrinter>
#include <QTextDocument>

#include "app/CounterControls.h"
#include "app/MainUnit.h"
#include "app/WorkOrder.h"
#include "dialogs/DocumentOutput.h"
#include "dialogs/Interaction.h"
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

void TMainForm::PrintFileMenuClick()
{
    QTextDocument document;
    if (BuildWorkOrderDocument(document))
        DocumentOutput::Print(document, GetPrinter());
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
