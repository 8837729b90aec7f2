#include <gtest/gtest.h>

#include "tests/ibpp/IbppFixture.h"

namespace {

IBPP::Database Open(const std::string& path)
{
    return IBPP::DatabaseFactory("", path, TestSupport::LocalUser(), TestSupport::LocalPassword());
}

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const IBPP::Exception& error) {
        return error.ErrorMessage();
    }
    return "";
}

TEST(DatabaseTest, CreateLeavesADetachedDialectThreeFile)
{
    TestSupport::TempDir dir;
    auto database = Open(dir.File("new.fdb"));
    EXPECT_EQ(dir.File("new.fdb"), database->DatabaseName());
    database->Create(3);
    EXPECT_FALSE(database->Connected());
    EXPECT_TRUE(TestSupport::FileExists(dir.File("new.fdb")));
    database->Connect();
    EXPECT_TRUE(database->Connected());
    auto transaction = IBPP::TransactionFactory(database, IBPP::amRead);
    transaction->Start();
    auto dialect = IBPP::StatementFactory(database, transaction, "SELECT MON$SQL_DIALECT FROM MON$DATABASE");
    dialect->Execute();
    ASSERT_TRUE(dialect->Fetch());
    int32_t value = 0;
    dialect->Get(1, value);
    EXPECT_EQ(3, value);
    transaction->Commit();
    database->Disconnect();
    EXPECT_FALSE(database->Connected());
    const std::string shown = TestSupport::Isql(dir.File("new.fdb"), "SHOW SQL DIALECT;");
    EXPECT_NE(std::string::npos, shown.find("database SQL dialect is: 3")) << shown;
}

TEST(DatabaseTest, EngineErrorsNameTheProblem)
{
    TestSupport::TempDir dir;
    const std::string missing = MessageOf([&] { Open(dir.File("missing.fdb"))->Connect(); });
    EXPECT_NE(std::string::npos, missing.find("I/O error")) << missing;
    EXPECT_NE(std::string::npos, missing.find("missing.fdb")) << missing;
    EXPECT_FALSE(TestSupport::FileExists(dir.File("missing.fdb")));

    Open(dir.File("twice.fdb"))->Create(3);
    const std::string twice = MessageOf([&] { Open(dir.File("twice.fdb"))->Create(3); });
    EXPECT_NE(std::string::npos, twice.find("twice.fdb")) << twice;
    EXPECT_NE(std::string::npos, twice.find("exists")) << twice;
    Open(dir.File("twice.fdb"))->Connect();  // the first file is still sound

    TestSupport::WriteFile(dir.File("text.fdb"), "This is a text file, not a database.\n");
    const std::string text = MessageOf([&] { Open(dir.File("text.fdb"))->Connect(); });
    EXPECT_NE(std::string::npos, text.find("text.fdb")) << text;
    EXPECT_EQ("This is a text file, not a database.\n", TestSupport::ReadFile(dir.File("text.fdb")));

    std::string junk(16384, '\0');
    for (size_t at = 0; at < junk.size(); ++at)
        junk[at] = static_cast<char>((at * 7919) % 251);
    TestSupport::WriteFile(dir.File("junk.fdb"), junk);
    const std::string random = MessageOf([&] { Open(dir.File("junk.fdb"))->Connect(); });
    EXPECT_NE(std::string::npos, random.find("junk.fdb")) << random;
    EXPECT_TRUE(junk == TestSupport::ReadFile(dir.File("junk.fdb")));

    TestSupport::WriteFile(dir.File("empty.fdb"), "");
    EXPECT_NE("", MessageOf([&] { Open(dir.File("empty.fdb"))->Connect(); }));
    EXPECT_EQ("", TestSupport::ReadFile(dir.File("empty.fdb")));
}

TEST(DatabaseTest, ALoginTooLongIsRefusedWithoutShowingIt)
{
    TestSupport::TempDir dir;
    const std::string secret = "Secret" + std::string(300, 'x');
    const std::string database = MessageOf(
        [&] { IBPP::DatabaseFactory("", dir.File("a.fdb"), TestSupport::LocalUser(), secret)->Connect(); });
    EXPECT_EQ(database, "The connection's password is too long (at most 255 bytes)");
    const std::string service = MessageOf(
        [&] { IBPP::ServiceFactory("", TestSupport::LocalUser(), secret)->Connect(); });
    EXPECT_EQ(service, "The service manager's password is too long (at most 255 bytes)");
}

