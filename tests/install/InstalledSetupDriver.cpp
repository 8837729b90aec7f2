// Run by installed_copy_test.sh from a copy in the installed, read-only bin
// folder, as the user that owns nothing there: the real window with the paths
// the program would pick, and one General Setup save.
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

#include "app/MainUnit.h"
#include "app/ProgramPaths.h"
#include "dialogs/GeneralEditorUnit.h"
#include "settings/Quenbrook_Configuration.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/windows/FakeInteraction.h"
#include "tests/support/windows/ModalDriver.h"

namespace fs = std::filesystem;

TEST(InstalledSetupDriver, generalSetupSavesIntoTheUsersConfigFolder)
{
    ASSERT_TRUE(qEnvironmentVariableIsSet("VELMORA_INSTALLED_DRIVER")) << "run by installed_copy_test.sh";
    const ProgramPaths paths = ProgramPaths::ForThisCopy();
    const QString config = QDir::homePath() + "/.config/velmora-solutions/Quenbrook.ini";
    ASSERT_EQ(paths.SettingsFile, config) << "not taken for an installed copy";
    ASSERT_FALSE(fs::exists(config.toStdString())) << "the first start wrote the settings";

    FakeInteraction fake;
    auto window = std::make_unique<TMainForm>(paths);
    ASSERT_TRUE(WhileShown<TGeneralEditor>([&window] { Control<QAction>(*window, "GeneralSetupMenu")->trigger(); },
                                           [](TGeneralEditor& dialog) {
                                               dialog.CompanyNameEdit->setText("Harbor PCs");
                                               dialog.DataFileEdit->setText("./Shop/Tickets.fdb");
                                               dialog.OKButton->click();
                                           }));
    EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("|").toStdString();
    window.reset();

    Quenbrook::Configuration onDisk;
    ASSERT_TRUE(onDisk.Load(config.toStdString()));
    EXPECT_EQ(onDisk.GetCompanyName(), "Harbor PCs");
    EXPECT_EQ(onDisk.GetDataFile(), "./Shop/Tickets.fdb");
}
