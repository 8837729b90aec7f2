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

    html += "<h3>Work Order " + QString::number(fields.ticketNumber) + "</h3>";
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Assigned", ShortDateText(fields.assigned).toHtmlEscaped());
    html += Row("Completed", fields.completed.isValid() ? ShortDateText(fields.completed).toHtmlEscaped()
                                                        : QStringLiteral("&nbsp;"));
    html += Row("Technician", Html(fields.technician));
    QString customer = Html(fields.customerName) + "<br>" + Html(fields.customerAddress) + "<br>" +
                       Html(fields.city) + ", " + Html(fields.state) + " " + Html(fields.zip);
    html += Row("Customer", customer);
    html += Row("Operating System", Html(fields.operatingSystem));
    html += "</table>";

    html += "<h4>Problem</h4><p>" + Html(fields.problem) + "</p>";
    html += "<h4>Resolution</h4><p>" + Html(fields.resolution) + "</p>";
    html += "<table cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Actual Hours", QString::number(fields.actualHours));
    html += Row("Billable Hours", QString::number(fields.billableHours));
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
