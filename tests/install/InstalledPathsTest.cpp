// Where an installed copy keeps its files: the rules of ProgramPaths::ForUser
// against a made-up home, and the real window run with them.
#include <QAction>
#include <QByteArray>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <unistd.h>

#include "app/DesktopIdentity.h"
#include "app/MainUnit.h"
#include "app/ProgramPaths.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/GeneralEditorUnit.h"
#include "dialogs/ListEditorUnit.h"
#include "settings/Quenbrook_Configuration.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/datafiles/TestSupport.h"
#include "tests/support/windows/FakeInteraction.h"
#include "tests/support/windows/ModalDriver.h"

namespace fs = std::filesystem;

namespace {

const char* const UserVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"};

// A home of the test's own: the user's folders at their defaults under it.
class InstalledCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : UserVariables) {
            if (qEnvironmentVariableIsSet(name))
                saved[name] = qgetenv(name);
            qunsetenv(name);
        }
        fs::create_directories(home);
        qputenv("HOME", QByteArray::fromStdString(home));
        previousFolder = fs::current_path();
        fs::current_path(home);
    }

    void TearDown() override
    {
        window.reset();
        fs::current_path(previousFolder);
        for (const char* name : UserVariables) {
            qunsetenv(name);
            if (saved.count(name))
                qputenv(name, saved[name]);
        }
    }

    QString Home(const std::string& rest) const { return QString::fromStdString(home + rest); }

    void Start(const ProgramPaths& paths)
    {
        try {
            window = std::make_unique<TMainForm>(paths);
        } catch (const std::exception& error) {
            FAIL() << "start-up failed: " << error.what();
        }
    }

    TestSupport::TempDir work;
    const std::string home = work.File("home");
    std::map<std::string, QByteArray> saved;
    fs::path previousFolder;
    FakeInteraction fake;
    std::unique_ptr<TMainForm> window;
};

}  // namespace

TEST_F(InstalledCopy, userFoldersFollowTheEnvironmentAndTheMenuStartRule)
{
    // Defaults under the home folder; no runtime folder: the report goes to the cache.
    ProgramPaths paths = ProgramPaths::ForUser(QDir::homePath());
    EXPECT_EQ(paths.SettingsFile, Home("/.config/velmora-solutions/Quenbrook.ini"));
    EXPECT_EQ(paths.TemporaryReportFile, Home("/.cache/velmora-solutions/tmp.HTML"));
    EXPECT_EQ(paths.DataFolder, Home("/.local/share/velmora-solutions"));
    EXPECT_EQ(paths.Folder, Home(""));

    // The variables win; a runtime folder that exists takes the report.
    fs::create_directories(work.File("run"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(work.File("cfg")));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(work.File("data")));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(work.File("run")));
    paths = ProgramPaths::ForUser("/");
    EXPECT_EQ(paths.SettingsFile.toStdString(), work.File("cfg/velmora-solutions/Quenbrook.ini"));
    EXPECT_EQ(paths.TemporaryReportFile.toStdString(), work.File("run/velmora-solutions/tmp.HTML"));
    EXPECT_EQ(paths.DataFolder.toStdString(), work.File("data/velmora-solutions"));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(work.File("no-such-folder")));
    EXPECT_EQ(ProgramPaths::ForUser("/").TemporaryReportFile, Home("/.cache/velmora-solutions/tmp.HTML"));

    // The home folder reached through a link is still the home folder.
    fs::create_directory_symlink(home, work.File("link"));
    EXPECT_FALSE(ProgramPaths::ForUser(QString::fromStdString(work.File("link"))).DataFolder.isEmpty());
    // Started from a terminal elsewhere (a subfolder of home included): the working folder.
    fs::create_directories(home + "/shop");
    for (const std::string& folder : {home + "/shop", work.Path()})
        EXPECT_TRUE(ProgramPaths::ForUser(QString::fromStdString(folder)).DataFolder.isEmpty()) << folder;
}

TEST_F(InstalledCopy, onlyRelativeDataFilePathsMoveIntoTheDataFolder)
{
    ProgramPaths paths = ProgramPaths::ForUser(QDir::homePath());
    const QString data = Home("/.local/share/velmora-solutions");
    EXPECT_EQ(paths.DataFilePath("./Data/Solutions.fdb"), data + "/Data/Solutions.fdb");
    EXPECT_EQ(paths.DataFilePath("Shop.fdb"), data + "/Shop.fdb");
    EXPECT_EQ(paths.DataFilePath("/srv/shop/Solutions.fdb"), "/srv/shop/Solutions.fdb");
    EXPECT_EQ(paths.DataFilePath(""), "");
    // Portable copies and terminal starts keep the path as written.
    EXPECT_EQ(ProgramPaths::InFolder(Home("")).DataFilePath("./Data/Solutions.fdb"), "./Data/Solutions.fdb");
    EXPECT_EQ(ProgramPaths::ForUser(QString::fromStdString(work.Path())).DataFilePath("./Data/x.fdb"), "./Data/x.fdb");
}

