#include "app/CounterControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "dbframework/DBFrameWork_Columns.h"
#include "dbframework/DBFrameWork_JobStates.h"
#include "dialogs/DatePicker.h"
#include "dialogs/PhoneNumbersEdit.h"
#include "dialogs/ReportDates.h"

namespace {

namespace Device = DBFrameWork::DeviceColumn;
namespace Job = DBFrameWork::JobColumn;

int Bytes(const DBFrameWork::TableDefinition& table, size_t column)
{
    return static_cast<int>(table.Columns[column].ByteLength);
}

QLineEdit* NewLineEdit(const QString& name, const DBFrameWork::TableDefinition& table, size_t column, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Characters, not bytes: the store cuts nothing of a text within its column's bytes.
    edit->setMaxLength(Bytes(table, column) / 4 > 0 ? Bytes(table, column) : 0);
    edit->setAccessibleName(table.Columns[column].SpokenName);
    return edit;
}

DBFrameWork::StringList StdList(const QStringList& list)
{
    DBFrameWork::StringList out;
    for (const QString& item : list)
        out.push_back(item.toStdString());
    return out;
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QString DeviceText(const DBFrameWork::DeviceRecord& device)
{
    QStringList parts;
    for (const std::string* part : {&device.Kind, &device.MakeModel})
        if (!part->empty())
            parts << Text(*part);
    if (!device.Serial.empty())
        parts << "S/N " + Text(device.Serial);
    return parts.join(", ");
}

}  // namespace

TCounterControls::TCounterControls(QWidget* window) : QObject(window)
{
    Phones = new TPhoneNumbersEdit(window);
    EmailEdit = new QLineEdit(window);
    EmailEdit->setObjectName("EmailEdit");
    EmailEdit->setPlaceholderText("E-mail");
    EmailEdit->setMaxLength(Bytes(DBFrameWork::ContactTable(), DBFrameWork::ContactColumn::Contact));
    EmailEdit->setAccessibleName("Customer e-mail");
}

void TCounterControls::MakeJobControls(QWidget* window, QCheckBox* complete, QDateEdit* completedDate)
{
    Complete = complete;
    CompletedDate = completedDate;
    StateLabel = new QLabel("State", window);
    StateLabel->setObjectName("StateLabel");
    JobStateComboBox = new QComboBox(window);
    JobStateComboBox->setObjectName("JobStateComboBox");
    JobStateComboBox->setAccessibleName("Job state");
    StateLabel->setBuddy(JobStateComboBox);
    PromisedCheckBox = new QCheckBox("Promised by", window);
    PromisedCheckBox->setObjectName("PromisedCheckBox");
    PromisedCheckBox->setLayoutDirection(Qt::RightToLeft);  // caption left of the box, as Complete
    PromisedDatePicker = NewDatePicker("PromisedDatePicker", window);
    PromisedDatePicker->setAccessibleName(DBFrameWork::JobTable().Columns[Job::PromisedBy].SpokenName);
    PromisedDatePicker->setEnabled(false);
    connect(PromisedCheckBox, &QCheckBox::toggled, PromisedDatePicker, &QWidget::setEnabled);
    connect(JobStateComboBox, &QComboBox::activated, this,
            [this](int) { StateChosenByUser(JobStateComboBox->currentText()); });
    connect(Complete, &QCheckBox::clicked, this, [this](bool checked) { CompleteClickedByUser(checked); });
    SetStates({});
}

const QStringList& TCounterControls::DeviceKinds()
{
    static const QStringList kinds = {"laptop", "desktop", "phone", "tablet", "printer", "other"};
    return kinds;
}

void TCounterControls::MakeDevicePage(QWidget* window)
{
    const DBFrameWork::TableDefinition& device = DBFrameWork::DeviceTable();
    const DBFrameWork::TableDefinition& job = DBFrameWork::JobTable();
    DevicePage = new QWidget(window);
    DevicePage->setObjectName("Device");
    auto* form = new QFormLayout(DevicePage);
    form->setContentsMargins(4, 4, 4, 4);
    KnownDevicesComboBox = new QComboBox(DevicePage);
    KnownDevicesComboBox->setObjectName("KnownDevicesComboBox");
    KnownDevicesComboBox->setAccessibleName("The customer's devices");
    DeviceKindComboBox = new QComboBox(DevicePage);
    DeviceKindComboBox->setObjectName("DeviceKindComboBox");
    DeviceKindComboBox->addItem(QString());
    DeviceKindComboBox->addItems(DeviceKinds());
    DeviceKindComboBox->setAccessibleName(device.Columns[Device::Kind].SpokenName);
    MakeModelEdit = NewLineEdit("MakeModelEdit", device, Device::MakeModel, DevicePage);
    SerialEdit = NewLineEdit("SerialEdit", device, Device::Serial, DevicePage);
    AccessoriesEdit = NewLineEdit("AccessoriesEdit", job, Job::Accessories, DevicePage);
    AccessoriesEdit->setPlaceholderText("charger, bag, ...");
    ConditionMemo = new QPlainTextEdit(DevicePage);
    ConditionMemo->setObjectName("ConditionMemo");
    ConditionMemo->setTabChangesFocus(true);
    ConditionMemo->setAccessibleName(job.Columns[Job::ArrivalCondition].SpokenName);
    ConditionMemo->setMaximumHeight(ConditionMemo->fontMetrics().lineSpacing() * 3 + 12);
    TermsAgreedCheckBox = new QCheckBox("I agree to the shop's terms", DevicePage);
    TermsAgreedCheckBox->setObjectName("TermsAgreedCheckBox");
    TermsAgreedCheckBox->setAccessibleName(job.Columns[Job::TermsAgreed].SpokenName);
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(DeviceKindComboBox);
    kindRow->addWidget(MakeModelEdit, 1);
    form->addRow("Known devices", KnownDevicesComboBox);
    form->addRow("Kind, make and model", kindRow);
    form->addRow("Serial number / IMEI", SerialEdit);
    form->addRow("Accessories", AccessoriesEdit);
    form->addRow("Condition on arrival", ConditionMemo);
    form->addRow(QString(), TermsAgreedCheckBox);
    connect(KnownDevicesComboBox, &QComboBox::activated, this, [this](int index) {
        // The first entry is "a new device".
        if (index > 0 && index <= static_cast<int>(OfferedDevices.size()))
            ShowDevice(OfferedDevices[static_cast<size_t>(index - 1)]);
    });
    OfferDevices({});
}

void TCounterControls::SetStates(const QStringList& states)
{
    const QString shown = JobStateComboBox->currentText();
    StateList = states;
    JobStateComboBox->clear();
    JobStateComboBox->addItems(StateList);
    if (!shown.isEmpty())
        ShowState(shown);
}

void TCounterControls::Reset()
{
    Phones->Clear();
    EmailEdit->clear();
    StateIsChosen = false;
    JobWasStored = false;
    ShowState(Text(DBFrameWork::ShownState("", Complete->isChecked(), StdList(StateList))));
    PromisedCheckBox->setChecked(false);
    PromisedDatePicker->setDate(QDate::currentDate());
    ShowDevice({});
    OfferDevices({});
    AccessoriesEdit->clear();
    ConditionMemo->clear();
    TermsAgreedCheckBox->setChecked(false);
}

void TCounterControls::Show(const DBFrameWork::TicketRecord& ticket)
{
    ShowContacts(ticket.Contacts);
    const DBFrameWork::JobRecord& job = ticket.Job;
    JobWasStored = job.Stored;
    StateIsChosen = !job.State.empty();
    ShowState(Text(DBFrameWork::ShownState(job.State, ticket.Problem.Completed.IsSet(), StdList(StateList))));
    PromisedCheckBox->setChecked(job.PromisedBy.IsSet());
    PromisedDatePicker->setDate(job.PromisedBy.IsSet() ? ToQDate(job.PromisedBy) : QDate::currentDate());
    ShowDevice(job.Device);
    AccessoriesEdit->setText(Text(job.Accessories));
    ConditionMemo->setPlainText(Text(job.Condition));
    TermsAgreedCheckBox->setChecked(job.TermsAgreed);
}

void TCounterControls::Fill(DBFrameWork::TicketRecord& ticket) const
{
    ticket.Contacts.Phones = Phones->Phones();
    ticket.Contacts.Email = EmailEdit->text().trimmed().toStdString();
    DBFrameWork::JobRecord& job = ticket.Job;
    job.Stored = JobWasStored;
    job.State = StateIsChosen ? JobStateComboBox->currentText().toStdString() : std::string();
    job.PromisedBy = PromisedCheckBox->isChecked() ? ToCalendarDate(PromisedDatePicker->date())
                                                   : DBFrameWork::CalendarDate();
    job.Device.DeviceID = DeviceID;
    job.Device.Kind = DeviceKindComboBox->currentText().toStdString();
    job.Device.MakeModel = MakeModelEdit->text().trimmed().toStdString();
    job.Device.Serial = SerialEdit->text().trimmed().toStdString();
    job.Accessories = AccessoriesEdit->text().trimmed().toStdString();
    job.Condition = ConditionMemo->toPlainText().toStdString();
    job.TermsAgreed = TermsAgreedCheckBox->isChecked();
}

QString TCounterControls::ShownState() const
{
    return JobStateComboBox->currentText();
}

void TCounterControls::OfferDevices(const std::vector<DBFrameWork::DeviceRecord>& devices)
{
    OfferedDevices = devices;
    KnownDevicesComboBox->clear();
    KnownDevicesComboBox->addItem(devices.empty() ? "No other devices of this customer" : "A new device");
    for (const DBFrameWork::DeviceRecord& device : devices)
        KnownDevicesComboBox->addItem(DeviceText(device));
    KnownDevicesComboBox->setEnabled(!devices.empty());
}

bool TCounterControls::HasContacts() const
{
    return !Phones->Phones().empty() || !EmailEdit->text().trimmed().isEmpty();
}

void TCounterControls::ShowContacts(const DBFrameWork::ContactsRecord& contacts)
{
    Phones->SetPhones(contacts.Phones);
    EmailEdit->setText(Text(contacts.Email));
}

void TCounterControls::ShowState(const QString& state)
{
    // A state no longer in the list is still shown as it was stored.
    if (JobStateComboBox->findText(state) < 0 && !state.isEmpty())
        JobStateComboBox->addItem(state);
    JobStateComboBox->setCurrentText(state);
}

void TCounterControls::StateChosenByUser(const QString& state)
{
    StateIsChosen = true;
    const bool final = DBFrameWork::IsFinalState(state.toStdString(), StdList(StateList));
    if (final && !Complete->isChecked()) {
        Complete->setChecked(true);
        CompletedDate->setDate(QDate::currentDate());
    } else if (!final && Complete->isChecked()) {
        Complete->setChecked(false);
    }
}

void TCounterControls::CompleteClickedByUser(bool checked)
{
    if (StateList.isEmpty())
        return;
    StateIsChosen = true;
    ShowState(
        Text(DBFrameWork::ShownState(JobStateComboBox->currentText().toStdString(), checked, StdList(StateList))));
}

void TCounterControls::ShowDevice(const DBFrameWork::DeviceRecord& device)
{
    DeviceID = device.DeviceID;
    const int kind = DeviceKindComboBox->findText(Text(device.Kind));
    DeviceKindComboBox->setCurrentIndex(kind >= 0 ? kind : 0);
    MakeModelEdit->setText(Text(device.MakeModel));
    SerialEdit->setText(Text(device.Serial));
}
