#include "tests/server/DeskWork.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTextEdit>

#include "app/MainUnit.h"
#include "tests/server/TestServer.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/datafiles/TestSupport.h"

namespace DeskWork {

void WriteSettings(const std::string& folder, const std::string& dataFile)
{
    TestSupport::WriteFile(folder + "/Quenbrook.ini",
                           "[General]\nData File=" + dataFile + "\nData File User=" + TestServer::User +
                               "\nData File Password=" + TestServer::Password + "\n");
}

void FillTicket(TMainForm& window, int desk, int round)
{
    window.NewFileMenuClick();
    const bool shared = round % 5 == 0;
    Control<QLineEdit>(window, "NameEdit")
        ->setText(shared ? QString("Shared Customer") : QString("Desk %1 Customer %2").arg(desk).arg(round));
    window.SetAddressText("1 Main St\r\nSuite 2");
    Control<QComboBox>(window, "CityComboBox")->setEditText("Springfield");
    Control<QComboBox>(window, "StateComboBox")->setEditText("IL");
    Control<QComboBox>(window, "ZipComboBox")->setEditText("62701");
    Control<QComboBox>(window, "TechnicianComboBox")->setEditText(QString("Desk %1").arg(desk));
    Control<QComboBox>(window, "OperatingSystemComboBox")->setEditText("Debian 12");
    Control<QTextEdit>(window, "ProblemRichEdit")
        ->setPlainText(QString("Printer jams, desk %1 round %2").arg(desk).arg(round));
}

}  // namespace DeskWork
