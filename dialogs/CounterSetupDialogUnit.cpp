#include "dialogs/CounterSetupDialogUnit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <iterator>

#include "dialogs/Interaction.h"
#include "dialogs/NoticeTemplate.h"

namespace {

constexpr int SubmissionPort = 587;
constexpr int ImplicitTlsPort = 465;
constexpr int StartTlsIndex = 0;
constexpr int TlsIndex = 1;

QString FromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

QLabel* Label(QWidget* page, const char* name, const QString& caption, QWidget* field, const QString& spokenName)
{
    auto* label = new QLabel(caption, page);
    label->setObjectName(name);
    label->setBuddy(field);
    field->setAccessibleName(spokenName);
    return label;
}

QDoubleSpinBox* MillimetreEdit(QWidget* page, const char* name)
{
    auto* edit = new QDoubleSpinBox(page);
    edit->setObjectName(name);
    edit->setRange(15.0, 150.0);
    edit->setDecimals(1);
    edit->setSingleStep(1.0);
    edit->setSuffix(" mm");
    return edit;
}

// What is stored for a template: nothing when it is the program's own text,
// so that a better one in a later program reaches the shop.
std::string Stored(const QString& text, const QString& programText)
{
    return text.trimmed().isEmpty() || text == programText ? std::string() : text.toStdString();
}

}  // namespace

TCounterSetupDialog::TCounterSetupDialog(QWidget* owner, const Quenbrook::CounterSettings& settings,
                                         const QString& mailPassword)
    : QDialog(owner), Given(settings), Bodies(settings.NoticeBodies)
{
    setObjectName("CounterSetupDialog");
    setWindowTitle("Counter Setup");
    resize(560, 440);

    CounterSetupTabs = new QTabWidget(this);
    CounterSetupTabs->setObjectName("CounterSetupTabs");
    CounterSetupTabs->setAccessibleName("Counter setup pages");
    CounterSetupTabs->addTab(BuildIntakePage(), "&Intake");
    CounterSetupTabs->addTab(BuildLabelPage(), "&Label");
    CounterSetupTabs->addTab(BuildMailPage(), "Mail &Server");
    CounterSetupTabs->addTab(BuildNoticesPage(), "&Notices");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("CounterSetupButtons");
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setObjectName("OkButton");
    OkButton->setAccessibleName("OK");
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setAccessibleName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &TCounterSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CounterSetupTabs, 1);
    layout->addWidget(buttons);

    // Each page's fields in reading order; the page's tab comes before them.
    setTabOrder(CounterSetupTabs, IntakeTermsMemo);
    setTabOrder(LabelWidthEdit, LabelHeightEdit);
    QWidget* mailOrder[] = {MailHostEdit, MailPortEdit,     MailSecurityComboBox,
                            MailUserEdit, MailPasswordEdit, MailFromEdit};
    for (size_t at = 1; at < std::size(mailOrder); ++at)
        setTabOrder(mailOrder[at - 1], mailOrder[at]);
    setTabOrder(NoticeSubjectTemplateEdit, NoticeStateComboBox);
    setTabOrder(NoticeStateComboBox, NoticeBodyTemplateEdit);

    ShowValues(settings, mailPassword);
    connect(MailSecurityComboBox, &QComboBox::currentIndexChanged, this, &TCounterSetupDialog::ProposePortFor);
    connect(NoticeStateComboBox, &QComboBox::currentIndexChanged, this, &TCounterSetupDialog::ShowBodyOf);
}

QWidget* TCounterSetupDialog::BuildIntakePage()
{
    auto* page = new QWidget;
    page->setObjectName("IntakePage");
    IntakeTermsMemo = new QPlainTextEdit(page);
    IntakeTermsMemo->setObjectName("IntakeTermsMemo");
    IntakeTermsMemo->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label(page, "IntakeTermsLabel",
                            "The shop's &terms, printed on the intake receipt above "
                            "the customer's signature",
                            IntakeTermsMemo, "Intake terms"));
    layout->addWidget(IntakeTermsMemo, 1);
    return page;
}

QWidget* TCounterSetupDialog::BuildLabelPage()
{
    auto* page = new QWidget;
    page->setObjectName("LabelPage");
    LabelWidthEdit = MillimetreEdit(page, "LabelWidthEdit");
    LabelHeightEdit = MillimetreEdit(page, "LabelHeightEdit");
    auto* layout = new QFormLayout(page);
    layout->addRow(Label(page, "LabelWidthLabel", "&Width", LabelWidthEdit, "Label width in millimetres"),
                   LabelWidthEdit);
    layout->addRow(Label(page, "LabelHeightLabel", "&Height", LabelHeightEdit, "Label height in millimetres"),
                   LabelHeightEdit);
    return page;
}

