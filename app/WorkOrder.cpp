#include "app/WorkOrder.h"

#include <QTextDocument>

#include "dialogs/PhoneNumbersEdit.h"
#include "dialogs/PrintedHtml.h"
#include "dialogs/ReportDates.h"

namespace {

QString Html(const QString& text)
{
    return PrintedHtml::Text(text);
}

QString Html(const std::string& text)
{
    return Html(QString::fromStdString(text));
}

QString Row(const QString& label, const QString& value)
{
    return "<tr><td width=\"22%\"><b>" + label.toHtmlEscaped() + "</b></td><td>" + value + "</td></tr>";
}

}  // namespace

QString WorkOrderHtml(const WorkOrderFields& fields)
{
    QString html = "<html><body>";
    html += PrintedHtml::BusinessBlock(fields.companyName, fields.companyAddress, fields.phones, fields.faxes,
                                       fields.webSite);

    const DBFrameWork::ProblemRecord& problem = fields.ticket.Problem;
    const DBFrameWork::CustomerRecord& customer = fields.ticket.Customer;
    html += "<h3>Work Order " + QString::number(problem.ProblemID) + "</h3>";
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Assigned", ShortDateText(ToQDate(problem.Assigned)).toHtmlEscaped());
    html += Row("Completed",
                problem.Completed.IsSet() ? ShortDateText(ToQDate(problem.Completed)).toHtmlEscaped()
                                          : QStringLiteral("&nbsp;"));
    html += Row("Technician", Html(problem.Technician));
    const DBFrameWork::JobRecord& job = fields.ticket.Job;
    if (!fields.state.isEmpty())
        html += Row("State", Html(fields.state));
    if (job.PromisedBy.IsSet())
        html += Row("Promised by", ShortDateText(ToQDate(job.PromisedBy)).toHtmlEscaped());
    html += Row("Customer",
                Html(customer.Name) + "<br>" + Html(customer.Address) + "<br>" + Html(customer.City) + ", " +
                    Html(customer.State) + " " + Html(customer.Zip));
    const DBFrameWork::ContactsRecord& contacts = fields.ticket.Contacts;
    QStringList reach;
    for (const DBFrameWork::PhoneRecord& phone : contacts.Phones)
        reach << Html(TPhoneNumbersEdit::PhoneText(phone));
    if (!contacts.Email.empty())
        reach << Html(contacts.Email);
    if (!reach.isEmpty())
        html += Row("Contact", reach.join("<br>"));
    html += Row("Operating System", Html(fields.ticket.SystemInfo.OperatingSystem));
    const DBFrameWork::DeviceRecord& device = job.Device;
    if (!device.IsEmpty()) {
        QString text = Html(device.Kind + (device.Kind.empty() ? "" : " ") + device.MakeModel);
        if (!device.Serial.empty())
            text += "<br>S/N " + Html(device.Serial);
        html += Row("Device", text);
    }
    if (!job.Accessories.empty())
        html += Row("Accessories", Html(job.Accessories));
    if (!job.Condition.empty())
        html += Row("Condition", Html(job.Condition));
    html += "</table>";

    html += "<h4>Problem</h4><p>" + Html(problem.Description) + "</p>";
    html += "<h4>Resolution</h4><p>" + Html(problem.Resolution) + "</p>";
    html += "<table cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Actual Hours", QString::number(problem.ActualHours));
    html += Row("Billable Hours", QString::number(problem.BillableHours));
    html += "</table>";
    if (!fields.ticket.History.empty()) {
        html += "<h4>Job History</h4><table cellspacing=\"0\" cellpadding=\"2\">";
        for (const DBFrameWork::JobEventRecord& event : fields.ticket.History)
            html += "<tr><td>" + Html(event.Time) + "</td><td>" + Html(event.User) + "</td><td>" +
                (event.Kind == DBFrameWork::JobEventKind::Notice ? QString("Customer told: ") : QString()) +
                Html(event.Detail) + "</td></tr>";
        html += "</table>";
    }

    html += "<p>&nbsp;</p><p>&nbsp;</p><table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\"><tr>"
            "<td width=\"60%\">________________________________<br>Customer signature</td>"
            "<td>____________________<br>Date</td></tr></table>";
    html += "</body></html>";
    return html;
}

void BuildWorkOrder(const WorkOrderFields& fields, QPaintDevice* device, const QSizeF& pageSize,
                    QTextDocument& document)
{
    PrintedHtml::LayOutOnOnePage(document, WorkOrderHtml(fields), device, pageSize);
}
