#include "dialogs/DatePicker.h"

#include <QDate>
#include <QDateEdit>
#include <QLocale>

QDateEdit* NewDatePicker(const QString& name, QWidget* parent)
{
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    // A two-digit year would be read back in the wrong century.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    picker->setDisplayFormat(format);
    // Room for the widest date of the format, beside the drop-down button.
    const QString widest = QLocale().toString(QDate(2000, 12, 28), format);
    picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(widest) + 30);
    return picker;
}
