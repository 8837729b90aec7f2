// The business settings: name, postal address, phones, faxes, web site and the
// path of the data file. Works on its own copies; read after OK.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QWidget;

class TGeneralEditor : public QDialog {
    Q_OBJECT

public:
    // The controls as the form lays them out, with empty values.
    explicit TGeneralEditor(QWidget* owner);
    // The address in its one-line form, parts separated by ", ".
    TGeneralEditor(QWidget* owner, const QString& companyName, const QString& address, const QStringList& phones,
                   const QStringList& faxes, const QString& webSite, const QString& dataFile);
    ~TGeneralEditor() override;

    // Shows the dialog modally; true when it was closed with OK.
    bool Execute();

    void ShowValues(const QString& companyName, const QString& address, const QStringList& phones,
                    const QStringList& faxes, const QString& webSite, const QString& dataFile);
    void StoreValues();
    // The login for a data file on a server, shown below the data file.
    void ShowServerLogin(const QString& user, const QString& password);
    // The automatic backup when the program ends, and how many are kept.
    void ShowBackupValues(bool backupOnExit, int copies);
    bool GetBackupOnExit() const { return BackupOnExit; }
    int GetBackupCopies() const { return BackupCopies; }

    QString GetCompanyName() const { return CompanyName; }
    QString GetAddress() const { return Address; }
    QStringList GetPhones() const { return Phones; }
    QStringList GetFaxes() const { return Faxes; }
    QString GetWebSite() const { return WebSite; }
    QString GetDataFile() const { return DataFile; }
    QString GetDataFileUser() const { return DataFileUser; }
    QString GetDataFilePassword() const { return DataFilePassword; }

    void OKButtonClick();
    void ApplyButtonClick();
    void DataFileBrowseButtonClick();

    // The one-line address as memo text (lines joined by carriage return and
    // line feed), and memo lines back to the one-line form.
    static QString AddressToMemoText(const QString& oneLine);
    static QString AddressFromMemoLines(const QStringList& lines);
    // The lines of a memo as the user sees them; an empty memo has none.
    static QStringList MemoLines(const QPlainTextEdit* memo);

    // What the browse button asks the file dialog for.
    static const char* const DataFileFilter;

    // Where the data file path puts the file: "On this computer", or the server it names.
    static QString MachineText(const QString& dataFile);

private:
    void BuildForm();
    // A path that names a server other than before is taken only when the user confirms it.
    bool DataFileAccepted();

    QString CompanyName;
    QString Address;
    QStringList Phones;
    QStringList Faxes;
    QString WebSite;
    QString DataFile;
    QString DataFileUser;
    QString DataFilePassword;
    bool BackupOnExit = true;
    int BackupCopies = 10;

public:
    // Controls, named as their objectName.
    QGroupBox* BusinessGroupBox = nullptr;
    QLabel* NameLabel = nullptr;
    QLineEdit* CompanyNameEdit = nullptr;
    QLabel* AddressLabel = nullptr;
    QPlainTextEdit* AddressMemo = nullptr;
    QLabel* PhonesLabel = nullptr;
    QPlainTextEdit* PhonesMemo = nullptr;
    QLabel* FaxesLabel = nullptr;
    QPlainTextEdit* FaxesMemo = nullptr;
    QLabel* WebSiteLabel = nullptr;
    QLineEdit* WebSiteEdit = nullptr;
    QLabel* DataFileLabel = nullptr;
    QLineEdit* DataFileEdit = nullptr;
    QPushButton* DataFileBrowseButton = nullptr;
    QLabel* DataFileMachineLabel = nullptr;
    QLabel* DataFileUserLabel = nullptr;
    QLineEdit* DataFileUserEdit = nullptr;
    QLabel* DataFilePasswordLabel = nullptr;
    QLineEdit* DataFilePasswordEdit = nullptr;
    // "Back up on exit, keep N copies"
    QCheckBox* BackupOnExitCheckBox = nullptr;
    QSpinBox* BackupCopiesSpinEdit = nullptr;
    QLabel* BackupCopiesLabel = nullptr;
    QWidget* BottmPanel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;
};
