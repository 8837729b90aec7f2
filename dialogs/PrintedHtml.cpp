#include "dialogs/PrintedHtml.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPageRanges>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>

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

void LayOutOnOnePage(QTextDocument& document, const QString& html, QPaintDevice* device, const QSizeF& pageSize)
{
    // Laid out in the printer's own resolution, so that the page count seen
    // here is the one printed.
    document.documentLayout()->setPaintDevice(device);
    QFont font = document.defaultFont();
    // Without ligatures the PDF's text is the text typed: a search for
    // "Springfield" finds it, and a copy pastes it unchanged.
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setHtml(html);
    document.setPageSize(pageSize);
    // A long text is set smaller rather than spill onto a second sheet, down
    // to a size that still reads.
    for (int points = 10; points >= 6; --points) {
        QFont smaller = document.defaultFont();
        smaller.setPointSize(points);
        document.setDefaultFont(smaller);
        if (document.pageCount() <= 1)
            break;
    }
}

bool PrintWithPageAfter(const QTextDocument& document, QPagedPaintDevice& printer,
                        const std::function<void(QPainter&, const QRectF&)>& paintPage)
{
    const QSizeF pageSize = document.pageSize();
    if (pageSize.isEmpty())
        return false;
    QPainter painter(&printer);
    if (!painter.isActive())
        return false;
    const QRectF sheet(0, 0, printer.width(), printer.height());
    const QPageRanges ranges = printer.pageRanges();
    const int documentPages = document.pageCount();
    bool painted = false;
    // The sheet after the previous one; none is started before the first.
    auto nextSheet = [&] {
        if (painted && !printer.newPage())
            return false;
        painted = true;
        return true;
    };
    for (int page = 1; page <= documentPages; ++page) {
        if (!ranges.isEmpty() && !ranges.contains(page))
            continue;
        if (!nextSheet())
            return false;
        // The document's page scaled to the sheet, as QTextDocument::print
        // scales it, so that a page looks the same printed either way.
        painter.save();
        painter.scale(sheet.width() / pageSize.width(), sheet.height() / pageSize.height());
        painter.translate(0, -(page - 1) * pageSize.height());
        const QRectF view(0, (page - 1) * pageSize.height(), pageSize.width(), pageSize.height());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        // Black text whatever the desktop's palette says.
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (!ranges.isEmpty() && !ranges.contains(documentPages + 1))
        return painted;
    if (!nextSheet())
        return false;
    paintPage(painter, sheet);
    return true;
}

}  // namespace PrintedHtml
