#include "app/WorkOrder.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

#include "dialogs/ReportDates.h"

namespace {

// Escaped, with the text's line breaks kept.
QString Html(const QString& text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
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
    html += "<h2 align=\"center\">" + Html(fields.companyName) + "</h2>";
    html += "<p align=\"center\">" + Html(fields.companyAddress);
    QStringList contact;
    for (const QString& phone : fields.phones)
        contact << "Phone " + phone.toHtmlEscaped();
    for (const QString& fax : fields.faxes)
        contact << "Fax " + fax.toHtmlEscaped();
    if (!fields.webSite.isEmpty())
        contact << fields.webSite.toHtmlEscaped();
    if (!contact.isEmpty())
        html += "<br>" + contact.join(" &middot; ");
    html += "</p><hr>";

    const DBFrameWork::ProblemRecord& problem = fields.ticket.Problem;
    const DBFrameWork::CustomerRecord& customer = fields.ticket.Customer;
    html += "<h3>Work Order " + QString::number(problem.ProblemID) + "</h3>";
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Assigned", ShortDateText(ToQDate(problem.Assigned)).toHtmlEscaped());
    html += Row("Completed",
                problem.Completed.IsSet() ? ShortDateText(ToQDate(problem.Completed)).toHtmlEscaped()
                                          : QStringLiteral("&nbsp;"));
    html += Row("Technician", Html(problem.Technician));
    html += Row("Customer",
                Html(customer.Name) + "<br>" + Html(customer.Address) + "<br>" + Html(customer.City) + ", " +
                    Html(customer.State) + " " + Html(customer.Zip));
    html += Row("Operating System", Html(fields.ticket.SystemInfo.OperatingSystem));
    html += "</table>";

    html += "<h4>Problem</h4><p>" + Html(problem.Description) + "</p>";
    html += "<h4>Resolution</h4><p>" + Html(problem.Resolution) + "</p>";
    html += "<table cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Actual Hours", QString::number(problem.ActualHours));
    html += Row("Billable Hours", QString::number(problem.BillableHours));
    html += "</table>";

    html += "<p>&nbsp;</p><p>&nbsp;</p><table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\"><tr>"
            "<td width=\"60%\">________________________________<br>Customer signature</td>"
            "<td>____________________<br>Date</td></tr></table>";
    html += "</body></html>";
    return html;
}

void BuildWorkOrder(const WorkOrderFields& fields, QPaintDevice* device, const QSizeF& pageSize,
                    QTextDocument& document)
{
    // Laid out in the printer's own resolution, so that the page count seen
    // here is the one printed.
    document.documentLayout()->setPaintDevice(device);
    QFont font = document.defaultFont();
    // Without ligatures the PDF's text is the text typed: a search for
    // "Springfield" finds it, and a copy pastes it unchanged.
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setHtml(WorkOrderHtml(fields));
    document.setPageSize(pageSize);
    // A long problem or resolution is set smaller rather than spill onto a
    // second sheet, down to a size that still reads.
    for (int points = 10; points >= 6; --points) {
        QFont font = document.defaultFont();
        font.setPointSize(points);
        document.setDefaultFont(font);
        if (document.pageCount() <= 1)
            break;
    }
}
