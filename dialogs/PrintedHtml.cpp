#include "dialogs/PrintedHtml.h"

namespace PrintedHtml {

QString Text(const QString& text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

QString BusinessBlock(const QString& name, const QString& address, const QStringList& phones, const QStringList& faxes,
                      const QString& webSite)
{
    QString html = "<h2 align=\"center\">" + Text(name) + "</h2>";
    html += "<p align=\"center\">" + Text(address);
    QStringList contact;
    for (const QString& phone : phones)
        contact << "Phone " + phone.toHtmlEscaped();
    for (const QString& fax : faxes)
        contact << "Fax " + fax.toHtmlEscaped();
    if (!webSite.isEmpty())
        contact << webSite.toHtmlEscaped();
    if (!contact.isEmpty())
        html += "<br>" + contact.join(" &middot; ");
    return html + "</p><hr>";
}

}  // namespace PrintedHtml
