// The pieces every printed document of the program is made of: a text
// escaped with its line breaks kept, and the business at the top.
#pragma once

#include <QString>
#include <QStringList>

namespace PrintedHtml {

// Escaped, with the text's line breaks (CR LF, CR or LF) as <br>.
QString Text(const QString& text);
// The business's name as a heading, then its address and its numbers and web site on one line.
QString BusinessBlock(const QString& name, const QString& address, const QStringList& phones, const QStringList& faxes,
                      const QString& webSite);

}  // namespace PrintedHtml
