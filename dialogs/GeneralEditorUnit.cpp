#include "dialogs/GeneralEditorUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dbframework/DBFrameWork_Schema.h"
#include "dialogs/Interaction.h"
#include "dialogs/TextTrim.h"

const char* const TGeneralEditor::DataFileFilter =
    "All files (*.*)|*.*|FireBird files (*.fdb;*.gdb)|*.gdb;*.fdb|InterBase files (*.gdb)|*.GDB";

namespace {

const QString LineBreak = QStringLiteral("\r\n");

bool IsSpaceAt(const QString& text, int position)
{
    return position < text.size() && text.at(position) == ' ';
}

void SetMemoText(QPlainTextEdit* memo, const QString& memoText)
{
    QString text = memoText;
    memo->setPlainText(text.replace(LineBreak, QStringLiteral("\n")));
}

}  // namespace

TGeneralEditor::TGeneralEditor(QWidget* owner) : QDialog(owner)
{
    BuildForm();
}

TGeneralEditor::TGeneralEditor(QWidget* owner, const QString& companyName, const QString& address,
                               const QStringList& phones, const QStringList& faxes, const QString& webSite,
                               const QString& dataFile)
    : QDialog(owner)
{
    BuildForm();
    ShowValues(companyName, address, phones, faxes, webSite, dataFile);
}

TGeneralEditor::~TGeneralEditor() = default;

