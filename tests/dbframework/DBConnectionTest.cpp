#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "settings/Quenbrook_Configuration.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/datafiles/TestSupport.h"

using DBFrameWork::DBConnection;
using TestSupport::DebugCapture;
using TestSupport::FileExists;
using TestSupport::TempDir;

TEST(DBConnectionPath, WithoutSettingsUsesTheDefaultDataFile)
{
    DBConnection connection(nullptr);
    EXPECT_EQ(connection.GetPath(), "./Data/Solutions.fdb");
    EXPECT_FALSE(connection.Connected);
}

TEST(DBConnectionPath, TakesTheConfiguredPathAsItStandsAndDoesNotTouchTheFile)
{
    TempDir dir;
    Quenbrook::Configuration config;
    const std::string path = dir.File("sub\\Odd Name.fdb");
    config.SetDataFile(path);
    DBConnection connection(&config);
    EXPECT_EQ(connection.GetPath(), path);
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(connection.Connected);
    EXPECT_FALSE(connection.IsTransactionActive());
    EXPECT_TRUE(connection.IsReadOnly());
}

TEST(DBConnectionFile, ConnectToAMissingFileFailsWithTheEngineMessage)
{
    TempDir dir;
    Quenbrook::Configuration config;
    config.SetDataFile(dir.File("missing.fdb"));
    DBConnection connection(&config);
    DebugCapture debug;
    EXPECT_FALSE(connection.Connect());
    EXPECT_FALSE(connection.Connected);
    ASSERT_EQ(debug.Lines().size(), 1u);
    EXPECT_TRUE(debug.Contains("missing.fdb")) << debug.Lines()[0];
    EXPECT_FALSE(FileExists(dir.File("missing.fdb")));
}

TEST(DBConnectionFile, CreateLeavesTheNewFileDetachedAndConnectAttaches)
{
    TempDir dir;
    Quenbrook::Configuration config;
    config.SetDataFile(dir.File("new.fdb"));
    DBConnection connection(&config);
    ASSERT_TRUE(connection.Create());
    EXPECT_TRUE(FileExists(dir.File("new.fdb")));
    EXPECT_FALSE(connection.Connected);
    EXPECT_FALSE(connection.GetDatabase()->Connected());
    ASSERT_TRUE(connection.Connect());
    EXPECT_TRUE(connection.Connected);
    ASSERT_TRUE(connection.Disconnect());
    EXPECT_FALSE(connection.Connected);
    // Dialect 3, seen from outside.
    const auto lines = OutputLines(
        TestSupport::Isql(dir.File("new.fdb"), "SET HEADING OFF;\nSELECT MON$SQL_DIALECT FROM MON$DATABASE;"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "3");
}

TEST(DBConnectionFile, CreateOverAnExistingFileFailsAndLeavesItAlone)
{
    TempDir dir;
    const std::string path = dir.File("existing.fdb");
    TestSupport::WriteFile(path, "not a database, but mine");
    Quenbrook::Configuration config;
    config.SetDataFile(path);
    DBConnection connection(&config);
    DebugCapture debug;
    EXPECT_FALSE(connection.Create());
    EXPECT_FALSE(connection.Connected);
    EXPECT_EQ(debug.Lines().size(), 1u);
    EXPECT_EQ(TestSupport::ReadFile(path), "not a database, but mine");
}

TEST(DBConnectionFile, DisconnectWhenNotAttachedFailsAndKeepsTheFlag)
{
    TestDatabase db(false);
    DBConnection& connection = db.Connection();
    ASSERT_TRUE(connection.Disconnect());
    DebugCapture debug;
    EXPECT_FALSE(connection.Disconnect());
    EXPECT_FALSE(connection.Connected);
    EXPECT_EQ(debug.Lines().size(), 1u);
    // The flag is the caller's to read; a failed Disconnect leaves whatever it held.
    connection.Connected = true;
    EXPECT_FALSE(connection.Disconnect());
    EXPECT_TRUE(connection.Connected);
}

class DBConnectionTransaction : public ::testing::Test {
protected:
    TestDatabase db{false};
    DBConnection& connection = db.Connection();

    void Execute(const std::string& sql)
    {
        IBPP::Statement statement = connection.GetStatement();
        statement->ExecuteImmediate(sql);
    }
};

TEST_F(DBConnectionTransaction, AreNeverNestedAndTheFirstCommitEndsThem)
{
    connection.StartTransaction(true);
    EXPECT_TRUE(connection.IsTransactionActive());
    EXPECT_FALSE(connection.IsReadOnly());
    const IBPP::Transaction writeTransaction = connection.GetTransaction();
    EXPECT_TRUE(writeTransaction->Started());

    // A read-only request while the write transaction runs changes nothing.
    connection.StartTransaction(false);
    EXPECT_FALSE(connection.IsReadOnly());
    EXPECT_EQ(connection.GetTransaction(), writeTransaction);
    connection.StartTransaction(true);
    EXPECT_EQ(connection.GetTransaction(), writeTransaction);

    connection.Commit();
    EXPECT_FALSE(connection.IsTransactionActive());
    EXPECT_TRUE(connection.IsReadOnly());
    EXPECT_FALSE(writeTransaction->Started());
    // After the commit the read transaction is current again, and it was never started.
    EXPECT_NE(connection.GetTransaction(), writeTransaction);
    EXPECT_THROW(connection.Commit(), IBPP::Exception);
}

TEST_F(DBConnectionTransaction, RollbackOrCommitWithNoneStartedRaises)
{
    EXPECT_THROW(connection.Rollback(), IBPP::Exception);
    EXPECT_THROW(connection.Commit(), IBPP::Exception);
    EXPECT_FALSE(connection.IsTransactionActive());
    EXPECT_TRUE(connection.IsReadOnly());
}

TEST_F(DBConnectionTransaction, CommitKeepsAndRollbackDiscardsTheWork)
{
    connection.StartTransaction(true);
    Execute("CREATE TABLE Kept (Id INTEGER);");
    connection.Commit();
    connection.StartTransaction(true);
    Execute("INSERT INTO Kept (Id) VALUES (1);");
    connection.Commit();
    connection.StartTransaction(true);
    Execute("INSERT INTO Kept (Id) VALUES (2);");
    connection.Rollback();
    EXPECT_EQ(db.Query("SELECT COUNT(*) || ' ' || MAX(Id) FROM Kept;"), std::vector<std::string>{"1 1"});
}

TEST_F(DBConnectionTransaction, AReadOnlyTransactionRefusesWrites)
{
    connection.StartTransaction(true);
    Execute("CREATE TABLE Kept (Id INTEGER);");
    connection.Commit();
    connection.StartTransaction(false);
    EXPECT_TRUE(connection.IsReadOnly());
    EXPECT_TRUE(connection.GetTransaction()->Started());
    EXPECT_THROW(Execute("INSERT INTO Kept (Id) VALUES (1);"), IBPP::Exception);
    connection.Rollback();
}

TEST(DBConnectionStart, AFailedStartIsWrittenToTheDebugOutputAndSwallowed)
{
    TestDatabase db(false);
    DBConnection& connection = db.Connection();
    ASSERT_TRUE(connection.Disconnect());
    DebugCapture debug;
    EXPECT_NO_THROW(connection.StartTransaction(true));
    EXPECT_EQ(debug.Lines().size(), 1u);
    EXPECT_FALSE(connection.IsTransactionActive());
    EXPECT_TRUE(connection.IsReadOnly());
}
