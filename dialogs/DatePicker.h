// The date box every window uses: a calendar drop-down in the locale's short
// format with the whole year.
#pragma once

#include <QString>

class QDateEdit;
class QWidget;

QDateEdit* NewDatePicker(const QString& name, QWidget* parent);
