// Asks for the login of a data file on a server: the user, the password and
// whether the desktop's keyring may remember the password.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Interaction {
struct ServerLoginRequest;
}

class TServerLoginDialog : public QDialog {
    Q_OBJECT

public:
    TServerLoginDialog(QWidget* owner, const Interaction::ServerLoginRequest& request);

    // Shows the dialog modally; true with the answers in request after OK.
    bool Execute(Interaction::ServerLoginRequest& request);

    // Controls, named as their objectName.
    QLabel* ServerLabel = nullptr;
    QLineEdit* ServerUserEdit = nullptr;
    QLineEdit* ServerPasswordEdit = nullptr;
    QCheckBox* RememberCheckBox = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
};
