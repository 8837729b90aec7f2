// The notice to a customer: opened in the mail program through the launcher,
// and sent through a real local SMTP server.
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "dialogs/NotifyCustomerDialogUnit.h"
#include "tests/counterdialogs/SmtpTestServer.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/windows/FakeInteraction.h"

namespace {

const QString Subject = QStringLiteral("Your repair T-7");

TEST(NotifyCustomerDialog, OpensTheEditedNoticeInMailAndTellsOnlyOfLaunchesThatWorked)
{
    FakeInteraction fake;
    TNotifyCustomerDialog dialog(nullptr, "anna@example.org", Subject, "Hello Anna", nullptr, "shop@velmora.test",
                                 "Velmora");
    QSignalSpy given(&dialog, &TNotifyCustomerDialog::NoticeGiven);
    EXPECT_EQ(dialog.windowTitle(), "Notify Customer");
    EXPECT_EQ(dialog.findChild<QPushButton*>("SendNoticeButton"), nullptr) << "Send without a mail server";
    for (const char* name :
         {"NoticeToEdit", "NoticeSubjectEdit", "NoticeBodyEdit", "CopyNoticeButton", "OpenInMailButton", "CloseButton"})
        EXPECT_FALSE(Control<QWidget>(dialog, name)->accessibleName().isEmpty()) << name;
    EXPECT_EQ(Control<QLineEdit>(dialog, "NoticeToEdit")->accessibleName(), "Customer e-mail");

    Control<QLineEdit>(dialog, "NoticeToEdit")->setText(" anna+shop@example.org ");
    Control<QPlainTextEdit>(dialog, "NoticeBodyEdit")->setPlainText("Hello Anna,\nready & done?");
    Control<QPushButton>(dialog, "OpenInMailButton")->click();
    ASSERT_EQ(fake.openedUrls.size(), 1);
    EXPECT_EQ(
        fake.openedUrls[0],
        "mailto:anna%2Bshop@example.org?subject=Your%20repair%20T-7&body=Hello%20Anna%2C%0D%0Aready%20%26%20done%3F");
    ASSERT_EQ(given.count(), 1);
    EXPECT_EQ(given[0][0].toString(), "Opened in mail for anna+shop@example.org");
    EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("\n").toStdString();

    fake.urlLaunchSucceeds = false;
    Control<QPushButton>(dialog, "OpenInMailButton")->click();
    EXPECT_EQ(fake.openedUrls.size(), 2);
    EXPECT_EQ(given.count(), 1) << "a failed launch was told as a notice";
    EXPECT_EQ(fake.messages.size(), 1) << "a failed launch went unsaid";

    Control<QPushButton>(dialog, "CopyNoticeButton")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Your repair T-7\n\nHello Anna,\nready & done?");
    EXPECT_EQ(given.count(), 1) << "a copy was told as a notice";
}

TEST(NotifyCustomerDialog, SendsThroughTheShopsServerAndRecordsOnlyWhatWasSent)
{
    FakeInteraction fake;
    TestSupport::TempDir folder;
    SmtpTestServer smtp(folder);
    ASSERT_GT(smtp.Port(), 0) << smtp.Log();

    MailServer wrongLogin = smtp.Login();
    wrongLogin.password = "Wrong-horse!";
    {
        TNotifyCustomerDialog dialog(nullptr, "", Subject, "x", &wrongLogin, "shop@velmora.test", "Velmora");
        QSignalSpy given(&dialog, &TNotifyCustomerDialog::NoticeGiven);
        QPushButton* send = Control<QPushButton>(dialog, "SendNoticeButton");
        EXPECT_FALSE(send->isEnabled()) << "Send without an address";
        Control<QLineEdit>(dialog, "NoticeToEdit")->setText("customer@example.org");
        ASSERT_TRUE(send->isEnabled());
        send->click();
        ASSERT_EQ(fake.errors.size(), 1) << smtp.Log();
        EXPECT_TRUE(fake.errors[0].startsWith("The message could not be sent: ")) << fake.errors[0].toStdString();
        EXPECT_TRUE(fake.errors[0].contains("refused the login for user \"clerk@velmora.test\""))
            << fake.errors[0].toStdString();
        EXPECT_FALSE(fake.errors[0].contains("horse")) << "the password was shown";
        EXPECT_EQ(given.count(), 0);
        EXPECT_TRUE(fake.messages.isEmpty());
        EXPECT_FALSE(smtp.Received(1));
    }
    fake.errors.clear();

    const MailServer login = smtp.Login();
    const QString subject = QStringLiteral("Ihre Reparatur T-1042 ist fertig — Grüße");
    TNotifyCustomerDialog dialog(nullptr, "customer@example.org", subject, "Hallo,\nabholbereit.\n", &login,
                                 "shop@velmora.test", "Werkstatt Müller");
    QSignalSpy given(&dialog, &TNotifyCustomerDialog::NoticeGiven);
    dialog.show();
    Control<QPushButton>(dialog, "SendNoticeButton")->click();
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString() << "\n" << smtp.Log();
    ASSERT_TRUE(smtp.Received(1)) << smtp.Log();
    EXPECT_EQ(smtp.Stored(1, "rcpt"), "customer@example.org");
    EXPECT_EQ(QString::fromStdString(smtp.Stored(1, "subject")), subject);
    EXPECT_EQ(smtp.Stored(1, "body"), "Hallo,\r\nabholbereit.\r\n");
    EXPECT_FALSE(smtp.Received(2));
    ASSERT_EQ(given.count(), 1);
    EXPECT_EQ(given[0][0].toString(), "Sent by e-mail to customer@example.org");
    EXPECT_EQ(fake.messages, QStringList{"The message was sent to customer@example.org."});
}

}  // namespace
