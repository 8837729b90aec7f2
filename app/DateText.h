// Dates cross to the data file as month/day/year whatever the user's locale;
// the window shows them in the locale's short format.
#pragma once

#include <QDate>
#include <QString>

// "12/25/2004" for 25 December 2004.
QString DateToDataText(const QDate& date);
// Reads the date part of a stored timestamp text ("12/25/2004", also followed
// by a time of day); raises ApplicationError for a text that is no date.
QDate DataTextToDate(const QString& text);
