// The counter's own settings: the intake terms, the label's size, the shop's
// mail server and the texts of the notices to customers.
#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <string>

#include "settings/Quenbrook_CounterSettings.h"

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

class TCounterSetupDialog : public QDialog {
    Q_OBJECT

public:
    // The password is kept apart from the settings: it goes to the keyring.
    TCounterSetupDialog(QWidget* owner, const Quenbrook::CounterSettings& settings, const QString& mailPassword);

    // True on OK.
    bool Execute();
    // As shown; the job states as given, and a notice text that is the
    // program's own is left out, so a later program's text reaches the shop.
    Quenbrook::CounterSettings Settings() const;
    QString MailPassword() const;

    void accept() override;

    QTabWidget* CounterSetupTabs = nullptr;
    QPlainTextEdit* IntakeTermsMemo = nullptr;
    QDoubleSpinBox* LabelWidthEdit = nullptr;
    QDoubleSpinBox* LabelHeightEdit = nullptr;
    QLineEdit* MailHostEdit = nullptr;
    QSpinBox* MailPortEdit = nullptr;
    QComboBox* MailSecurityComboBox = nullptr;
    QLineEdit* MailUserEdit = nullptr;
    QLineEdit* MailPasswordEdit = nullptr;
    QLineEdit* MailFromEdit = nullptr;
    QLineEdit* NoticeSubjectTemplateEdit = nullptr;
    QComboBox* NoticeStateComboBox = nullptr;
    QPlainTextEdit* NoticeBodyTemplateEdit = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    QWidget* BuildIntakePage();
    QWidget* BuildLabelPage();
    QWidget* BuildMailPage();
    QWidget* BuildNoticesPage();
    void ShowValues(const Quenbrook::CounterSettings& settings, const QString& mailPassword);
    void ProposePortFor(int securityIndex);
    void ShowBodyOf(int stateIndex);
    // The body in the editor, kept for the state it was shown for.
    void KeepShownBody();

    Quenbrook::CounterSettings Given;
    // The bodies typed so far, by state; empty or the program's own text
    // means none.
    std::map<std::string, std::string> Bodies;
    int ShownState = -1;
};
