// Start-up, data file creation and shutdown through the real window.
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "tests/app/WindowTest.h"

namespace fs = std::filesystem;

namespace {

// Starts the window in a child process (after the given shell set-up) and returns its outcome.
std::string ChildStart(const std::string& folder, const std::string& setup = "")
{
    std::string output;
    TestSupport::RunCommand("bash -c '" + setup + " VELMORA_SECOND_COPY=\"" + folder + "\" QT_QPA_PLATFORM=offscreen exec \"" +
                                fs::read_symlink("/proc/self/exe").string() +
                                "\" --gtest_filter=SecondCopy.Child' 2>&1",
                            &output);
    const size_t start = output.find("RESULT[");
    const size_t end = output.find("]\n", start);
    if (start == std::string::npos || end == std::string::npos || end < start)
        return output;
    return output.substr(start + 7, end - start - 7);
}

bool MainWindowExists()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<TMainForm*>(widget))
            return true;
    return false;
}

std::string RandomBytes(size_t size)
{
    std::mt19937 generator(20041225);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xff);
    return bytes;
}

// The construction error, or "" when the window was made.
std::string StartFailure(const ProgramPaths& paths)
{
    try {
        TMainForm window(paths);
    } catch (const ApplicationError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

class StartUp : public WindowTest {};

TEST_F(StartUp, DefaultSettingsInEmptyFolder_CreateDataFileThenConnect)
{
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->StatusPanel0->text(), "Connected...");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(fake->messages.isEmpty()) << fake->messages.join("|").toStdString();
    EXPECT_TRUE(fake->errors.isEmpty());
    EXPECT_TRUE(window->GetConnection()->Connected);
    EXPECT_TRUE(fs::is_regular_file(work.File("Data/Solutions.fdb")));
    EXPECT_EQ(window->windowTitle(), "Your Company Name Solution Database");
    // Start-up never writes the settings.
    EXPECT_FALSE(fs::exists(paths.SettingsFile.toStdString()));
    window.reset();

    // The schema, read by isql from the file itself.
    const std::string tables = TestSupport::Isql(dataFile,
        "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1;"
        "SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1;"
        "SELECT TRIM(RDB$CONSTRAINT_NAME) FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME STARTING WITH 'FK$';"
        "SELECT MON$SQL_DIALECT FROM MON$DATABASE;");
    for (const char* name : {"CUSTOMER", "PROBLEM", "SYSTEMINFO", "CUSTOMERIDVALUE", "PROBLEMIDVALUE",
                             "FK$PROBLEM_CUSTOMER", "FK$SYSTEMINFO_PROBLEM"})
        EXPECT_NE(tables.find(name), std::string::npos) << name << " missing in\n" << tables;
    EXPECT_NE(tables.find("           3"), std::string::npos) << "dialect 3 expected in\n" << tables;

    // The second start finds the file and only connects.
    Start();
    EXPECT_EQ(window->StatusPanel0->text(), "Connected...");
    EXPECT_TRUE(fake->errors.isEmpty());
    window.reset();
    EXPECT_EQ(Count("Customer"), 0);
}

TEST_F(StartUp, DeepMissingFolders_AllCreated)
{
    const std::string path = work.File("a/b/c/tickets.fdb");
    UseDataFile(path);
    Start();
    ASSERT_TRUE(window);
    EXPECT_TRUE(fs::is_regular_file(path));
    EXPECT_EQ(window->StatusPanel0->text(), "Connected...");
}

TEST_F(StartUp, DataFileInWorkingFolderWithoutFolderPart)
{
    WriteSettings("[General]\nData File=plain.fdb\n");
    dataFile = work.File("plain.fdb");
    Start();
    ASSERT_TRUE(window);
    EXPECT_TRUE(fs::is_regular_file(dataFile));
    EXPECT_EQ(window->StatusPanel0->text(), "Connected...");
}

TEST_F(StartUp, PathThatIsNoDatabase_ConnectionErrorNoWindowFileUntouched)
{
    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {{"notes.txt", "This is a text file.\nNot a database.\n"},
                          {"random.fdb", RandomBytes(65536)},
                          {"empty.fdb", ""}};
    for (const Case& item : cases) {
        const std::string path = work.File(item.name);
        TestSupport::WriteFile(path, item.content);
        UseDataFile(path);
        EXPECT_EQ(StartFailure(paths), "Error connecting to Data File (" + path + ")!") << item.name;
        EXPECT_EQ(TestSupport::ReadFile(path), item.content) << item.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(MainWindowExists());
    }
    const std::string folder = work.File("a-folder.fdb");
    fs::create_directory(folder);
    UseDataFile(folder);
    EXPECT_EQ(StartFailure(paths), "Error connecting to Data File (" + folder + ")!");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(fake->errors.isEmpty());
}

TEST_F(StartUp, CreationFailures_EachStepItsOwnMessage)
{
    // Folder step: a file stands where a folder is needed.
    TestSupport::WriteFile(work.File("blocker"), "keep me");
    const std::string underFile = work.File("blocker/sub/tickets.fdb");
    UseDataFile(underFile);
    EXPECT_EQ(StartFailure(paths), "Error creating Directories for Data File (" + underFile + ")!");
    EXPECT_EQ(TestSupport::ReadFile(work.File("blocker")), "keep me");

    // Database step: the name is a link into a folder that does not exist.
    fs::create_directory(work.File("Links"));
    const std::string link = work.File("Links/tickets.fdb");
    fs::create_symlink(work.File("missing-folder/target.fdb"), link);
    UseDataFile(link);
    EXPECT_EQ(StartFailure(paths), "Error creating Data File (" + link + ")!");
    EXPECT_FALSE(fs::exists(work.File("missing-folder")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(MainWindowExists());
}

TEST_F(StartUp, TableCreationFailure_NamesTableAndConfiguredPath)
{
    // The file system takes the empty database and not one byte more, so
    // the first table cannot be laid out.
    const std::string probe = work.File("probe.fdb");
    TestSupport::Isql(probe, "CREATE DATABASE '" + probe + "' USER 'SYSDBA' PASSWORD 'plumtrove';");
    ASSERT_TRUE(fs::is_regular_file(probe));
    const auto emptySize = fs::file_size(probe);
    ASSERT_EQ(emptySize % 1024, 0u);
    fs::create_directory(work.File("Data"));
    WriteSettings("[General]\nData File=" + work.File("Data/limited.fdb") + "\n");
    EXPECT_EQ(ChildStart(paths.Folder.toStdString(), "trap \"\" XFSZ; ulimit -f " + std::to_string(emptySize / 1024) + ";"),
              "Error creating Customer in Data File (" + work.File("Data/limited.fdb") + ")!");
    EXPECT_TRUE(fs::is_regular_file(work.File("Data/limited.fdb")));
}

TEST_F(StartUp, UnreadableSettings_MessageWithPathThenStarts)
{
    // A folder in place of the file cannot be read, even by root.
    fs::create_directory(paths.SettingsFile.toStdString());
    Start();
    ASSERT_TRUE(window);
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages.front(), "Failed to load configureate (file: " + paths.SettingsFile);
    EXPECT_EQ(window->StatusPanel0->text(), "Connected...");
    EXPECT_TRUE(fs::is_regular_file(work.File("Data/Solutions.fdb")));
}

TEST_F(StartUp, Shutdown_DeletesReportBesideExecutableOnly)
{
    Start();
    ASSERT_TRUE(window);
    const std::string beside = paths.TemporaryReportFile.toStdString();
    TestSupport::WriteFile(beside, "<html></html>");
    TestSupport::WriteFile(work.File("tmp.HTML"), "<html>mine</html>");
    DBFrameWork::DBConnection* connection = window->GetConnection();
    ASSERT_TRUE(connection->Connected);
    window.reset();
    EXPECT_FALSE(fs::exists(beside));
    EXPECT_EQ(TestSupport::ReadFile(work.File("tmp.HTML")), "<html>mine</html>");
    // The file was released: isql can open it at once.
    EXPECT_EQ(Count("Problem"), 0);

    // Without a report file the shutdown is quiet too.
    Start();
    window.reset();
    EXPECT_TRUE(fake->errors.isEmpty());
}

// Run only as a child process of the tests below: starts a window on the
// settings beside the executable and prints how that ended.
TEST(SecondCopy, Child)
{
    const char* folder = std::getenv("VELMORA_SECOND_COPY");
    if (!folder)
        GTEST_SKIP() << "runs as a child process only";
    FakeInteraction fake;
    try {
        TMainForm window(ProgramPaths::InFolder(folder));
        std::printf("RESULT[connected]\n");
    } catch (const std::exception& error) {
        std::printf("RESULT[%s]\n", error.what());
    }
    std::fflush(stdout);
}

TEST_F(StartUp, SecondCopyOnSameDataFile_GetsConnectionError)
{
    UseDataFile(work.File("shared.fdb"));
    Start();
    ASSERT_TRUE(window);

    EXPECT_EQ(ChildStart(paths.Folder.toStdString()), "Error connecting to Data File (" + dataFile + ")!");

    // The first copy keeps working.
    FillTicket();
    EXPECT_TRUE(window->SaveProblem());
    EXPECT_EQ(Count("Problem"), 1);
}

