// Start-up, data file creation and shutdown through the real window.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QWidget>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "tests/support/datafiles/LocalLogin.h"
#include "tests/support/windows/WindowTest.h"

namespace fs = std::filesystem;

namespace {

// Starts the window in a child process (after the given shell set-up) and returns its outcome.
std::string ChildStart(const std::string& folder, const std::string& setup = "")
{
    std::string output;
    TestSupport::RunCommand("bash -c '" + setup + " VELMORA_SECOND_COPY=\"" + folder +
                                "\" QT_QPA_PLATFORM=offscreen exec \"" + fs::read_symlink("/proc/self/exe").string() +
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

// A data file as the older creation left it when it was cut off: the database
// with Customer only, with Customer and a Problem table that lacks its
// generator and foreign key, or with no table at all.
enum class HalfMade { DatabaseOnly, CustomerOnly, ProblemWithoutParts };

void MakeHalfMadeFile(const std::string& path, HalfMade state)
{
    DBFrameWork::DBConnection connection(path);
    ASSERT_TRUE(connection.Create());
    ASSERT_TRUE(connection.Connect());
    if (state != HalfMade::DatabaseOnly) {
        DBFrameWork::Customer customer(&connection);
        ASSERT_TRUE(customer.Create());
    }
    if (state == HalfMade::ProblemWithoutParts) {
        DBFrameWork::Problem problem(&connection);
        ASSERT_TRUE(problem.DBObjectBase::Create());
    }
    ASSERT_TRUE(connection.Disconnect());
}

// Everything of a data file's own schema that tells two files apart: columns
// with their types, keys and foreign keys, generators.
std::string SchemaOf(const std::string& path)
{
    return TestSupport::Isql(
        path,
        "SELECT TRIM(RF.RDB$RELATION_NAME), TRIM(RF.RDB$FIELD_NAME), RF.RDB$FIELD_POSITION, F.RDB$FIELD_TYPE, "
        "F.RDB$FIELD_SUB_TYPE, F.RDB$CHARACTER_LENGTH, RF.RDB$NULL_FLAG FROM RDB$RELATION_FIELDS RF "
        "JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE WHERE COALESCE(RF.RDB$SYSTEM_FLAG, 0) = 0 "
        "ORDER BY 1, 3;"
        "SELECT TRIM(RDB$CONSTRAINT_NAME), TRIM(RDB$RELATION_NAME), RDB$CONSTRAINT_TYPE FROM RDB$RELATION_CONSTRAINTS "
        "WHERE RDB$CONSTRAINT_TYPE <> 'NOT NULL' ORDER BY 1;"
        "SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1;");
}

}  // namespace

class StartUp : public WindowTest {};

TEST_F(StartUp, DefaultSettingsInEmptyFolder_CreateDataFileThenConnect)
{
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
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
    const std::string tables = TestSupport::Isql(
        dataFile,
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
    EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
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
    EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
}

TEST_F(StartUp, DataFileInWorkingFolderWithoutFolderPart)
{
    WriteSettings("[General]\nData File=plain.fdb\n");
    dataFile = work.File("plain.fdb");
    Start();
    ASSERT_TRUE(window);
    EXPECT_TRUE(fs::is_regular_file(dataFile));
    EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
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
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(MainWindowExists());
}

TEST_F(StartUp, TableCreationFailure_NamesTableAndConfiguredPath)
{
    // The file system takes the empty database and not one byte more, so
    // the first table cannot be laid out.
    const std::string probe = work.File("probe.fdb");
    TestSupport::Isql(probe,
                      "CREATE DATABASE '" + probe + "' USER '" + TestSupport::LocalUser() + "' PASSWORD '" +
                          TestSupport::LocalPassword() + "';");
    ASSERT_TRUE(fs::is_regular_file(probe));
    const auto emptySize = fs::file_size(probe);
    ASSERT_EQ(emptySize % 1024, 0u);
    fs::create_directory(work.File("Data"));
    WriteSettings("[General]\nData File=" + work.File("Data/limited.fdb") + "\n");
    EXPECT_EQ(
        ChildStart(paths.Folder.toStdString(), "trap \"\" XFSZ; ulimit -f " + std::to_string(emptySize / 1024) + ";"),
        "Error creating Customer in Data File (" + work.File("Data/limited.fdb") + ")!");
    // The half-made file is not left for the next start.
    EXPECT_FALSE(fs::exists(work.File("Data/limited.fdb")));
    EXPECT_FALSE(fs::exists(work.File("Data/limited.fdb.new")));
}

TEST_F(StartUp, LinkToAMissingFile_FileMadeAtTheTargetLinkKept)
{
    fs::create_directory(work.File("Store"));
    const std::string link = work.File("tickets.fdb");
    fs::create_symlink(work.File("Store/target.fdb"), link);
    UseDataFile(link);
    Start();
    ASSERT_TRUE(window);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_regular_file(work.File("Store/target.fdb")));
    EXPECT_FALSE(fs::exists(work.File("Store/target.fdb.new")));
}

TEST_F(StartUp, HalfMadeFile_CompletedAtStartAsANewFileIsMade)
{
    Start();
    ASSERT_TRUE(window);
    window.reset();
    const std::string whole = SchemaOf(dataFile);
    ASSERT_NE(whole.find("FK$SYSTEMINFO_PROBLEM"), std::string::npos) << whole;

    const HalfMade states[] = {HalfMade::DatabaseOnly, HalfMade::CustomerOnly, HalfMade::ProblemWithoutParts};
    for (HalfMade state : states) {
        SCOPED_TRACE(static_cast<int>(state));
        const std::string path = work.File("half" + std::to_string(static_cast<int>(state)) + ".fdb");
        MakeHalfMadeFile(path, state);
        ASSERT_NE(SchemaOf(path), whole);
        UseDataFile(path);
        Start();
        ASSERT_TRUE(window);
        EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
        EXPECT_TRUE(fake->messages.isEmpty()) << fake->messages.join("|").toStdString();
        // A ticket can be stored at once.
        FillTicket();
        EXPECT_TRUE(window->SaveProblem());
        window.reset();
        EXPECT_EQ(SchemaOf(path), whole);
        EXPECT_EQ(Count("SystemInfo"), 1);
    }
    EXPECT_TRUE(fake->errors.isEmpty());
}

TEST_F(StartUp, FileWithRowsAndMissingParts_LeftAsItIs)
{
    const HalfMade states[] = {HalfMade::CustomerOnly, HalfMade::ProblemWithoutParts};
    for (HalfMade state : states) {
        SCOPED_TRACE(static_cast<int>(state));
        const std::string path = work.File("rows" + std::to_string(static_cast<int>(state)) + ".fdb");
        MakeHalfMadeFile(path, state);
        TestSupport::Isql(path, "INSERT INTO Customer (CustomerID, Name) VALUES (7, 'Kept'); COMMIT;");
        const std::string before = SchemaOf(path);
        UseDataFile(path);
        TestSupport::DebugCapture debug;
        Start();
        ASSERT_TRUE(window);
        EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
        EXPECT_TRUE(debug.Contains("holds rows"));
        window.reset();
        EXPECT_EQ(SchemaOf(path), before);
        EXPECT_EQ(Value("SELECT Name FROM Customer WHERE CustomerID = 7;", "NAME"), "Kept");
    }
}

TEST_F(StartUp, LeftoverTemporaryFile_RemovedAndCreationStartsOver)
{
    fs::create_directory(work.File("Data"));
    const std::string leftovers[] = {RandomBytes(65536), "half-made"};
    for (const std::string& leftover : leftovers) {
        fs::remove(dataFile);
        if (leftover == "half-made")
            MakeHalfMadeFile(dataFile + ".new", HalfMade::CustomerOnly);
        else
            TestSupport::WriteFile(dataFile + ".new", leftover);
        Start();
        ASSERT_TRUE(window);
        EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
        EXPECT_FALSE(fs::exists(dataFile + ".new"));
        window.reset();
        EXPECT_EQ(Count("SystemInfo"), 0);
    }
    EXPECT_TRUE(fake->errors.isEmpty());
}

TEST_F(StartUp, FullDisk_StepMessageAndNothingLeftBehind)
{
    // A disk too small for the empty database, and one that takes the empty
    // database but not its tables.
    const std::string probe = work.File("probe.fdb");
    TestSupport::Isql(probe,
                      "CREATE DATABASE '" + probe + "' USER '" + TestSupport::LocalUser() + "' PASSWORD '" +
                          TestSupport::LocalPassword() + "';");
    ASSERT_TRUE(fs::is_regular_file(probe));
    const size_t emptyKilobytes = fs::file_size(probe) / 1024;
    struct Case {
        size_t kilobytes;
        std::string message;
    };
    const std::string disk = work.File("disk");
    const std::string path = disk + "/Data/Solutions.fdb";
    const Case cases[] = {{64, "Error creating Data File (" + path + ")!"},
                          {emptyKilobytes + 8, "Error creating Customer in Data File (" + path + ")!"}};
    for (const Case& item : cases) {
        TestSupport::SmallDisk small(disk, item.kilobytes);
        if (!small.Why().empty())
            GTEST_SKIP() << "full-disk creation not tried: " << small.Why();
        UseDataFile(path);
        EXPECT_EQ(ChildStart(paths.Folder.toStdString()), item.message) << item.kilobytes << " KB";
        EXPECT_FALSE(fs::exists(path));
        EXPECT_FALSE(fs::exists(path + ".new"));
    }
}

TEST_F(StartUp, UnreadableSettings_MessageWithPathThenStarts)
{
    // A folder in place of the file cannot be read, even by root.
    fs::create_directory(paths.SettingsFile.toStdString());
    Start();
    ASSERT_TRUE(window);
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages.front(), "Failed to load configureate (file: " + paths.SettingsFile);
    EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
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

TEST_F(StartUp, FoldersAndFilesTheProgramMakesAreTheUsersAlone)
{
    // The usual umask lets everybody read what is made with 0666 or 0777.
    const mode_t previous = umask(022);
    struct Restore {
        mode_t mask;
        ~Restore() { umask(mask); }
    } restore{previous};
    const auto mode = [](const std::string& path) {
        struct stat info;
        return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 07777;
    };
    UseDataFile(work.File("Shop/Data/Solutions.fdb"));
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(mode(work.File("Shop")), 0700u);
    EXPECT_EQ(mode(work.File("Shop/Data")), 0700u);
    EXPECT_EQ(mode(work.File("Shop/Data/Solutions.fdb")), 0600u);

    DBFrameWork::FindIndex* finder = window->GetFindIndex();
    ASSERT_TRUE(finder);
    for (int wait = 0; wait < 200 && finder->Progress().Building; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(mode(work.File("Shop/Data/Solutions.fdb.find")), 0700u);

    ASSERT_TRUE(window->BackupOnExit(std::time(nullptr)));
    EXPECT_EQ(mode(work.File("Shop/Data/Backups")), 0700u);
    // The backup is the whole data file: the engine would make it 0644.
    int backups = 0;
    for (const auto& entry : std::filesystem::directory_iterator(work.File("Shop/Data/Backups"))) {
        ++backups;
        EXPECT_EQ(mode(entry.path().string()), 0600u) << entry.path();
    }
    EXPECT_EQ(backups, 1);
}

namespace {

// Hits of a search once the index has caught up with the data file.
std::vector<int32_t> FoundTickets(TMainForm& window, const std::string& words)
{
    DBFrameWork::FindIndex* finder = window.GetFindIndex();
    EXPECT_TRUE(finder);
    if (!finder)
        return {};
    for (int wait = 0; wait < 400 && finder->Progress().Building; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(finder->Progress().Building) << "the index was still being built after 20 s";
    std::vector<int32_t> found;
    for (const DBFrameWork::FindHit& hit : finder->Search(words))
        found.push_back(hit.ProblemID);
    return found;
}

}  // namespace

TEST_F(StartUp, OlderProgramsFileWithTickets_GetsTheAdditionsThenSavesAndFinds)
{
    Start();
    ASSERT_TRUE(window);
    window.reset();
    const std::string whole = SchemaOf(dataFile);
    // What the three tables alone make, holding a ticket the older program stored.
    TestSupport::Isql(
        dataFile,
        "DROP TRIGGER FINDCHANGE_PROBLEM; DROP TRIGGER FINDCHANGE_SYSTEMINFO; "
        "DROP TRIGGER FINDCHANGE_CUSTOMER; DROP TRIGGER FINDCHANGE_CUSTOMERCONTACT; "
        "DROP TRIGGER FINDCHANGE_JOB; DROP TRIGGER FINDCHANGE_DEVICE; DROP TRIGGER FINDCHANGE_TICKETFILE; COMMIT; "
        "DROP TABLE TICKETFILE; DROP TABLE JOBEVENT; DROP TABLE JOB; DROP TABLE DEVICE; "
        "DROP TABLE CUSTOMERCONTACT; DROP GENERATOR CONTACTIDVALUE; DROP GENERATOR DEVICEIDVALUE; "
        "DROP GENERATOR JOBEVENTIDVALUE; DROP GENERATOR TICKETFILEIDVALUE; "
        "COMMIT; DROP TABLE FINDCHANGE; DROP TABLE FINDIDENTITY; "
        "DROP TABLE SCHEMAVERSION; DROP GENERATOR FINDCHANGEVALUE; DROP INDEX IX$PROBLEM_ASSIGNEDID; "
        "DROP INDEX IX$PROBLEM_COMPLETED; COMMIT; "
        "INSERT INTO Customer VALUES (4, 'Older', 'Main St', 'Springfield', 'IL', '62701'); "
        "INSERT INTO Problem VALUES (9, 'Ann', '2003-05-06', NULL, 1, 2, 'toner smudges', '', '', 4); "
        "INSERT INTO SystemInfo VALUES (9, 'Windows 98', ''); "
        "SET GENERATOR CustomerIDValue TO 4; SET GENERATOR ProblemIDValue TO 9; COMMIT;");
    const std::string userTables = "SELECT COUNT(*) AS N FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0;";
    const std::string searchTriggers =
        "SELECT COUNT(*) AS N FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME STARTING WITH 'FINDCHANGE';";
    ASSERT_EQ(Value(userTables, "N"), "3");

    Start();
    ASSERT_TRUE(window);
    EXPECT_TRUE(fake->messages.isEmpty()) << fake->messages.join("|").toStdString();
    EXPECT_FALSE(window->IsDataFileNewer());
    EXPECT_EQ(FoundTickets(*window, "toner"), std::vector<int32_t>({9}));
    ASSERT_TRUE(window->OpenStoredProblem(9));
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text(), "Older");
    Find<QTextEdit>("ResolutionRichEdit")->setPlainText("drum replaced");
    ASSERT_TRUE(window->SaveProblem());
    EXPECT_EQ(FoundTickets(*window, "drum"), std::vector<int32_t>({9}));
    window.reset();
    EXPECT_EQ(SchemaOf(dataFile), whole);
    EXPECT_EQ(Value(searchTriggers, "N"), "7");
    EXPECT_EQ(Count("Problem"), 1);

    // The older program's own statements on the migrated file, through isql.
    TestSupport::Isql(
        dataFile,
        "SELECT GEN_ID(ProblemIDValue, 1) FROM RDB$DATABASE; "
        "INSERT INTO Problem (ProblemID, Technician, Assigned, Completed, BillableHours, ActualHours, "
        "Description, Resolution, Comment, CustomerID) VALUES (10, 'Ann', '2003-06-01', NULL, 1, 1, "
        "'paper feed squeaks', '', '', 4); "
        "INSERT INTO SystemInfo (ProblemID, OperatingSystem, Description) VALUES (10, 'Windows 98', ''); "
        "UPDATE Problem SET Technician = 'Bo', Assigned = '2003-05-06', Completed = '2003-05-07', "
        "BillableHours = 2, ActualHours = 3, Description = 'toner smudges', Resolution = 'drum replaced', "
        "Comment = 'by the older desk', CustomerID = 4 WHERE ProblemID = 9; COMMIT;");
    const std::string read = Query(
        "SELECT ProblemID, Technician, Assigned, Completed, BillableHours, ActualHours, Description, Resolution, "
        "Comment, CustomerID FROM Problem WHERE ProblemID = 9;");
    EXPECT_NE(read.find("by the older desk"), std::string::npos) << read;
    EXPECT_EQ(Count("Problem"), 2);
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(FoundTickets(*window, "squeaks"), std::vector<int32_t>({10}));
    ASSERT_TRUE(window->OpenStoredProblem(9));
    EXPECT_EQ(Find<QComboBox>("JobStateComboBox")->currentText(), "Picked up") << "completed by the older desk";
}

TEST_F(StartUp, NewerProgramsFile_OpensReadOnlyAndIsNeverChanged)
{
    Start();
    ASSERT_TRUE(window);
    FillTicket("Kept");
    ASSERT_TRUE(window->SaveProblem());
    const int32_t stored = window->GetProblemID();
    window.reset();
    TestSupport::Isql(dataFile, "UPDATE SchemaVersion SET Version = Version + 1; COMMIT;");
    const std::string rowsSql =
        "SELECT c.Name, p.Resolution, GEN_ID(CustomerIDValue, 0) AS C, GEN_ID(ProblemIDValue, 0) AS P, "
        "(SELECT LIST(Version) FROM SchemaVersion) AS V FROM Customer c JOIN Problem p ON p.CustomerID = c.CustomerID;";
    const std::string schemaBefore = SchemaOf(dataFile);
    const std::string rowsBefore = Query(rowsSql);

    fake->messages.clear();
    Start();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->IsDataFileNewer());
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_TRUE(fake->messages.front().contains("newer version")) << fake->messages.front().toStdString();
    ASSERT_TRUE(window->OpenStoredProblem(stored));
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text(), "Kept");
    Find<QTextEdit>("ResolutionRichEdit")->setPlainText("not to be stored");
    window->SaveFileMenuClick();
    EXPECT_EQ(fake->messages.size(), 2);
    EXPECT_FALSE(window->SaveProblem());
    window->NewFileMenuClick();
    FillTicket("Other");
    EXPECT_FALSE(window->SaveProblem());
    window.reset();
    EXPECT_EQ(SchemaOf(dataFile), schemaBefore);
    EXPECT_EQ(Query(rowsSql), rowsBefore);
    EXPECT_TRUE(fake->errors.isEmpty()) << fake->errors.join("|").toStdString();
}
