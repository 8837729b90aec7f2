#include "app/DateText.h"

#include <QStringList>

#include "app/MainUnit.h"

QString DateToDataText(const QDate& date)
{
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year());
}

QDate DataTextToDate(const QString& text)
{
    const QStringList parts = text.section(' ', 0, 0).split('/');
    QDate date;
    if (parts.size() == 3) {
        bool monthOk = false, dayOk = false, yearOk = false;
        const int month = parts.at(0).toInt(&monthOk);
        const int day = parts.at(1).toInt(&dayOk);
        const int year = parts.at(2).toInt(&yearOk);
        if (monthOk && dayOk && yearOk)
            date = QDate(year, month, day);
    }
    if (!date.isValid())
        throw ApplicationError(("'" + text + "' is not a valid date").toStdString());
    return date;
}
