// The counter's controls of the main window: the customer's phones and
// e-mail, the job's state and promised date, and the device page with the
// intake. They show a ticket record and fill one, and keep the job's state
// and its Complete box in agreement.
#pragma once

#include <QObject>
#include <QStringList>
#include <vector>

#include "dbframework/DBFrameWork_TicketRecord.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;
class TPhoneNumbersEdit;

class TCounterControls : public QObject {
    Q_OBJECT

public:
    // Makes the contact controls; the others are made where the window's
    // reading order (and so the Tab order) has them.
    explicit TCounterControls(QWidget* window);
    // complete and completedDate are the window's own; the state follows them.
    void MakeJobControls(QWidget* parent, QCheckBox* complete, QDateEdit* completedDate);
    void MakeDevicePage(QWidget* parent);

    // The shop's states, in order; the last completes a job.
    void SetStates(const QStringList& states);
    const QStringList& States() const { return StateList; }

    // A new ticket: nothing chosen, nothing typed.
    void Reset();
    void Show(const DBFrameWork::TicketRecord& ticket);
    // Puts what the controls hold into the ticket (contacts and job).
    void Fill(DBFrameWork::TicketRecord& ticket) const;
    // The state the combo box shows.
    QString ShownState() const;
    // The customer's devices, offered for a new ticket.
    void OfferDevices(const std::vector<DBFrameWork::DeviceRecord>& devices);
    // A known customer's contacts, for a new ticket whose contacts are still empty.
    bool HasContacts() const;
    void ShowContacts(const DBFrameWork::ContactsRecord& contacts);

    // In the customer block.
    TPhoneNumbersEdit* Phones = nullptr;
    QLineEdit* EmailEdit = nullptr;
    // Beside the technician.
    QLabel* StateLabel = nullptr;
    QComboBox* JobStateComboBox = nullptr;
    QCheckBox* PromisedCheckBox = nullptr;
    QDateEdit* PromisedDatePicker = nullptr;
    // The "Device" page.
    QWidget* DevicePage = nullptr;
    QComboBox* KnownDevicesComboBox = nullptr;
    QComboBox* DeviceKindComboBox = nullptr;
    QLineEdit* MakeModelEdit = nullptr;
    QLineEdit* SerialEdit = nullptr;
    QLineEdit* AccessoriesEdit = nullptr;
    QPlainTextEdit* ConditionMemo = nullptr;
    QCheckBox* TermsAgreedCheckBox = nullptr;

    // The kinds of device offered, as stored.
    static const QStringList& DeviceKinds();

private:
    void ShowState(const QString& state);
    void StateChosenByUser(const QString& state);
    void CompleteClickedByUser(bool checked);
    void ShowDevice(const DBFrameWork::DeviceRecord& device);

    QCheckBox* Complete = nullptr;
    QDateEdit* CompletedDate = nullptr;
    QStringList StateList;
    // Whether the ticket has a state of its own (chosen, or stored), rather
    // than the one that follows from Complete.
    bool StateIsChosen = false;
    bool JobWasStored = false;
    int32_t DeviceID = 0;
    std::vector<DBFrameWork::DeviceRecord> OfferedDevices;
};
