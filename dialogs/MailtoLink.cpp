#include "MailtoLink.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

// Only the unreserved characters stay as they are; everything else, "+" and
// "&" included, is encoded, which RFC 6068 allows and no mail program
// misreads.
QString Encoded(const QString& text, const QByteArray& alsoKept = {})
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, alsoKept));
}

QString WithCrlf(QString text)
{
    text.replace(QRegularExpression(QStringLiteral("\r\n|\r|\n")), QStringLiteral("\r\n"));
    return text;
}

}  // namespace

QString MailtoLink(const QString& to, const QString& subject, const QString& body)
{
    // "@" and the "," between several addresses keep their meaning unencoded.
    QString link = QStringLiteral("mailto:") + Encoded(to.trimmed(), "@,");
    QStringList fields;
    // A subject is one line; a line break there would only be dropped or misread.
    QString oneLine = subject;
    oneLine.replace(QRegularExpression(QStringLiteral("[\r\n]+")), QStringLiteral(" "));
    if (!oneLine.isEmpty())
        fields << QStringLiteral("subject=") + Encoded(oneLine);
    if (!body.isEmpty())
        fields << QStringLiteral("body=") + Encoded(WithCrlf(body));
    if (!fields.isEmpty())
        link += QLatin1Char('?') + fields.join(QLatin1Char('&'));
    return link;
}
