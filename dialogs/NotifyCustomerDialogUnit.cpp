#include "dialogs/NotifyCustomerDialogUnit.h"

#include <QClipboard>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "dialogs/BackgroundWork.h"
#include "dialogs/Interaction.h"
#include "dialogs/MailtoLink.h"

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& spokenName)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(spokenName);
    // Enter in a field must not send or close what is still being written.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TNotifyCustomerDialog::TNotifyCustomerDialog(QWidget* owner, const QString& to, const QString& subject,
                                             const QString& body, const MailServer* server, const QString& fromAddress,
                                             const QString& fromName)
    : QDialog(owner), FromAddress(fromAddress), FromName(fromName)
{
    if (server)
        Server = *server;
    setObjectName("NotifyCustomerDialog");
    setWindowTitle("Notify Customer");
    resize(560, 420);

    NoticeToEdit = new QLineEdit(to, this);
    NoticeToEdit->setObjectName("NoticeToEdit");
    NoticeToEdit->setAccessibleName("Customer e-mail");
    NoticeSubjectEdit = new QLineEdit(subject, this);
    NoticeSubjectEdit->setObjectName("NoticeSubjectEdit");
    NoticeSubjectEdit->setAccessibleName("Subject");
    NoticeBodyEdit = new QPlainTextEdit(this);
    NoticeBodyEdit->setObjectName("NoticeBodyEdit");
    NoticeBodyEdit->setAccessibleName("Message");
    NoticeBodyEdit->setPlainText(body);
    // Tab leaves the message for the buttons; the text needs no tabs.
    NoticeBodyEdit->setTabChangesFocus(true);

    auto label = [this](const char* name, const QString& caption, QWidget* field) {
        auto* item = new QLabel(caption, this);
        item->setObjectName(name);
        item->setBuddy(field);
        return item;
    };
    auto* fields = new QFormLayout;
    fields->addRow(label("NoticeToLabel", "&To", NoticeToEdit), NoticeToEdit);
    fields->addRow(label("NoticeSubjectLabel", "&Subject", NoticeSubjectEdit), NoticeSubjectEdit);
    QLabel* bodyLabel = label("NoticeBodyLabel", "Messa&ge", NoticeBodyEdit);

    CopyNoticeButton = Button(this, "CopyNoticeButton", "C&opy", "Copy subject and message");
    OpenInMailButton = Button(this, "OpenInMailButton", "Open in &Mail", "Open in mail program");
    if (Server) {
        SendNoticeButton = Button(this, "SendNoticeButton", "S&end", "Send by e-mail");
        SendNoticeButton->setEnabled(!Recipient().isEmpty());
        connect(NoticeToEdit, &QLineEdit::textChanged, this,
                [this] { SendNoticeButton->setEnabled(!Recipient().isEmpty()); });
        connect(SendNoticeButton, &QPushButton::clicked, this, &TNotifyCustomerDialog::Send);
    }
    CloseButton = Button(this, "CloseButton", "&Close", "Close");

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(CopyNoticeButton);
    buttonRow->addWidget(OpenInMailButton);
    buttonRow->addStretch(1);
    if (SendNoticeButton)
        buttonRow->addWidget(SendNoticeButton);
    buttonRow->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(bodyLabel);
    layout->addWidget(NoticeBodyEdit, 1);
    layout->addLayout(buttonRow);

    QWidget* order[] = {NoticeToEdit,     NoticeSubjectEdit, NoticeBodyEdit, CopyNoticeButton,
                        OpenInMailButton, SendNoticeButton,  CloseButton};
    QWidget* previous = nullptr;
    for (QWidget* control : order) {
        if (!control)
            continue;
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
    // Most notices go as filled in: the message is read first.
    NoticeBodyEdit->setFocus();

    connect(CopyNoticeButton, &QPushButton::clicked, this, &TNotifyCustomerDialog::Copy);
    connect(OpenInMailButton, &QPushButton::clicked, this, &TNotifyCustomerDialog::OpenInMail);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString TNotifyCustomerDialog::Recipient() const
{
    return NoticeToEdit->text().trimmed();
}

void TNotifyCustomerDialog::Copy()
{
    QGuiApplication::clipboard()->setText(NoticeSubjectEdit->text() + "\n\n" + NoticeBodyEdit->toPlainText());
}

void TNotifyCustomerDialog::OpenInMail()
{
    const QString to = Recipient();
    if (!Interaction::OpenUrl(MailtoLink(to, NoticeSubjectEdit->text(), NoticeBodyEdit->toPlainText()))) {
        Interaction::ShowMessage("The mail program could not be opened. Use Copy and paste the message into it.");
        return;
    }
    emit NoticeGiven(to.isEmpty() ? QStringLiteral("Opened in mail") : "Opened in mail for " + to);
}

void TNotifyCustomerDialog::Send()
{
    const QString to = Recipient();
    if (to.isEmpty())
        return;
    const MailMessage message{FromAddress.trimmed().toStdString(), FromName.toStdString(), to.toStdString(),
                              NoticeSubjectEdit->text().toStdString(), NoticeBodyEdit->toPlainText().toStdString()};
    SendResult result;
    // SendMail cannot stop halfway: a Cancel waits for its answer, which the
    // server's timeout bounds. A message that went out is told as sent.
    try {
        result = BackgroundWork(this).Run(
            [this, &message](const BackgroundWork::Progress&) { return SendMail(*Server, message); });
    } catch (const std::exception& error) {
        result.sent = false;
        result.error = error.what();
    }
    if (!result.sent) {
        Interaction::ShowError("The message could not be sent: " + QString::fromStdString(result.error));
        return;
    }
    emit NoticeGiven("Sent by e-mail to " + to);
    Interaction::ShowMessage("The message was sent to " + to + ".");
}