QWidget* TCounterSetupDialog::BuildMailPage()
{
    auto* page = new QWidget;
    page->setObjectName("MailServerPage");
    MailHostEdit = new QLineEdit(page);
    MailHostEdit->setObjectName("MailHostEdit");
    MailHostEdit->setPlaceholderText("none: notices are copied or opened in the mail program");
    MailPortEdit = new QSpinBox(page);
    MailPortEdit->setObjectName("MailPortEdit");
    MailPortEdit->setRange(1, 65535);
    MailSecurityComboBox = new QComboBox(page);
    MailSecurityComboBox->setObjectName("MailSecurityComboBox");
    MailSecurityComboBox->insertItem(StartTlsIndex, "STARTTLS");
    MailSecurityComboBox->insertItem(TlsIndex, "TLS");
    MailUserEdit = new QLineEdit(page);
    MailUserEdit->setObjectName("MailUserEdit");
    MailPasswordEdit = new QLineEdit(page);
    MailPasswordEdit->setObjectName("MailPasswordEdit");
    MailPasswordEdit->setEchoMode(QLineEdit::Password);
    MailFromEdit = new QLineEdit(page);
    MailFromEdit->setObjectName("MailFromEdit");
    MailFromEdit->setPlaceholderText("service@example.com");

    auto* layout = new QFormLayout(page);
    layout->addRow(Label(page, "MailHostLabel", "&Host", MailHostEdit, "Mail server"), MailHostEdit);
    layout->addRow(Label(page, "MailPortLabel", "&Port", MailPortEdit, "Mail server port"), MailPortEdit);
    layout->addRow(Label(page, "MailSecurityLabel", "&Encryption", MailSecurityComboBox, "Mail encryption"),
                   MailSecurityComboBox);
    layout->addRow(Label(page, "MailUserLabel", "&User", MailUserEdit, "Mail user"), MailUserEdit);
    layout->addRow(Label(page, "MailPasswordLabel", "Pass&word", MailPasswordEdit, "Mail password"), MailPasswordEdit);
    layout->addRow(Label(page, "MailFromLabel", "&From address", MailFromEdit, "Sender address"), MailFromEdit);
    return page;
}

QWidget* TCounterSetupDialog::BuildNoticesPage()
{
    auto* page = new QWidget;
    page->setObjectName("NoticesPage");
    NoticeSubjectTemplateEdit = new QLineEdit(page);
    NoticeSubjectTemplateEdit->setObjectName("NoticeSubjectTemplateEdit");
    NoticeStateComboBox = new QComboBox(page);
    NoticeStateComboBox->setObjectName("NoticeStateComboBox");
    NoticeBodyTemplateEdit = new QPlainTextEdit(page);
    NoticeBodyTemplateEdit->setObjectName("NoticeBodyTemplateEdit");
    NoticeBodyTemplateEdit->setTabChangesFocus(true);
    auto* fieldsLabel = new QLabel("Filled in: {customer}, {ticket}, {device}, {state}, {promised}, {hours}, "
                                   "{business}, {business phone}",
                                   page);
    fieldsLabel->setObjectName("NoticeFieldsLabel");
    fieldsLabel->setWordWrap(true);
    fieldsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* fields = new QFormLayout;
    fields->addRow(Label(page, "NoticeSubjectTemplateLabel", "Su&bject", NoticeSubjectTemplateEdit, "Notice subject"),
                   NoticeSubjectTemplateEdit);
    fields->addRow(Label(page, "NoticeStateLabel", "For the s&tate", NoticeStateComboBox, "Job state of the notice"),
                   NoticeStateComboBox);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    layout->addWidget(
        Label(page, "NoticeBodyTemplateLabel", "&Message", NoticeBodyTemplateEdit, "Notice message for the state"));
    layout->addWidget(NoticeBodyTemplateEdit, 1);
    layout->addWidget(fieldsLabel);
    return page;
}

