// The Setup commands, About and Exit.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "app/AboutUnit.h"
#include "app/MainUnit.h"
#include "app/ServerKeyring.h"
#include "dbframework/DBFrameWork_FileSystem.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dialogs/GeneralEditorUnit.h"
#include "dialogs/Interaction.h"
#include "dialogs/ListEditorUnit.h"
#include "settings/Quenbrook_Configuration.h"

namespace {

const char* const SaveFailedText = "Failed to save configuration!";

QString Text(const std::string& value)
{
    return QString::fromStdString(value);
}

// The settings read a numbered series only up to its first empty value, so a
// blank entry stored in the middle would hide every entry after it.
bool IsBlank(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > ' ')
            return false;
    return true;
}

QStringList NumbersOf(const Quenbrook::Configuration& config, const std::string& kind)
{
    QStringList numbers;
    for (int n = 1;; ++n) {
        const std::string number = config.GetNumber(kind + std::to_string(n));
        if (number.empty())
            return numbers;
        numbers.append(Text(number));
    }
}

void AddNumbers(Quenbrook::Configuration& config, const std::string& kind, const QStringList& numbers)
{
    int n = 0;
    for (const QString& number : numbers)
        if (!IsBlank(number))
            config.AddNumber(kind + std::to_string(++n), number.toStdString());
}

// How one of the two pick lists is read from and written to the settings.
struct PickList {
    const char* caption;
    std::function<std::string(int32_t)> get;
    std::function<void()> clear;
    std::function<void(int32_t, const std::string&)> set;
};

// Runs the list editor on a pick list; true when it closed with OK and the
// settings took the edited list.
bool EditPickList(const PickList& list)
{
    QStringList items;
    for (int32_t n = 1;; ++n) {
        const std::string item = list.get(n);
        if (item.empty())
            break;
        items.append(Text(item));
    }
    TListEditor dialog(nullptr, items);
    dialog.setWindowTitle(list.caption);
    if (!dialog.Execute())
        return false;
    const QStringList edited = dialog.GetItems();
    list.clear();
    int32_t n = 0;
    for (const QString& item : edited)
        if (!IsBlank(item))
            list.set(++n, item.toStdString());
    return true;
}

}  // namespace

bool TMainForm::SaveSettings()
{
    const QString folder = QFileInfo(Paths.SettingsFile).absolutePath();
    if (!DBFrameWork::MakePrivateFolders(folder.toStdString())) {
        DBFrameWork::OutputDebugString("Unable to create the settings folder " + folder.toStdString());
        return false;
    }
    return Config->Save();
}

void TMainForm::ExitFileMenuClick()
{
    close();
}

void TMainForm::GeneralSetupMenuClick()
{
    TGeneralEditor dialog(nullptr, Text(Config->GetCompanyName()), Text(Config->GetAddress()),
                          NumbersOf(*Config, "Phone"), NumbersOf(*Config, "Fax"), Text(Config->GetWebSite()),
                          Text(Config->GetDataFile()));
    const QString oldPassword = Text(Config->GetDataFilePassword());
    dialog.ShowServerLogin(Text(Config->GetDataFileUser()), KeptServerPassword());
    dialog.ShowBackupValues(Config->GetBackupOnExit(), Config->GetBackupCopies());
    if (!dialog.Execute())
        return;
    Config->SetCompanyName(dialog.GetCompanyName().toStdString());
    Config->SetAddress(dialog.GetAddress().toStdString());
    Config->ClearNumbers();
    AddNumbers(*Config, "Phone", dialog.GetPhones());
    AddNumbers(*Config, "Fax", dialog.GetFaxes());
    Config->SetWebSite(dialog.GetWebSite().toStdString());
    Config->SetDataFile(dialog.GetDataFile().toStdString());
    Config->SetDataFileUser(dialog.GetDataFileUser().toStdString());
    KeepServerPassword(dialog.GetDataFilePassword(), oldPassword);
    Config->SetBackupOnExit(dialog.GetBackupOnExit());
    Config->SetBackupCopies(dialog.GetBackupCopies());
    UpdateCaption();
    if (!SaveSettings())
        Interaction::ShowMessage(SaveFailedText);
}

QString TMainForm::KeptServerPassword() const
{
    // An older settings file still holds it; else the keyring may.
    const QString password = Text(Config->GetDataFilePassword());
    const QString server = Text(DBFrameWork::ServerName(Config->GetDataFile()));
    const QString user = Text(Config->GetDataFileUser());
    if (!password.isEmpty() || server.isEmpty() || user.isEmpty())
        return password;
    QString kept;
    return ServerKeyring::Read(server, user, kept) == ServerKeyring::Lookup::Found ? kept : QString();
}

void TMainForm::KeepServerPassword(const QString& password, const QString& oldPassword)
{
    // The password goes to the keyring, never into the settings file; one that
    // an older settings file holds moves there now, and stays in the file only
    // while no keyring takes it (the older program reads it from there).
    const QString server = Text(DBFrameWork::ServerName(Config->GetDataFile()));
    const QString user = Text(Config->GetDataFileUser());
    if (password.isEmpty() || server.isEmpty() || user.isEmpty()) {
        if (password != oldPassword)
            Config->SetDataFilePassword("");
        return;
    }
    if (ServerKeyring::Write(server, user, password)) {
        Config->SetDataFilePassword("");
        return;
    }
    if (password == oldPassword)
        return;
    Config->SetDataFilePassword("");
    Interaction::ShowMessage("The desktop's keyring did not take the password; it will be asked for when the data "
                             "file is opened.");
}

void TMainForm::TechniciansSetupMenuClick()
{
    Quenbrook::Configuration& config = *Config;
    const PickList technicians{"Technicians...", [&](int32_t n) { return config.GetTechnician(n); },
                               [&] { config.ClearTechnicians(); },
                               [&](int32_t n, const std::string& name) { config.SetTechnician(n, name); }};
    if (!EditPickList(technicians))
        return;
    FillTechnicianList();
    if (!SaveSettings())
        Interaction::ShowMessage(SaveFailedText);
}

void TMainForm::OperatingSystemsSetupMenuClick()
{
    Quenbrook::Configuration& config = *Config;
    const PickList operatingSystems{"Operating Systems...", [&](int32_t n) { return config.GetOperatingSystem(n); },
                                    [&] { config.ClearOperatingSystems(); },
                                    [&](int32_t n, const std::string& name) { config.SetOperatingSystem(n, name); }};
    if (!EditPickList(operatingSystems))
        return;
    FillOperatingSystemList();
    if (!SaveSettings())
        Interaction::ShowMessage(SaveFailedText);
}

void TMainForm::AboutHelpMenuClick()
{
    TAboutBox box(nullptr);
    box.ProductName->setText(windowTitle());
    box.Version->setText(TAboutBox::VersionText);
    box.Copyright->setText(TAboutBox::CopyrightText);
    box.Comments->setText("Comments:  Set-up for " + Text(Config->GetCompanyName()) + "\r\n" +
                          Text(Config->GetAddress()));
    box.Execute();
}
