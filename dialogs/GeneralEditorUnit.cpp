#include "dialogs/GeneralEditorUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

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
    resize(465, 355);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->setSpacing(0);

    BusinessGroupBox = new QGroupBox(" Business ", this);
    BusinessGroupBox->setObjectName("BusinessGroupBox");
    layout->addWidget(BusinessGroupBox, 1);

    NameLabel = new QLabel("Name", BusinessGroupBox);
    NameLabel->setObjectName("NameLabel");
    NameLabel->setGeometry(16, 24, 60, 16);
    CompanyNameEdit = new QLineEdit("Your Company Name", BusinessGroupBox);
    CompanyNameEdit->setObjectName("CompanyNameEdit");
    CompanyNameEdit->setGeometry(80, 22, 353, 21);
    AddressMemo = new QPlainTextEdit(BusinessGroupBox);
    AddressMemo->setObjectName("AddressMemo");
    AddressMemo->setGeometry(80, 50, 353, 53);
    AddressMemo->setPlainText("123 Example St\nYour Town, ST 67654");

    PhonesLabel = new QLabel("Phones", BusinessGroupBox);
    PhonesLabel->setObjectName("PhonesLabel");
    PhonesLabel->setGeometry(16, 112, 60, 16);
    PhonesMemo = new QPlainTextEdit(BusinessGroupBox);
    PhonesMemo->setObjectName("PhonesMemo");
    PhonesMemo->setGeometry(80, 110, 170, 89);
    PhonesMemo->setPlainText("(123) 456-7890x0123");
    FaxesLabel = new QLabel("Faxes", BusinessGroupBox);
    FaxesLabel->setObjectName("FaxesLabel");
    FaxesLabel->setGeometry(258, 112, 40, 16);
    FaxesMemo = new QPlainTextEdit(BusinessGroupBox);
    FaxesMemo->setObjectName("FaxesMemo");
    FaxesMemo->setGeometry(300, 110, 133, 89);

    WebSiteLabel = new QLabel("Web-Site", BusinessGroupBox);
    WebSiteLabel->setObjectName("WebSiteLabel");
    WebSiteLabel->setGeometry(16, 210, 60, 16);
    WebSiteEdit = new QLineEdit(BusinessGroupBox);
    WebSiteEdit->setObjectName("WebSiteEdit");
    WebSiteEdit->setGeometry(80, 208, 353, 21);

    DataFileLabel = new QLabel("Data", BusinessGroupBox);
    DataFileLabel->setObjectName("DataFileLabel");
    DataFileLabel->setGeometry(16, 242, 60, 16);
    DataFileEdit = new QLineEdit(BusinessGroupBox);
    DataFileEdit->setObjectName("DataFileEdit");
    DataFileEdit->setGeometry(80, 240, 321, 21);
    DataFileBrowseButton = new QPushButton("...", BusinessGroupBox);
    DataFileBrowseButton->setObjectName("DataFileBrowseButton");
    DataFileBrowseButton->setGeometry(408, 239, 25, 23);
    DataFileBrowseButton->setToolTip("Browse...");

    BackupOnExitCheckBox = new QCheckBox("Back up on exit, keep", BusinessGroupBox);
    BackupOnExitCheckBox->setObjectName("BackupOnExitCheckBox");
    BackupOnExitCheckBox->setGeometry(80, 270, 150, 21);
    BackupOnExitCheckBox->setChecked(true);
    BackupCopiesSpinEdit = new QSpinBox(BusinessGroupBox);
    BackupCopiesSpinEdit->setObjectName("BackupCopiesSpinEdit");
    BackupCopiesSpinEdit->setGeometry(232, 270, 56, 21);
    BackupCopiesSpinEdit->setRange(1, 999);
    BackupCopiesSpinEdit->setValue(10);
    BackupCopiesSpinEdit->setAccessibleName("Backup copies to keep");
    BackupCopiesLabel = new QLabel("copies", BusinessGroupBox);
    BackupCopiesLabel->setObjectName("BackupCopiesLabel");
    BackupCopiesLabel->setGeometry(294, 272, 60, 16);
    BackupCopiesLabel->setBuddy(BackupCopiesSpinEdit);
    connect(BackupOnExitCheckBox, &QCheckBox::toggled, BackupCopiesSpinEdit, &QSpinBox::setEnabled);

    BottmPanel = new QWidget(this);
    BottmPanel->setObjectName("BottmPanel");
    BottmPanel->setFixedHeight(41);
    layout->addWidget(BottmPanel);
    OKButton = new QPushButton("OK", BottmPanel);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(200, 8, 75, 25);
    CancelButton = new QPushButton("Cancel", BottmPanel);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setGeometry(288, 8, 75, 25);
    ApplyButton = new QPushButton("Apply", BottmPanel);
    ApplyButton->setObjectName("ApplyButton");
    ApplyButton->setGeometry(376, 8, 75, 25);
    ApplyButton->setEnabled(false);
    // Enter in an edit must not close the dialog behind the user's back.
    for (QPushButton* button : {DataFileBrowseButton, OKButton, CancelButton, ApplyButton})
        button->setAutoDefault(false);

    setTabOrder(CompanyNameEdit, AddressMemo);
    setTabOrder(AddressMemo, PhonesMemo);
    setTabOrder(PhonesMemo, FaxesMemo);
    setTabOrder(FaxesMemo, WebSiteEdit);
    setTabOrder(WebSiteEdit, DataFileEdit);
    setTabOrder(DataFileEdit, DataFileBrowseButton);
    setTabOrder(DataFileBrowseButton, BackupOnExitCheckBox);
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

void TGeneralEditor::StoreValues()
{
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
    StoreValues();
    accept();
}

void TGeneralEditor::ApplyButtonClick()
{
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
