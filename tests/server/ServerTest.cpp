// The program as one of several desks on a data file served by a Firebird
// server of the test's own.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dialogs/OpenProblemDialogUnit.h"
#include "ibpp/ibpp.h"
#include "tests/server/DeskWork.h"
#include "tests/server/TestServer.h"
#include "tests/support/windows/WindowTest.h"

namespace {

class Server : public WindowTest {
protected:
    static void SetUpTestSuite() { server = new TestServer; }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

    // The login as an older settings file holds it. The desk agrees to a new
    // file on the server unless the test says otherwise.
    void UseServerFile(const std::string& name, const std::string& password = TestServer::Password)
    {
        UseDataFile(server->DataFile(name),
                    std::string("Data File User=") + TestServer::User + "\nData File Password=" + password + "\n");
        fake->confirmAnswer = true;
    }

    // Starts the window expecting it to fail with the connection error.
    void StartRefused(const std::string& name)
    {
        try {
            TMainForm refused(paths);
            ADD_FAILURE() << "connected to " << name;
        } catch (const ApplicationError& error) {
            EXPECT_EQ(std::string(error.what()), "Error connecting to Data File (" + server->DataFile(name) + ")!");
        }
    }

    static Interaction::ServerLoginRequest Answer(const std::string& user, const std::string& password)
    {
        Interaction::ServerLoginRequest answer;
        answer.user = QString::fromStdString(user);
        answer.password = QString::fromStdString(password);
        return answer;
    }

    static TestServer* server;
};

TestServer* Server::server = nullptr;

// The number a desk printed after its label, -1 when it printed none.
int Reported(const std::string& output, const std::string& label)
{
    const size_t at = output.find(label + " ");
    return at == std::string::npos ? -1 : std::atoi(output.c_str() + at + label.size() + 1);
}

}  // namespace

TEST_F(Server, firstStartMakesTheFileOnTheServerAndTicketsRoundTrip)
{
    UseServerFile("Solutions.fdb");
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(Find<QLabel>("StatusPanel0")->text(), "Connected...");
    EXPECT_EQ(fake->questions,
              QStringList({QString::fromStdString("The data file " + server->DataFile("Solutions.fdb") +
                                                  " does not exist on the server. Create it?")}));
    // Nothing was made locally: no folder, no file by the name's local reading.
    EXPECT_TRUE(std::filesystem::is_empty(work.Path() + "/program") || !std::filesystem::exists(work.File("Data")));
    EXPECT_TRUE(std::filesystem::is_regular_file(server->LocalFile("Solutions.fdb")));

    FillTicket("Server Customer");
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("Printer offline");
    ASSERT_TRUE(window->SaveProblem());
    TOpenProblemDialog dialog(nullptr, window->GetConnection());
    dialog.CustomerNameEdit->setText("Server");
    dialog.CustomerSearchButton->click();
    ASSERT_EQ(dialog.GetSearchResults().size(), 1u);
    EXPECT_EQ(Count("Problem"), 1);
    EXPECT_EQ(Count("SystemInfo"), 1);

    // The next start finds the file there and creates nothing.
    window.reset();
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(Count("Customer"), 1);
}

// A refused login is asked for again and never makes a file; a failed
// connection makes a file only where the server says there is none, and only
// when the user agrees.
TEST_F(Server, wrongPasswordIsAskedForAgainAndAMissingFileIsMadeOnlyWhenTheUserAgrees)
{
    UseServerFile("Refused.fdb", "not-the-password");
    StartRefused("Refused.fdb");
    ASSERT_EQ(fake->loginRequests.size(), 1u);
    EXPECT_EQ(fake->loginRequests[0].user.toStdString(), TestServer::User);
    EXPECT_TRUE(fake->loginRequests[0].password.isEmpty());
    EXPECT_EQ(fake->loginRequests[0].server.toStdString(), "127.0.0.1/" + std::to_string(server->Port()));
    EXPECT_TRUE(fake->questions.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(server->LocalFile("Refused.fdb")));

    // The server is down or the name is wrong: nothing is made anywhere.
    UseDataFile("127.0.0.1/1:" + server->LocalFile("Unreachable.fdb"),
                std::string("Data File User=") + TestServer::User + "\nData File Password=x\n");
    fake->confirmAnswer = true;
    EXPECT_THROW(TMainForm unreachable(paths), ApplicationError);
    EXPECT_TRUE(fake->questions.isEmpty());

    UseServerFile("Refused.fdb", "not-the-password");
    fake->confirmAnswer = false;
    fake->loginAnswers.push_back(Answer(TestServer::User, TestServer::Password));
    StartRefused("Refused.fdb");
    EXPECT_EQ(fake->questions.size(), 1);
    EXPECT_FALSE(std::filesystem::exists(server->LocalFile("Refused.fdb")));

    fake->confirmAnswer = true;
    fake->loginAnswers.push_back(Answer(TestServer::User, TestServer::Password));
    Start();
    ASSERT_TRUE(window);
    EXPECT_TRUE(std::filesystem::exists(server->LocalFile("Refused.fdb")));
}

