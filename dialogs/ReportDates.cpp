#include "dialogs/ReportDates.h"

#include <QLocale>

QDate ToQDate(const DBFrameWork::CalendarDate& date)
{
    return date.IsSet() ? QDate(date.year, date.month, date.day) : QDate();
}

DBFrameWork::CalendarDate ToCalendarDate(const QDate& date)
{
    DBFrameWork::CalendarDate calendar;
    if (date.isValid()) {
        calendar.year = date.year();
        calendar.month = date.month();
        calendar.day = date.day();
    }
    return calendar;
}

QString ShortDateText(const QDate& date)
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return date.isValid() ? QLocale().toString(date, format) : QString();
}
