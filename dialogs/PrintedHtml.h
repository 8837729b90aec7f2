// The pieces every printed document of the program is made of: a text
// escaped with its line breaks kept, the business at the top, the layout
// that keeps the document on one sheet, and its print with a page after it.
#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QRectF;
class QTextDocument;

namespace PrintedHtml {

// Escaped, with the text's line breaks (CR LF, CR or LF) as <br>.
QString Text(const QString& text);
// The business's name as a heading, then its address and its numbers and web site on one line.
QString BusinessBlock(const QString& name, const QString& address, const QStringList& phones, const QStringList& faxes,
                      const QString& webSite);
// Lays html out in document for device (the printer) on pages of pageSize
// (the device's pixels), in a font small enough for one page where that can
// be read. Resources the HTML refers to go into the document first.
void LayOutOnOnePage(QTextDocument& document, const QString& html, QPaintDevice* device, const QSizeF& pageSize);
// Prints document, laid out by LayOutOnOnePage for printer, page for page as
// QTextDocument::print does, then one page more that paintPage paints within
// the rect it is given (the painter's coordinates); pages outside the
// printer's page range are left out. False when the printer took nothing or
// refused a page.
bool PrintWithPageAfter(const QTextDocument& document, QPagedPaintDevice& printer,
                        const std::function<void(QPainter&, const QRectF&)>& paintPage);

}  // namespace PrintedHtml
