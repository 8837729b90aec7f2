// Opening a data file on a server: its login, and a new file only where the
// server says there is none and the user agrees.
#include <QDir>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "app/MainUnit.h"
#include "app/ServerKeyring.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dialogs/Interaction.h"
#include "settings/Quenbrook_Configuration.h"

namespace {

// A wrong password is asked for again, a few times at most.
constexpr int LoginAttempts = 3;

QString Text(const std::string& value)
{
    return QString::fromStdString(value);
}

}  // namespace

void TMainForm::ConnectServerDataFile(const QString& dataPath, const std::string& connectError)
{
    // The settings' user with the password an older settings file holds, else
    // the keyring's; the program's own login for local files never goes to a server.
    Interaction::ServerLoginRequest login;
    login.server = Text(DBFrameWork::ServerName(dataPath.toStdString()));
    login.dataFile = QDir::toNativeSeparators(dataPath);
    login.user = Text(Config->GetDataFileUser());
    login.password = Text(Config->GetDataFilePassword());
    // The keyring is asked only when the settings hold no password, or before
    // the prompt (whether it can offer "Remember"), and then once.
    std::optional<ServerKeyring::Lookup> lookup;
    QString kept;
    const auto keyring = [&] {
        if (!lookup)
            lookup = ServerKeyring::Read(login.server, login.user, kept);
        return *lookup;
    };
    if (login.password.isEmpty() && !login.user.isEmpty() && keyring() == ServerKeyring::Lookup::Found)
        login.password = kept;

    bool asked = false;
    for (int attempt = 0; attempt < LoginAttempts; ++attempt) {
        if (login.user.isEmpty() || login.password.isEmpty()) {
            login.canRemember = keyring() != ServerKeyring::Lookup::NoKeyring;
            if (!Interaction::AskServerLogin(login) || login.user.isEmpty())
                throw ApplicationError(connectError);
            asked = true;
        }
        Connection = std::make_unique<DBFrameWork::DBConnection>(dataPath.toStdString(), login.user.toStdString(),
                                                                 login.password.toStdString());
        if (Connection->Connect()) {
            RememberServerLogin(login, asked);
            return;
        }
        switch (Connection->GetConnectFailure()) {
        case DBFrameWork::DBConnection::ConnectFailure::LoginRefused:
            login.password.clear();
            continue;
        case DBFrameWork::DBConnection::ConnectFailure::FileMissing:
            // Only a file the server itself says is not there is made, and
            // only when the user agrees: after a typo or an unmounted disk a
            // new empty file would hide the shop's data.
            if (!Interaction::Confirm("The data file " + login.dataFile + " does not exist on the server. Create it?"))
                throw ApplicationError(connectError);
            if (!Connection->Create() || !Connection->Connect())
                throw ApplicationError(connectError);
            RememberServerLogin(login, asked);
            return;
        default:
            throw ApplicationError(connectError);
        }
    }
    throw ApplicationError(connectError);
}

void TMainForm::RememberServerLogin(const Interaction::ServerLoginRequest& login, bool asked)
{
    if (!asked)
        return;
    // The user typed at the prompt is the settings' user from now on; the
    // password stays in memory unless the keyring takes it.
    if (login.user.toStdString() != Config->GetDataFileUser()) {
        Config->SetDataFileUser(login.user.toStdString());
        if (!SaveSettings())
            DBFrameWork::OutputDebugString("Unable to keep the server user in the settings");
    }
    if (login.remember && !ServerKeyring::Write(login.server, login.user, login.password))
        Interaction::ShowMessage("The desktop's keyring did not take the password; it will be asked for again.");
}
