// The counter's setup: what it is given comes back as edited, and a notice
// text that is the program's own is not stored.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>

#include "dialogs/CounterSetupDialogUnit.h"
#include "dialogs/NoticeTemplate.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/windows/FakeInteraction.h"
#include "tests/support/windows/ModalDriver.h"

namespace {

using Bodies = std::map<std::string, std::string>;

Quenbrook::CounterSettings Shop()
{
    Quenbrook::CounterSettings settings;
    settings.JobStates = {"Checked in", "Waiting for parts", "Ready for pickup"};
    settings.IntakeTerms = "We do not back up your data.\nPay on pickup.";
    settings.LabelWidthMm = 50.5;
    settings.LabelHeightMm = 25.0;
    settings.Mail = {"mail.velmora.test", 587, false, "clerk", "service@velmora.test"};
    settings.NoticeBodies = {{"Ready for pickup", "Come by, {customer}."}};
    return settings;
}

class CounterSetupDialogTest : public testing::Test {
protected:
    template <typename T>
    T* Find(const char* name)
    {
        return Control<T>(dialog, name);
    }
    void ChooseState(const char* state)
    {
        QComboBox* states = Find<QComboBox>("NoticeStateComboBox");
        states->setCurrentIndex(states->findText(state));
        ASSERT_EQ(states->currentText(), state);
    }
    QString ShownBody() { return Find<QPlainTextEdit>("NoticeBodyTemplateEdit")->toPlainText(); }