void TCounterSetupDialog::ShowValues(const Quenbrook::CounterSettings& settings, const QString& mailPassword)
{
    IntakeTermsMemo->setPlainText(FromStd(settings.IntakeTerms));
    LabelWidthEdit->setValue(settings.LabelWidthMm);
    LabelHeightEdit->setValue(settings.LabelHeightMm);
    MailHostEdit->setText(FromStd(settings.Mail.Host));
    MailPortEdit->setValue(settings.Mail.Port);
    MailSecurityComboBox->setCurrentIndex(settings.Mail.ImplicitTls ? TlsIndex : StartTlsIndex);
    MailUserEdit->setText(FromStd(settings.Mail.User));
    MailPasswordEdit->setText(mailPassword);
    MailFromEdit->setText(FromStd(settings.Mail.From));
    NoticeSubjectTemplateEdit->setText(settings.NoticeSubject.empty() ? DefaultNoticeSubject()
                                                                      : FromStd(settings.NoticeSubject));
    for (const std::string& state : settings.JobStates)
        NoticeStateComboBox->addItem(FromStd(state));
    ShowBodyOf(NoticeStateComboBox->currentIndex());
    NoticeBodyTemplateEdit->setEnabled(NoticeStateComboBox->count() > 0);
}

void TCounterSetupDialog::ProposePortFor(int securityIndex)
{
    // Only the usual port of the other kind is changed: a port of the shop's own stays.
    if (securityIndex == TlsIndex && MailPortEdit->value() == SubmissionPort)
        MailPortEdit->setValue(ImplicitTlsPort);
    else if (securityIndex == StartTlsIndex && MailPortEdit->value() == ImplicitTlsPort)
        MailPortEdit->setValue(SubmissionPort);
}

void TCounterSetupDialog::KeepShownBody()
{
    if (ShownState < 0)
        return;
    const QString state = NoticeStateComboBox->itemText(ShownState);
    Bodies[state.toStdString()] = NoticeBodyTemplateEdit->toPlainText().toStdString();
}

void TCounterSetupDialog::ShowBodyOf(int stateIndex)
{
    KeepShownBody();
    ShownState = stateIndex;
    if (stateIndex < 0) {
        NoticeBodyTemplateEdit->clear();
        return;
    }
    const QString state = NoticeStateComboBox->itemText(stateIndex);
    const auto kept = Bodies.find(state.toStdString());
    const bool has = kept != Bodies.end() && !FromStd(kept->second).trimmed().isEmpty();
    NoticeBodyTemplateEdit->setPlainText(has ? FromStd(kept->second) : DefaultNoticeBody(state));
}

Quenbrook::CounterSettings TCounterSetupDialog::Settings() const
{
    Quenbrook::CounterSettings settings = Given;
    settings.IntakeTerms = IntakeTermsMemo->toPlainText().toStdString();
    settings.LabelWidthMm = LabelWidthEdit->value();
    settings.LabelHeightMm = LabelHeightEdit->value();
    settings.Mail.Host = MailHostEdit->text().trimmed().toStdString();
    settings.Mail.Port = MailPortEdit->value();
    settings.Mail.ImplicitTls = MailSecurityComboBox->currentIndex() == TlsIndex;
    settings.Mail.User = MailUserEdit->text().trimmed().toStdString();
    settings.Mail.From = MailFromEdit->text().trimmed().toStdString();
    settings.NoticeSubject = Stored(NoticeSubjectTemplateEdit->text(), DefaultNoticeSubject());

    std::map<std::string, std::string> bodies = Bodies;
    if (ShownState >= 0)
        bodies[NoticeStateComboBox->itemText(ShownState).toStdString()] =
            NoticeBodyTemplateEdit->toPlainText().toStdString();
    settings.NoticeBodies.clear();
    for (const auto& [state, body] : bodies) {
        const std::string kept = Stored(FromStd(body), DefaultNoticeBody(FromStd(state)));
        if (!kept.empty())
            settings.NoticeBodies[state] = kept;
    }
    return settings;
}

QString TCounterSetupDialog::MailPassword() const
{
    return MailPasswordEdit->text();
}

void TCounterSetupDialog::accept()
{
    // Without a sender address the server would refuse every notice.
    if (!MailHostEdit->text().trimmed().isEmpty() && !MailFromEdit->text().contains('@')) {
        Interaction::ShowMessage("A mail server needs the shop's From address, such as service@example.com.");
        CounterSetupTabs->setCurrentWidget(MailFromEdit->parentWidget());
        MailFromEdit->setFocus();
        return;
    }
    QDialog::accept();
}

bool TCounterSetupDialog::Execute()
{
    return exec() == QDialog::Accepted;
}