void TGeneralEditor::BuildForm()
{
    setObjectName("GeneralEditor");
    setWindowTitle("General...");
    setFont(QFont("MS Sans Serif", 8));
    resize(480, 430);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);

    BusinessGroupBox = new QGroupBox(" Business ", this);
    BusinessGroupBox->setObjectName("BusinessGroupBox");
    layout->addWidget(BusinessGroupBox, 1);
    auto* fields = new QGridLayout(BusinessGroupBox);

    CompanyNameEdit = new QLineEdit("Your Company Name", BusinessGroupBox);
    CompanyNameEdit->setObjectName("CompanyNameEdit");
    AddressMemo = new QPlainTextEdit(BusinessGroupBox);
    AddressMemo->setObjectName("AddressMemo");
    AddressMemo->setPlainText("123 Example St\nYour Town, ST 67654");
    AddressMemo->setFixedHeight(3 * AddressMemo->fontMetrics().lineSpacing() + 12);
    PhonesMemo = new QPlainTextEdit(BusinessGroupBox);
    PhonesMemo->setObjectName("PhonesMemo");
    PhonesMemo->setPlainText("(123) 456-7890x0123");
    FaxesMemo = new QPlainTextEdit(BusinessGroupBox);
    FaxesMemo->setObjectName("FaxesMemo");
    WebSiteEdit = new QLineEdit(BusinessGroupBox);
    WebSiteEdit->setObjectName("WebSiteEdit");
    DataFileEdit = new QLineEdit(BusinessGroupBox);
    DataFileEdit->setObjectName("DataFileEdit");
    DataFileBrowseButton = new QPushButton("...", BusinessGroupBox);
    DataFileBrowseButton->setObjectName("DataFileBrowseButton");
    DataFileBrowseButton->setToolTip("Browse...");
    DataFileBrowseButton->setFixedWidth(DataFileBrowseButton->minimumSizeHint().width());
    DataFileUserEdit = new QLineEdit(BusinessGroupBox);
    DataFileUserEdit->setObjectName("DataFileUserEdit");
    DataFilePasswordEdit = new QLineEdit(BusinessGroupBox);
    DataFilePasswordEdit->setObjectName("DataFilePasswordEdit");
    DataFilePasswordEdit->setEchoMode(QLineEdit::Password);
    for (QLineEdit* login : {DataFileUserEdit, DataFilePasswordEdit})
        login->setToolTip("Used only for a data file on a server (host:/path)");

    BackupOnExitCheckBox = new QCheckBox("Back up on exit, keep", BusinessGroupBox);
    BackupOnExitCheckBox->setObjectName("BackupOnExitCheckBox");
    BackupOnExitCheckBox->setChecked(true);
    BackupCopiesSpinEdit = new QSpinBox(BusinessGroupBox);
    BackupCopiesSpinEdit->setObjectName("BackupCopiesSpinEdit");
    BackupCopiesSpinEdit->setRange(1, 999);
    BackupCopiesSpinEdit->setValue(10);
    BackupCopiesSpinEdit->setAccessibleName("Backup copies to keep");
    BackupCopiesLabel = new QLabel("copies", BusinessGroupBox);
    BackupCopiesLabel->setObjectName("BackupCopiesLabel");
    BackupCopiesLabel->setBuddy(BackupCopiesSpinEdit);
    connect(BackupOnExitCheckBox, &QCheckBox::toggled, BackupCopiesSpinEdit, &QSpinBox::setEnabled);

    // Each label names its field, for the eye and for a screen reader alike.
    auto label = [this](const char* name, const QString& caption, QWidget* field, const QString& spokenName) {
        auto* item = new QLabel(caption, BusinessGroupBox);
        item->setObjectName(name);
        item->setBuddy(field);
        field->setAccessibleName(spokenName);
        return item;
    };
    NameLabel = label("NameLabel", "Name", CompanyNameEdit, "Business name");
    AddressLabel = label("AddressLabel", "Address", AddressMemo, "Business address");
    PhonesLabel = label("PhonesLabel", "Phones", PhonesMemo, "Phone numbers, one per line");
    FaxesLabel = label("FaxesLabel", "Faxes", FaxesMemo, "Fax numbers, one per line");
    WebSiteLabel = label("WebSiteLabel", "Web-Site", WebSiteEdit, "Web site");
    DataFileLabel = label("DataFileLabel", "Data", DataFileEdit, "Data file");
    DataFileBrowseButton->setAccessibleName("Browse for the data file");
    DataFileUserLabel = label("DataFileUserLabel", "Server user", DataFileUserEdit, "Data file server user");
    DataFilePasswordLabel = label("DataFilePasswordLabel", "Password", DataFilePasswordEdit,
                                  "Data file server password");

    auto* numbers = new QHBoxLayout;
    numbers->addWidget(PhonesMemo, 1);
    numbers->addWidget(FaxesLabel, 0, Qt::AlignTop);
    numbers->addWidget(FaxesMemo, 1);
    auto* dataFileRow = new QHBoxLayout;
    dataFileRow->addWidget(DataFileEdit, 1);
    dataFileRow->addWidget(DataFileBrowseButton);
    // The engine reads a name before a colon as a server: say so as it is typed.
    DataFileMachineLabel = new QLabel(BusinessGroupBox);
    DataFileMachineLabel->setObjectName("DataFileMachineLabel");
    auto* dataFileColumn = new QVBoxLayout;
    dataFileColumn->addLayout(dataFileRow);
    dataFileColumn->addWidget(DataFileMachineLabel);
    const Qt::Alignment topLeft = Qt::AlignLeft | Qt::AlignTop;
    fields->addWidget(NameLabel, 0, 0);
    fields->addWidget(CompanyNameEdit, 0, 1);
    fields->addWidget(AddressLabel, 1, 0, topLeft);
    fields->addWidget(AddressMemo, 1, 1);
    fields->addWidget(PhonesLabel, 2, 0, topLeft);
    fields->addLayout(numbers, 2, 1);
    fields->addWidget(WebSiteLabel, 3, 0);
    fields->addWidget(WebSiteEdit, 3, 1);
    fields->addWidget(DataFileLabel, 4, 0);
    fields->addLayout(dataFileColumn, 4, 1);
    auto* loginRow = new QHBoxLayout;
    loginRow->addWidget(DataFileUserEdit, 1);
    loginRow->addWidget(DataFilePasswordLabel);
    loginRow->addWidget(DataFilePasswordEdit, 1);
    fields->addWidget(DataFileUserLabel, 5, 0);
    fields->addLayout(loginRow, 5, 1);
    auto* backupRow = new QHBoxLayout;
    backupRow->addWidget(BackupOnExitCheckBox);
    backupRow->addWidget(BackupCopiesSpinEdit);
    backupRow->addWidget(BackupCopiesLabel);
    backupRow->addStretch(1);
    fields->addLayout(backupRow, 6, 1);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(2, 1);

    // The buttons keep to the right and are never narrower than their captions.
    BottmPanel = new QWidget(this);
    BottmPanel->setObjectName("BottmPanel");
    layout->addWidget(BottmPanel);
    auto* buttons = new QHBoxLayout(BottmPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    OKButton = new QPushButton("OK", BottmPanel);
    OKButton->setObjectName("OKButton");
    CancelButton = new QPushButton("Cancel", BottmPanel);
    CancelButton->setObjectName("CancelButton");
    ApplyButton = new QPushButton("Apply", BottmPanel);
    ApplyButton->setObjectName("ApplyButton");
    ApplyButton->setEnabled(false);
    for (QPushButton* button : {OKButton, CancelButton, ApplyButton})
        buttons->addWidget(button);
    // Enter in an edit must not close the dialog behind the user's back.
    for (QPushButton* button : {DataFileBrowseButton, OKButton, CancelButton, ApplyButton})
        button->setAutoDefault(false);

    setTabOrder(CompanyNameEdit, AddressMemo);
    setTabOrder(AddressMemo, PhonesMemo);
    setTabOrder(PhonesMemo, FaxesMemo);
    setTabOrder(FaxesMemo, WebSiteEdit);
    setTabOrder(WebSiteEdit, DataFileEdit);
    setTabOrder(DataFileEdit, DataFileBrowseButton);
    setTabOrder(DataFileBrowseButton, DataFileUserEdit);
    setTabOrder(DataFileUserEdit, DataFilePasswordEdit);
    setTabOrder(DataFilePasswordEdit, BackupOnExitCheckBox);
    setTabOrder(BackupOnExitCheckBox, BackupCopiesSpinEdit);
    setTabOrder(BackupCopiesSpinEdit, OKButton);
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, ApplyButton);
    for (QPlainTextEdit* memo : {AddressMemo, PhonesMemo, FaxesMemo})
        memo->setTabChangesFocus(true);
    CompanyNameEdit->setFocus();

    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ApplyButton, &QPushButton::clicked, this, [this] { ApplyButtonClick(); });
    connect(DataFileBrowseButton, &QPushButton::clicked, this, [this] { DataFileBrowseButtonClick(); });
    connect(DataFileEdit, &QLineEdit::textChanged, this,
            [this](const QString& path) { DataFileMachineLabel->setText(MachineText(path)); });
    DataFileMachineLabel->setText(MachineText(QString()));
}

