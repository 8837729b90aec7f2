#include "dialogs/IntakeReceipt.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QLocale>
#include <QPaintDevice>
#include <QTextDocument>
#include <QUrl>
#include <QtDebug>

#include "dialogs/PrintedHtml.h"
#include "dialogs/QrCode.h"

const char* const IntakeReceiptQrCodeUrl = "velmora-qrcode:ticket";

namespace {

// Side of the printed code, in the document's 96-per-inch pixels.
constexpr int QrCodeSidePixels = 120;
constexpr double QrCodeSideInches = QrCodeSidePixels / 96.0;

using PrintedHtml::Text;

QString Lines(const QStringList& lines)
{
    QStringList escaped;
    for (const QString& line : lines)
        escaped << Text(line);
    return escaped.join(QLatin1String("<br>"));
}

QString DateText(const QDate& date)
{
    return date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : QString();
}

QString Row(const QString& label, const QString& value)
{
    return "<tr><td width=\"22%\"><b>" + label.toHtmlEscaped() + "</b></td><td>" +
        (value.isEmpty() ? QStringLiteral("&nbsp;") : value) + "</td></tr>";
}

QString Section(const QString& title, const QString& text)
{
    return "<h4>" + title.toHtmlEscaped() + "</h4><p>" + (text.isEmpty() ? QStringLiteral("&nbsp;") : Text(text)) +
        "</p>";
}

}  // namespace

QString IntakeReceiptHtml(const IntakeReceiptFields& fields)
{
    QString html = "<html><body>";
    html += PrintedHtml::BusinessBlock(fields.companyName, fields.companyAddress, fields.phones, {}, fields.webSite);

    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\"><tr><td valign=\"middle\">";
    html += "<h2>Intake Receipt</h2><p><b>Ticket " + Text(fields.ticketNumber) + "</b><br>Date " +
        DateText(fields.date).toHtmlEscaped() + "</p></td>";
    if (!QrCode(fields.ticketNumber).IsNull())
        html += QString("<td align=\"right\"><img src=\"%1\" width=\"%2\" height=\"%2\"></td>")
                    .arg(QLatin1String(IntakeReceiptQrCodeUrl))
                    .arg(QrCodeSidePixels);
    html += "</tr></table>";

    html += "<h4>Customer</h4><table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Name", Text(fields.customerName));
    html += Row("Address", Lines(fields.customerAddressLines));
    html += Row("Phone", Lines(fields.customerPhones));
    html += Row("E-mail", Text(fields.customerEmail));
    html += "</table>";

    html += "<h4>Device</h4><table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Kind", Text(fields.deviceKind));
    html += Row("Make and model", Text(fields.deviceMakeModel));
    html += Row("Serial / IMEI", Text(fields.deviceSerial));
    html += "</table>";

    html += Section("Accessories", fields.accessories);
    html += Section("Condition on arrival", fields.condition);
    html += "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">";
    html += Row("Promised by", DateText(fields.promisedBy).toHtmlEscaped());
    html += "</table>";
    html += Section("Terms", fields.terms);
    // Ballot boxes: a mark the customer can see was or was not made.
    html += QString("<p>%1 I agree to the terms above</p>")
                .arg(fields.termsAgreed ? QStringLiteral("&#x2611;") : QStringLiteral("&#x2610;"));

    html += "<p>&nbsp;</p><table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\"><tr>"
            "<td width=\"60%\">________________________________<br>Customer signature</td>"
            "<td>____________________<br>Date</td></tr></table>";
    html += "</body></html>";
    return html;
}

void BuildIntakeReceipt(const IntakeReceiptFields& fields, QPaintDevice* device, const QSizeF& pageSize,
                        QTextDocument& document)
{
    // Drawn at the device's resolution or finer, so that printing scales the
    // code down, never up into blurred modules; added before the HTML, so that
    // the first layout already knows the image.
    const QrCode code(fields.ticketNumber);
    if (code.IsNull()) {
        qWarning("No QR code on the receipt for ticket \"%s\": %s", qUtf8Printable(fields.ticketNumber),
                 std::strerror(code.Error()));
    } else {
        const double devicePixels = QrCodeSideInches * (device ? device->logicalDpiY() : 96);
        const int pixelsPerModule = std::max(1, static_cast<int>(std::ceil(devicePixels / code.Modules())));
        document.addResource(QTextDocument::ImageResource, QUrl(QLatin1String(IntakeReceiptQrCodeUrl)),
                             code.Image(pixelsPerModule));
    }
    PrintedHtml::LayOutOnOnePage(document, IntakeReceiptHtml(fields), device, pageSize);
}