// First start writes nothing but the data file; the first Setup save makes the
// settings folder; the relative path stays relative in the file and the next
// start opens it under the data folder.
TEST_F(InstalledCopy, windowKeepsDataAndSettingsInTheUsersFolders)
{
    fs::create_directories(work.File("run"));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(work.File("run")));
    const ProgramPaths paths = ProgramPaths::ForUser(QDir::homePath());
    Start(paths);
    ASSERT_TRUE(window);
    EXPECT_TRUE(fs::is_regular_file(home + "/.local/share/velmora-solutions/Data/Solutions.fdb"));
    EXPECT_FALSE(fs::exists(home + "/Data"));
    EXPECT_FALSE(fs::exists(home + "/.config"));
    EXPECT_EQ(window->GetConfig()->GetDataFile(), "./Data/Solutions.fdb");

    ASSERT_TRUE(WhileShown<TListEditor>([this] { Control<QAction>(*window, "TechniciansSetupMenu")->trigger(); },
                                        [](TListEditor& dialog) {
                                            dialog.AddItemEdit->setText("Ann");
                                            QChar enter('\r');
                                            dialog.AddItemEditKeyPress(enter);
                                            dialog.OKButton->click();
                                        }));
    ASSERT_TRUE(WhileShown<TGeneralEditor>([this] { Control<QAction>(*window, "GeneralSetupMenu")->trigger(); },
                                           [](TGeneralEditor& dialog) {
                                               dialog.DataFileEdit->setText("./Shop/Tickets.fdb");
                                               dialog.OKButton->click();
                                           }));
    EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join("|").toStdString();
    Quenbrook::Configuration onDisk;
    ASSERT_TRUE(fs::is_regular_file(paths.SettingsFile.toStdString()));
    ASSERT_TRUE(onDisk.Load(paths.SettingsFile.toStdString()));
    EXPECT_EQ(onDisk.GetTechnician(1), "Ann");
    EXPECT_EQ(onDisk.GetDataFile(), "./Shop/Tickets.fdb");

    // View writes the report into a runtime folder made for it; shutdown removes the report.
    Control<QPushButton>(*window, "ViewSysInfoButton")->click();
    EXPECT_TRUE(fs::is_regular_file(work.File("run/velmora-solutions/tmp.HTML")));
    window.reset();
    EXPECT_FALSE(fs::exists(work.File("run/velmora-solutions/tmp.HTML")));

    Start(ProgramPaths::ForUser(QDir::homePath()));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->GetConfig()->GetTechnician(1), "Ann");
    EXPECT_TRUE(fs::is_regular_file(home + "/.local/share/velmora-solutions/Shop/Tickets.fdb"));
    EXPECT_EQ(window->GetConnection()->GetPath(), home + "/.local/share/velmora-solutions/Shop/Tickets.fdb");
}

// The window icon and the About box picture come from the resources linked
// into the program; a resource left out of the link gives an empty picture.
TEST(DesktopIdentity, pictureIsTheLargeIconUnderTheMenuEntrysName)
{
    const QPixmap picture = DesktopIdentity::Picture();
    EXPECT_EQ(picture.size(), QSize(256, 256));
    EXPECT_FALSE(DesktopIdentity::Icon().isNull());
    EXPECT_STREQ(DesktopIdentity::DesktopFileName, "com.velmora.SolutionsDatabase");
}

// Root may write beside any copy, so a copy it runs never counts as portable:
// its settings, report and index are root's own, its data file stays in the
// working folder.
TEST_F(InstalledCopy, aCopyRunByRootUsesRootsOwnFolders)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "runs as root only";
    const ProgramPaths paths = ProgramPaths::ForThisCopy();
    EXPECT_EQ(paths.SettingsFile, Home("/.config/velmora-solutions/Quenbrook.ini"));
    EXPECT_EQ(paths.TemporaryReportFile, Home("/.cache/velmora-solutions/tmp.HTML"));
    EXPECT_EQ(paths.IndexCacheFolder, Home("/.cache/velmora-solutions/FindIndex"));
    EXPECT_EQ(paths.DataFilePath("./Data/Solutions.fdb"), "./Data/Solutions.fdb");
}