// Without a server user the program's own login is never sent: the user is
// asked for, kept in the settings, and the password stays out of every file.
TEST_F(Server, withoutAServerUserTheLoginIsAskedForAndThePasswordIsNeverWritten)
{
    UseDataFile(server->DataFile("Asked.fdb"));
    StartRefused("Asked.fdb");
    ASSERT_EQ(fake->loginRequests.size(), 1u);
    EXPECT_TRUE(fake->loginRequests[0].user.isEmpty());
    // No keyring answers in the tests, so "Remember" cannot be ticked.
    EXPECT_FALSE(fake->loginRequests[0].canRemember);

    fake->confirmAnswer = true;
    fake->loginAnswers.push_back(Answer(TestServer::User, TestServer::Password));
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->GetConnection()->GetUser(), TestServer::User);
    const std::string settings = TestSupport::ReadFile(paths.SettingsFile.toStdString());
    EXPECT_NE(settings.find(std::string("Data File User=") + TestServer::User), std::string::npos) << settings;
    EXPECT_EQ(settings.find(TestServer::Password), std::string::npos) << settings;
}

// Desk B saves a ticket while desk A's save of it is still open: B's save fails
// whole, and succeeds once A has finished.
TEST_F(Server, sameTicketSavedAtTwoDesks_laterDeskFailsWithNothingWrittenThenSucceeds)
{
    UseServerFile("Conflict.fdb");
    Start();
    ASSERT_TRUE(window);
    FillTicket("Conflict Customer");
    ASSERT_TRUE(window->SaveProblem());
    const int32_t problem = window->GetProblemID();

    IBPP::Database deskA = IBPP::DatabaseFactory("", server->DataFile("Conflict.fdb"), TestServer::User,
                                                 TestServer::Password);
    deskA->Connect();
    IBPP::Transaction saving = IBPP::TransactionFactory(deskA, IBPP::amWrite, IBPP::ilReadCommitted, IBPP::lrNoWait);
    saving->Start();
    IBPP::Statement update = IBPP::StatementFactory(deskA, saving);
    update->ExecuteImmediate("UPDATE Problem SET Technician = 'desk A' WHERE ProblemID = " + std::to_string(problem));

    // Desk B changes the customer too: a new customer row must not stay behind.
    Find<QLineEdit>("NameEdit")->setText("Conflict Customer Renamed");
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("desk B");
    fake->messages.clear();
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages, QStringList({"Save Failed!!"}));
    saving->Commit();
    deskA->Disconnect();
    EXPECT_EQ(Count("Customer"), 1);
    EXPECT_EQ(Value("SELECT Technician FROM Problem;", "TECHNICIAN"), "desk A");

    fake->messages.clear();
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages, QStringList({"Save Successfull!"}));
    EXPECT_EQ(Count("Problem"), 1);
    EXPECT_EQ(Value("SELECT CAST(Description AS VARCHAR(100)) AS P FROM Problem;", "P"), "desk B");
}