QString TGeneralEditor::MachineText(const QString& dataFile)
{
    const std::string server = DBFrameWork::ServerName(TrimmedText(dataFile).toStdString());
    if (server.empty())
        return "On this computer";
    return "On the server \"" + QString::fromStdString(server) + "\"";
}

bool TGeneralEditor::DataFileAccepted()
{
    const QString dataFile = TrimmedText(DataFileEdit->text());
    const std::string server = DBFrameWork::ServerName(dataFile.toStdString());
    if (server.empty() || server == DBFrameWork::ServerName(DataFile.toStdString()))
        return true;
    // "Data:2024.fdb" is a file on the machine called "Data" to the engine.
    return Interaction::Confirm("The data file " + dataFile + " is on the server \"" + QString::fromStdString(server) +
                                "\", not on this computer. Use it?");
}

bool TGeneralEditor::Execute()
{
    if (QWidget* window = QApplication::activeWindow(); window && window != this)
        move(window->frameGeometry().center() - rect().center());
    return exec() == QDialog::Accepted;
}

void TGeneralEditor::ShowValues(const QString& companyName, const QString& address, const QStringList& phones,
                                const QStringList& faxes, const QString& webSite, const QString& dataFile)
{
    CompanyName = companyName;
    DataFile = dataFile;
    Address = AddressToMemoText(address);
    Phones = phones;
    Faxes = faxes;
    WebSite = webSite;

    CompanyNameEdit->setText(CompanyName);
    SetMemoText(AddressMemo, Address);
    PhonesMemo->setPlainText(Phones.join('\n'));
    FaxesMemo->setPlainText(Faxes.join('\n'));
    WebSiteEdit->setText(WebSite);
    DataFileEdit->setText(DataFile);
}