    FakeInteraction fake;
    TCounterSetupDialog dialog{nullptr, Shop(), "s3cret pass"};
};

TEST_F(CounterSetupDialogTest, ShowsWhatItIsGivenAndReturnsItAsEdited)
{
    EXPECT_EQ(dialog.windowTitle(), "Counter Setup");
    QTabWidget* pages = Find<QTabWidget>("CounterSetupTabs");
    QStringList tabs;
    for (int page = 0; page < pages->count(); ++page)
        tabs << pages->tabText(page).remove('&');
    EXPECT_EQ(tabs, QStringList({"Intake", "Label", "Mail Server", "Notices"}));
    for (const char* name : {"IntakeTermsMemo", "LabelWidthEdit", "LabelHeightEdit", "MailHostEdit", "MailPortEdit",
                             "MailSecurityComboBox", "MailUserEdit", "MailPasswordEdit", "MailFromEdit",
                             "NoticeSubjectTemplateEdit", "NoticeStateComboBox", "NoticeBodyTemplateEdit"})
        EXPECT_FALSE(Find<QWidget>(name)->accessibleName().isEmpty()) << name;
    EXPECT_EQ(Find<QLineEdit>("MailPasswordEdit")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Find<QLineEdit>("MailPasswordEdit")->text(), "s3cret pass");
    EXPECT_EQ(Find<QDoubleSpinBox>("LabelWidthEdit")->value(), 50.5);
    EXPECT_EQ(Find<QLineEdit>("NoticeSubjectTemplateEdit")->text(), DefaultNoticeSubject());

    // Untouched, everything comes back as given.
    const Quenbrook::CounterSettings same = dialog.Settings();
    const Quenbrook::CounterSettings shop = Shop();
    EXPECT_EQ(same.JobStates, shop.JobStates);
    EXPECT_EQ(same.IntakeTerms, shop.IntakeTerms);
    EXPECT_EQ(same.LabelWidthMm, 50.5);
    EXPECT_EQ(same.LabelHeightMm, 25.0);
    EXPECT_EQ(same.Mail.Host, shop.Mail.Host);
    EXPECT_EQ(same.Mail.Port, 587);
    EXPECT_FALSE(same.Mail.ImplicitTls);
    EXPECT_EQ(same.Mail.User, "clerk");
    EXPECT_EQ(same.Mail.From, "service@velmora.test");
    EXPECT_EQ(same.NoticeSubject, "");
    EXPECT_EQ(same.NoticeBodies, shop.NoticeBodies);
    EXPECT_EQ(dialog.MailPassword(), "s3cret pass");

    // TLS proposes its own port, and STARTTLS its own back; a shop's own port stays.
    QComboBox* security = Find<QComboBox>("MailSecurityComboBox");
    QSpinBox* port = Find<QSpinBox>("MailPortEdit");
    security->setCurrentText("TLS");
    EXPECT_EQ(port->value(), 465);
    security->setCurrentText("STARTTLS");
    EXPECT_EQ(port->value(), 587);
    port->setValue(2465);
    security->setCurrentText("TLS");
    EXPECT_EQ(port->value(), 2465);

    Find<QPlainTextEdit>("IntakeTermsMemo")->setPlainText("Terms, edited");
    Find<QDoubleSpinBox>("LabelWidthEdit")->setValue(100.04);
    Find<QDoubleSpinBox>("LabelHeightEdit")->setValue(400);
    Find<QLineEdit>("MailHostEdit")->setText(" smtp.example.org ");
    Find<QLineEdit>("MailUserEdit")->setText("counter");
    Find<QLineEdit>("MailPasswordEdit")->setText(" new pass ");
    Find<QLineEdit>("MailFromEdit")->setText("desk@example.org");
    const Quenbrook::CounterSettings edited = dialog.Settings();
    EXPECT_EQ(edited.IntakeTerms, "Terms, edited");
    EXPECT_EQ(edited.LabelWidthMm, 100.0) << "the label is set in tenths of a millimetre";
    EXPECT_EQ(edited.LabelHeightMm, 150.0);
    EXPECT_EQ(edited.Mail.Host, "smtp.example.org");
    EXPECT_EQ(edited.Mail.Port, 2465);
    EXPECT_TRUE(edited.Mail.ImplicitTls);
    EXPECT_EQ(edited.Mail.User, "counter");
    EXPECT_EQ(edited.Mail.From, "desk@example.org");
    EXPECT_EQ(edited.JobStates, shop.JobStates);
    EXPECT_EQ(dialog.MailPassword(), " new pass ") << "a password is as typed";

    bool executed = false;
    ASSERT_TRUE(WhileShown<TCounterSetupDialog>([&] { executed = dialog.Execute(); },
                                                [](TCounterSetupDialog& shown) { shown.OkButton->click(); }));
    EXPECT_TRUE(executed);
    ASSERT_TRUE(WhileShown<TCounterSetupDialog>([&] { executed = dialog.Execute(); },
                                                [](TCounterSetupDialog& shown) { shown.CancelButton->click(); }));
    EXPECT_FALSE(executed);
    EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("\n").toStdString();
}

TEST_F(CounterSetupDialogTest, StoresOnlyTheNoticeTextsThatAreTheShopsOwn)
{
    Quenbrook::CounterSettings settings = Shop();
    // A text stored by hand that is the program's own, and one of a state the shop no longer uses.
    settings.NoticeBodies["Checked in"] = DefaultNoticeBody("Checked in").toStdString();
    settings.NoticeBodies["Sent abroad"] = "Gone abroad.";
    settings.NoticeSubject = "Repair {ticket}";
    TCounterSetupDialog setup(nullptr, settings, QString());
    QComboBox* states = Control<QComboBox>(setup, "NoticeStateComboBox");
    QPlainTextEdit* body = Control<QPlainTextEdit>(setup, "NoticeBodyTemplateEdit");
    QLineEdit* subject = Control<QLineEdit>(setup, "NoticeSubjectTemplateEdit");
    EXPECT_EQ(subject->text(), "Repair {ticket}");
    ASSERT_EQ(states->count(), 3) << "the chooser lists the job states";

    states->setCurrentText("Waiting for parts");
    EXPECT_EQ(body->toPlainText(), DefaultNoticeBody("Waiting for parts"));
    body->setPlainText("Parts ordered, {customer}.");
    states->setCurrentText("Ready for pickup");
    EXPECT_EQ(body->toPlainText(), "Come by, {customer}.");
    body->clear();  // back to the program's text
    states->setCurrentText("Waiting for parts");
    EXPECT_EQ(body->toPlainText(), "Parts ordered, {customer}.") << "an edit was lost on choosing another state";
    states->setCurrentText("Ready for pickup");
    EXPECT_EQ(body->toPlainText(), DefaultNoticeBody("Ready for pickup"));
    states->setCurrentText("Checked in");
    body->setPlainText("Checked in, {customer}.");  // still shown when Settings is asked

    Quenbrook::CounterSettings stored = setup.Settings();
    EXPECT_EQ(stored.NoticeBodies,
              Bodies({{"Checked in", "Checked in, {customer}."},
                      {"Sent abroad", "Gone abroad."},
                      {"Waiting for parts", "Parts ordered, {customer}."}}));
    EXPECT_EQ(stored.NoticeSubject, "Repair {ticket}");

    body->setPlainText(DefaultNoticeBody("Checked in"));
    subject->setText(DefaultNoticeSubject());
    stored = setup.Settings();
    EXPECT_EQ(stored.NoticeBodies.count("Checked in"), 0u) << "the program's own text was stored";
    EXPECT_EQ(stored.NoticeSubject, "");
}

TEST_F(CounterSetupDialogTest, RefusesAMailServerWithoutASenderAddress)
{
    QLineEdit* host = Find<QLineEdit>("MailHostEdit");
    QLineEdit* from = Find<QLineEdit>("MailFromEdit");
    for (const char* sender : {"", "service", "  "}) {
        from->setText(sender);
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        dialog.OkButton->click();
        EXPECT_TRUE(dialog.isVisible()) << "accepted the sender \"" << sender << "\"";
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        ASSERT_EQ(fake.messages.size(), 1) << sender;
        EXPECT_TRUE(fake.messages[0].contains("From address")) << fake.messages[0].toStdString();
        EXPECT_EQ(Find<QTabWidget>("CounterSetupTabs")->currentIndex(), 2) << "the refusal hid the field";
        fake.messages.clear();
    }
    host->setText(" ");
    dialog.OkButton->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << "no server needs no sender";
    EXPECT_TRUE(fake.messages.isEmpty());
}

}  // namespace
