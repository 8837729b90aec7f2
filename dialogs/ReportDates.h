// Dates between the data layer's records and the windows, shown in the
// locale's short format with the whole year (as the ticket's date pickers do).
#pragma once

#include <QDate>
#include <QString>

#include "dbframework/DBFrameWork_Reports.h"

QDate ToQDate(const DBFrameWork::CalendarDate& date);
DBFrameWork::CalendarDate ToCalendarDate(const QDate& date);
QString ShortDateText(const QDate& date);