void TGeneralEditor::ShowServerLogin(const QString& user, const QString& password)
{
    DataFileUser = user;
    DataFilePassword = password;
    DataFileUserEdit->setText(user);
    DataFilePasswordEdit->setText(password);
}

void TGeneralEditor::StoreValues()
{
    DataFileUser = TrimmedText(DataFileUserEdit->text());
    // A password is taken as typed: its spaces may belong to it.
    DataFilePassword = DataFilePasswordEdit->text();
    CompanyName = TrimmedText(CompanyNameEdit->text());
    Address = AddressFromMemoLines(MemoLines(AddressMemo));
    Phones = MemoLines(PhonesMemo);
    Faxes = MemoLines(FaxesMemo);
    WebSite = TrimmedText(WebSiteEdit->text());
    const QString dataFile = TrimmedText(DataFileEdit->text());
    if (!dataFile.isEmpty())
        DataFile = dataFile;
    BackupOnExit = BackupOnExitCheckBox->isChecked();
    BackupCopies = BackupCopiesSpinEdit->value();
}

void TGeneralEditor::ShowBackupValues(bool backupOnExit, int copies)
{
    BackupOnExit = backupOnExit;
    BackupCopies = copies;
    BackupOnExitCheckBox->setChecked(backupOnExit);
    BackupCopiesSpinEdit->setEnabled(backupOnExit);
    BackupCopiesSpinEdit->setValue(copies);
}

void TGeneralEditor::OKButtonClick()
{
    if (!DataFileAccepted())
        return;
    StoreValues();
    accept();
}

void TGeneralEditor::ApplyButtonClick()
{
    if (!DataFileAccepted())
        return;
    ApplyButton->setEnabled(false);
    StoreValues();
}

void TGeneralEditor::DataFileBrowseButtonClick()
{
    Interaction::OpenFileRequest request;
    request.initialFolder = QCoreApplication::applicationDirPath();
    request.defaultExtension = "fdb";
    request.filter = DataFileFilter;
    request.filterIndex = 2;
    QString chosenPath;
    if (Interaction::OpenFile(request, chosenPath))
        DataFileEdit->setText(chosenPath);
}

// Commas end lines, except in the form ", ST " that puts a two-letter state
// code after the town on the same line.
QString TGeneralEditor::AddressToMemoText(const QString& oneLine)
{
    QString memoText;
    int start = 0;
    for (;;) {
        const int comma = oneLine.indexOf(',', start);
        if (comma < 0) {
            memoText += oneLine.mid(start);
            return memoText;
        }
        memoText += oneLine.mid(start, comma - start);
        if (IsSpaceAt(oneLine, comma + 1) && IsSpaceAt(oneLine, comma + 4)) {
            memoText += ", ";
            start = comma + 2;
        } else {
            memoText += LineBreak;
            start = comma + 1 + (IsSpaceAt(oneLine, comma + 1) ? 1 : 0);
        }
    }
}

QString TGeneralEditor::AddressFromMemoLines(const QStringList& lines)
{
    QString oneLine;
    for (int i = 0; i < lines.size(); ++i) {
        oneLine += TrimmedText(lines.at(i));
        if (i + 1 < lines.size())
            oneLine += ", ";
    }
    return oneLine;
}

QStringList TGeneralEditor::MemoLines(const QPlainTextEdit* memo)
{
    const QString text = memo->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split('\n');
    // A line break after the last line opens no line of its own.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
