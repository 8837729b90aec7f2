// One notice to the customer of a job, filled in already and editable: copied,
// opened in the user's own mail program, or sent through the shop's server.
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "dialogs/SmtpMail.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TNotifyCustomerDialog : public QDialog {
    Q_OBJECT

public:
    // server: nullptr when no mail server is set up, and so no "Send".
    TNotifyCustomerDialog(QWidget* owner, const QString& to, const QString& subject, const QString& body,
                          const MailServer* server, const QString& fromAddress, const QString& fromName);

    QLineEdit* NoticeToEdit = nullptr;
    QLineEdit* NoticeSubjectEdit = nullptr;
    QPlainTextEdit* NoticeBodyEdit = nullptr;
    QPushButton* CopyNoticeButton = nullptr;
    QPushButton* OpenInMailButton = nullptr;
    QPushButton* SendNoticeButton = nullptr;  // nullptr without a server
    QPushButton* CloseButton = nullptr;

signals:
    // A notice that reached the customer or the user's mail program, told as
    // the job's history gives it.
    void NoticeGiven(const QString& way);

private:
    QString Recipient() const;
    void Copy();
    void OpenInMail();
    void Send();

    std::optional<MailServer> Server;
    QString FromAddress;
    QString FromName;
};