TEST(DatabaseTest, DisconnectWhenDetachedIsAnError)
{
    TestSupport::TempDir dir;
    auto database = Open(dir.File("d.fdb"));
    EXPECT_THROW(database->Disconnect(), IBPP::Exception);
    database->Create(3);
    EXPECT_THROW(database->Disconnect(), IBPP::Exception);
}

class TransactionTest : public IbppFixture {};

TEST_F(TransactionTest, ReadOnlyTransactionRefusesWritesAndWriteCommits)
{
    Run("CREATE TABLE T (ID INTEGER)");
    auto reader = IBPP::TransactionFactory(database, IBPP::amRead, IBPP::ilReadCommitted, IBPP::lrNoWait);
    EXPECT_FALSE(reader->Started());
    reader->Start();
    EXPECT_TRUE(reader->Started());
    auto refused = IBPP::StatementFactory(database, reader);
    const std::string message = [&] {
        try {
            refused->ExecuteImmediate("INSERT INTO T VALUES (1)");
        } catch (const IBPP::Exception& error) {
            return std::string(error.ErrorMessage());
        }
        return std::string();
    }();
    EXPECT_NE(std::string::npos, message.find("read-only")) << message;
    reader->Commit();
    EXPECT_FALSE(reader->Started());

    auto writer = StartWrite();
    IBPP::StatementFactory(database, writer)->ExecuteImmediate("INSERT INTO T VALUES (1)");
    writer->Commit();
    auto rolledBack = StartWrite();
    IBPP::StatementFactory(database, rolledBack)->ExecuteImmediate("INSERT INTO T VALUES (2)");
    rolledBack->Rollback();
    {
        // Dropped while active: rolled back, never committed.
        auto dropped = StartWrite();
        IBPP::StatementFactory(database, dropped)->ExecuteImmediate("INSERT INTO T VALUES (3)");
    }
    database->Disconnect();
    const std::string stored = TestSupport::Isql(path, "SELECT LIST(ID) FROM T;");
    EXPECT_NE(std::string::npos, stored.find("1")) << stored;
    EXPECT_EQ(std::string::npos, stored.find("2")) << stored;
    EXPECT_EQ(std::string::npos, stored.find("3")) << stored;
}

TEST_F(TransactionTest, EndingATransactionThatNeverStartedIsAnError)
{
    auto transaction = IBPP::TransactionFactory(database);
    EXPECT_THROW(transaction->Commit(), IBPP::Exception);
    EXPECT_THROW(transaction->Rollback(), IBPP::Exception);
}

TEST_F(TransactionTest, NoWaitTransactionsReportALockConflict)
{
    Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V INTEGER)");
    Run("INSERT INTO T VALUES (1, 0)");
    auto first = StartWrite();
    auto second = StartWrite();
    IBPP::StatementFactory(database, first)->ExecuteImmediate("UPDATE T SET V = 1 WHERE ID = 1");
    try {
        IBPP::StatementFactory(database, second)->ExecuteImmediate("UPDATE T SET V = 2 WHERE ID = 1");
        FAIL() << "no lock conflict";
    } catch (const IBPP::Exception& error) {
        EXPECT_NE(std::string::npos, std::string(error.ErrorMessage()).find("concurrent update"))
            << error.ErrorMessage();
    }
    first->Commit();
    second->Rollback();
}

TEST_F(TransactionTest, DisconnectEndsWhatIsStillOpenAndHandlesOutliveIt)
{
    Run("CREATE TABLE T (ID INTEGER)");
    Run("INSERT INTO T VALUES (1)");
    auto transaction = StartWrite();
    auto select = IBPP::StatementFactory(database, transaction, "SELECT ID FROM T");
    select->Execute();
    auto blob = IBPP::BlobFactory(database, transaction);
    blob->Create();
    database->Disconnect();
    EXPECT_FALSE(transaction->Started());
    EXPECT_THROW(select->Fetch(), IBPP::Exception);
    // Attaching again gives the old handles a working attachment.
    database->Connect();
    transaction->Start();
    select->Prepare("SELECT COUNT(*) FROM T");
    select->Execute();
    ASSERT_TRUE(select->Fetch());
    int32_t count = 0;
    select->Get(1, count);
    EXPECT_EQ(1, count);
    transaction->Commit();
}

}  // namespace