// Four desks save 500 tickets each while a fifth searches: every ticket
// reported saved is stored whole, and the file validates clean.
TEST_F(Server, fourDesksSavingAtOnceLoseNothing)
{
    const std::string name = "Busy.fdb";
    UseServerFile(name);
    Start();  // lays the file out
    ASSERT_TRUE(window);
    window.reset();

    constexpr int Desks = 4;
    constexpr int Saves = 500;
    constexpr int DeskLimitSeconds = 400;
    std::vector<FILE*> desks;
    for (int desk = 0; desk <= Desks; ++desk) {
        const std::string folder = work.File("desk" + std::to_string(desk));
        std::filesystem::create_directory(folder);
        const std::string mode = desk == Desks ? "search" : "save";
        const std::string command = "timeout -k 2 " + std::to_string(DeskLimitSeconds) + " '" + SERVER_DESK + "' " +
            mode + " '" + folder + "' '" + server->DataFile(name) + "' " + std::to_string(desk == Desks ? 100 : Saves) +
            " " + std::to_string(desk + 1) + " 2>&1";
        desks.push_back(popen(command.c_str(), "r"));
        ASSERT_TRUE(desks.back());
    }
    int saved = 0;
    for (int desk = 0; desk <= Desks; ++desk) {
        std::string output;
        char buffer[4096];
        while (size_t count = fread(buffer, 1, sizeof buffer, desks[desk]))
            output.append(buffer, count);
        const int status = pclose(desks[desk]);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 124)
            ADD_FAILURE() << "HUNG: desk " << desk << " did not end within " << DeskLimitSeconds << " s\n"
                          << TestSupport::LockFolderState();
        EXPECT_EQ(status, 0) << output;
        if (desk == Desks) {
            EXPECT_EQ(Reported(output, "SEARCHED"), 100) << output;
            EXPECT_EQ(Reported(output, "FAILED"), 0) << output;
            continue;
        }
        const int done = Reported(output, "SAVED");
        EXPECT_GT(done, 0) << output;
        saved += done;
    }
    EXPECT_EQ(Count("Problem"), saved);
    EXPECT_EQ(Count("SystemInfo"), saved);
    EXPECT_EQ(Value("SELECT COUNT(*) AS N FROM Problem p LEFT JOIN SystemInfo s ON s.ProblemID = p.ProblemID "
                    "WHERE s.ProblemID IS NULL;",
                    "N"),
              "0");
    // Every customer has a ticket: none was stored for a save that then failed.
    EXPECT_EQ(Value("SELECT COUNT(*) AS N FROM Customer c WHERE NOT EXISTS "
                    "(SELECT 1 FROM Problem p WHERE p.CustomerID = c.CustomerID);",
                    "N"),
              "0");
    int status = -1;
    EXPECT_EQ(server->Validate(name, &status), "");
    EXPECT_EQ(status, 0);
    std::printf("four desks: %d of %d saves reported stored\n", saved, Desks * Saves);
}

// The verified backup runs on the server and writes beside the server's data file.
TEST_F(Server, backupOfAServerFileIsWrittenAndVerifiedOnTheServer)
{
    UseServerFile("Backed.fdb");
    Start();
    ASSERT_TRUE(window);
    FillTicket("Backed Customer");
    ASSERT_TRUE(window->SaveProblem());
    fake->messages.clear();
    window->BackupFileMenuClick();
    EXPECT_EQ(fake->messages, QStringList({"Backup complete and verified."}));
    std::vector<std::string> backups, scratch;
    for (const auto& entry : std::filesystem::directory_iterator(server->LocalFile("")))
        (entry.path().extension() == ".fbk" ? backups : scratch).push_back(entry.path().filename().string());
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].rfind("Backed-", 0), 0u) << backups[0];
    for (const auto& name : scratch)
        EXPECT_EQ(name.find(".verify"), std::string::npos) << name << " left behind";
    // Leaving backs up nothing more: the server's backups are the server's business.
    EXPECT_FALSE(window->BackupOnExit(std::time(nullptr) + 86400));
}

// A server that would let customer data cross the network in plain text is refused.
TEST(ServerLink, AServerThatDoesNotEncryptTheLinkIsRefused)
{
    TestServer plain("Disabled");
    const auto refusal = [](const std::function<void()>& attach) {
        try {
            attach();
        } catch (const IBPP::Exception& error) {
            return std::string(error.ErrorMessage());
        }
        return std::string("(connected)");
    };
    const std::string database = refusal([&] {
        IBPP::DatabaseFactory("", plain.DataFile("plain.fdb"), TestServer::User, TestServer::Password)->Create(3);
    });
    EXPECT_NE(database.find("encryption"), std::string::npos) << database;
    EXPECT_FALSE(std::filesystem::exists(plain.LocalFile("plain.fdb")));
    const std::string service = refusal([&] {
        IBPP::ServiceFactory("127.0.0.1/" + std::to_string(plain.Port()), TestServer::User, TestServer::Password)
            ->Connect();
    });
    EXPECT_NE(service.find("encryption"), std::string::npos) << service;
}
