#include "dialogs/PhoneNumbersEdit.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dbframework/DBFrameWork_Columns.h"

TPhoneNumbersEdit::TPhoneNumbersEdit(QWidget* owner) : QWidget(owner)
{
    setObjectName("PhoneNumbersEdit");
    Rows = new QVBoxLayout(this);
    Rows->setContentsMargins(0, 0, 0, 0);
    Rows->setSpacing(2);
    KeepOneEmptyRow();
}

const QStringList& TPhoneNumbersEdit::Kinds()
{
    static const QStringList kinds = {"mobile", "home", "work"};
    return kinds;
}

QString TPhoneNumbersEdit::PhoneText(const DBFrameWork::PhoneRecord& phone)
{
    return QString::fromStdString(phone.Number) + " (" + QString::fromStdString(phone.Kind) + ")";
}

std::vector<DBFrameWork::PhoneRecord> TPhoneNumbersEdit::Phones() const
{
    std::vector<DBFrameWork::PhoneRecord> phones;
    for (const Row& row : RowList) {
        const QString number = row.Number->text().trimmed();
        if (!number.isEmpty())
            phones.push_back({row.Kind->currentText().toStdString(), number.toStdString()});
    }
    return phones;
}

void TPhoneNumbersEdit::SetPhones(const std::vector<DBFrameWork::PhoneRecord>& phones)
{
    // The rows there are take the numbers, so that the first row keeps its
    // place in the window's Tab order; rows are added and removed at the end.
    const size_t wanted = phones.size() + 1;
    while (RowList.size() > wanted) {
        delete RowList.back().Box;
        RowList.pop_back();
    }
    for (size_t at = 0; at < RowList.size(); ++at) {
        const DBFrameWork::PhoneRecord phone = at < phones.size() ? phones[at] : DBFrameWork::PhoneRecord();
        const int kind = Kinds().indexOf(QString::fromStdString(phone.Kind));
        RowList[at].Kind->setCurrentIndex(kind >= 0 ? kind : 0);
        RowList[at].Number->setText(QString::fromStdString(phone.Number));
    }
    for (size_t at = RowList.size(); at < phones.size(); ++at)
        AddRow(phones[at]);
    KeepOneEmptyRow();
}

void TPhoneNumbersEdit::AddRow(const DBFrameWork::PhoneRecord& phone)
{
    auto* box = new QWidget(this);
    auto* line = new QHBoxLayout(box);
    line->setContentsMargins(0, 0, 0, 0);
    auto* kind = new QComboBox(box);
    kind->addItems(Kinds());
    const int kindAt = Kinds().indexOf(QString::fromStdString(phone.Kind));
    kind->setCurrentIndex(kindAt >= 0 ? kindAt : 0);
    kind->setAccessibleName("Phone kind");
    auto* number = new QLineEdit(QString::fromStdString(phone.Number), box);
    const DBFrameWork::ColumnDefinition& column =
        DBFrameWork::ContactTable().Columns[DBFrameWork::ContactColumn::Contact];
    number->setMaxLength(static_cast<int>(column.ByteLength));
    number->setAccessibleName("Customer phone");
    number->setPlaceholderText("Phone");
    line->addWidget(kind);
    line->addWidget(number, 1);
    Rows->addWidget(box);
    if (!RowList.empty()) {
        setTabOrder(RowList.back().Number, kind);
        setTabOrder(kind, number);
    }
    RowList.push_back({box, kind, number});
    connect(number, &QLineEdit::textEdited, this, [this] {
        KeepOneEmptyRow();
        emit Edited();
    });
    connect(kind, qOverload<int>(&QComboBox::activated), this, [this] { emit Edited(); });
}

void TPhoneNumbersEdit::KeepOneEmptyRow()
{
    // Empty rows other than the last go, unless one has the focus (being typed in).
    for (size_t at = 0; at + 1 < RowList.size();) {
        Row& row = RowList[at];
        if (row.Number->text().isEmpty() && !row.Number->hasFocus()) {
            delete row.Box;
            RowList.erase(RowList.begin() + static_cast<long>(at));
        } else {
            ++at;
        }
    }
    if (RowList.empty() || !RowList.back().Number->text().isEmpty())
        AddRow({});
    for (size_t at = 0; at < RowList.size(); ++at) {
        RowList[at].Kind->setObjectName(QString("PhoneKindComboBox%1").arg(at + 1));
        RowList[at].Number->setObjectName(QString("PhoneNumberEdit%1").arg(at + 1));
    }
}
