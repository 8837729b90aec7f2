// A customer's phone numbers, each with its kind: one row per number, and an
// empty row at the end for the next one.
#pragma once

#include <QWidget>
#include <vector>

#include "dbframework/DBFrameWork_TicketRecord.h"

class QComboBox;
class QLineEdit;
class QVBoxLayout;

class TPhoneNumbersEdit : public QWidget {
    Q_OBJECT

public:
    explicit TPhoneNumbersEdit(QWidget* owner = nullptr);

    // Rows without a number are left out.
    std::vector<DBFrameWork::PhoneRecord> Phones() const;
    void SetPhones(const std::vector<DBFrameWork::PhoneRecord>& phones);
    void Clear() { SetPhones({}); }

    // The kinds offered, as stored.
    static const QStringList& Kinds();
    // A number as lists and printouts show it: "555-1234 (mobile)".
    static QString PhoneText(const DBFrameWork::PhoneRecord& phone);

signals:
    void Edited();

private:
    struct Row {
        QWidget* Box;
        QComboBox* Kind;
        QLineEdit* Number;
    };
    void AddRow(const DBFrameWork::PhoneRecord& phone);
    // Keeps exactly one empty row, the last.
    void KeepOneEmptyRow();

    QVBoxLayout* Rows = nullptr;
    std::vector<Row> RowList;
};
