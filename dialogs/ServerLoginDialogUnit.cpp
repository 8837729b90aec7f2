#include "dialogs/ServerLoginDialogUnit.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/Interaction.h"

TServerLoginDialog::TServerLoginDialog(QWidget* owner, const Interaction::ServerLoginRequest& request) : QDialog(owner)
{
    setWindowTitle("Server Login");
    ServerLabel = new QLabel("Log in to the server \"" + request.server + "\" for the data file\n" + request.dataFile,
                             this);
    ServerLabel->setObjectName("ServerLabel");
    ServerUserEdit = new QLineEdit(request.user, this);
    ServerUserEdit->setObjectName("ServerUserEdit");
    ServerUserEdit->setAccessibleName("Server user");
    ServerPasswordEdit = new QLineEdit(this);
    ServerPasswordEdit->setObjectName("ServerPasswordEdit");
    ServerPasswordEdit->setAccessibleName("Server password");
    ServerPasswordEdit->setEchoMode(QLineEdit::Password);
    // Off unless the user asks: the password is then kept by the keyring only.
    RememberCheckBox = new QCheckBox("Remember", this);
    RememberCheckBox->setObjectName("RememberCheckBox");
    RememberCheckBox->setChecked(false);
    RememberCheckBox->setEnabled(request.canRemember);
    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");

    auto* fields = new QFormLayout;
    fields->addRow("Server user", ServerUserEdit);
    fields->addRow("Server password", ServerPasswordEdit);
    fields->addRow(QString(), RememberCheckBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ServerLabel);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    (request.user.isEmpty() ? ServerUserEdit : ServerPasswordEdit)->setFocus();
}

bool TServerLoginDialog::Execute(Interaction::ServerLoginRequest& request)
{
    if (exec() != QDialog::Accepted)
        return false;
    request.user = ServerUserEdit->text().trimmed();
    request.password = ServerPasswordEdit->text();
    request.remember = RememberCheckBox->isEnabled() && RememberCheckBox->isChecked();
    return true;
}
