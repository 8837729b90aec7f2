#include <gtest/gtest.h>

#include "tests/ibpp/IbppFixture.h"

namespace {

class StatementTest : public IbppFixture {
protected:
    void SetUp() override
    {
        IbppFixture::SetUp();
        Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), CODE CHAR(5), "
            "WHEN_AT TIMESTAMP, DAY_ON DATE, SMALL SMALLINT, BIG BIGINT, NUMBER INTEGER)");
    }

    IBPP::Statement Select(const IBPP::Transaction& transaction, const std::string& sql)
    {
        auto statement = IBPP::StatementFactory(database, transaction, sql);
        statement->Execute();
        return statement;
    }
};

TEST_F(StatementTest, ValuesRoundTripAndReachTheFile)
{
    auto transaction = StartWrite();
    auto insert = IBPP::StatementFactory(database, transaction,
                                         "INSERT INTO T (ID, NAME, CODE, WHEN_AT, DAY_ON, SMALL, BIG, NUMBER) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    EXPECT_EQ(8, insert->Parameters());
    EXPECT_EQ(0, insert->Columns());
    insert->Set(1, 7);
    insert->Set(2, std::string("Anna"));
    insert->Set(3, "ab");
    insert->Set(4, IBPP::Timestamp(2004, 12, 25, 9, 5, 7));
    insert->Set(5, IBPP::Timestamp(1858, 11, 17));
    insert->Set(6, -12);
    insert->Set(7, std::numeric_limits<int32_t>::min());
    insert->Set(8, std::numeric_limits<int32_t>::max());
    insert->Execute();
    EXPECT_EQ(1, insert->AffectedRows());
    transaction->Commit();

    auto reader = StartWrite();
    auto select = Select(reader, "SELECT ID, NAME, CODE, WHEN_AT, DAY_ON, SMALL, BIG, NUMBER FROM T");
    EXPECT_EQ(8, select->Columns());
    ASSERT_TRUE(select->Fetch());
    int32_t id = 0, small = 0, big = 0, number = 0;
    int64_t wide = 0;
    std::string name, code;
    IBPP::Timestamp when, day;
    EXPECT_FALSE(select->Get(1, id));
    EXPECT_FALSE(select->Get(2, name));
    EXPECT_FALSE(select->Get(3, code));
    EXPECT_FALSE(select->Get(4, when));
    EXPECT_FALSE(select->Get(5, day));
    EXPECT_FALSE(select->Get(6, small));
    EXPECT_FALSE(select->Get(7, big));
    EXPECT_FALSE(select->Get(7, wide));
    EXPECT_FALSE(select->Get(8, number));
    EXPECT_EQ(7, id);
    EXPECT_EQ("Anna", name);
    EXPECT_EQ("ab   ", code);  // CHAR keeps the blanks it was stored with
    EXPECT_EQ(IBPP::Timestamp(2004, 12, 25, 9, 5, 7), when);
    EXPECT_EQ(IBPP::Timestamp(1858, 11, 17), day);
    EXPECT_EQ(-12, small);
    EXPECT_EQ(std::numeric_limits<int32_t>::min(), big);
    EXPECT_EQ(std::numeric_limits<int32_t>::min(), wide);
    EXPECT_EQ(std::numeric_limits<int32_t>::max(), number);
    EXPECT_FALSE(select->Fetch());
    reader->Commit();
    database->Disconnect();

    const std::string stored = TestSupport::Isql(path, "SELECT NAME, WHEN_AT, DAY_ON, NUMBER FROM T;");
    EXPECT_NE(std::string::npos, stored.find("Anna")) << stored;
    EXPECT_NE(std::string::npos, stored.find("2004-12-25 09:05:07")) << stored;
    EXPECT_NE(std::string::npos, stored.find("1858-11-17")) << stored;
    EXPECT_NE(std::string::npos, stored.find("2147483647")) << stored;
}

TEST_F(StatementTest, TextIsBytesOfAnyValue)
{
    std::string bytes;
    for (int value = 1; value < 256; value += 17)
        bytes += static_cast<char>(value);
    bytes += std::string(1, '\0') + "end";
    auto transaction = StartWrite();
    auto insert = IBPP::StatementFactory(database, transaction, "INSERT INTO T (ID, NAME) VALUES (1, ?)");
    insert->Set(1, bytes);
    insert->Execute();
    auto select = Select(transaction, "SELECT NAME, OCTET_LENGTH(NAME) FROM T");
    ASSERT_TRUE(select->Fetch());
    std::string read;
    int32_t length = 0;
    select->Get(1, read);
    select->Get(2, length);
    EXPECT_EQ(bytes, read);
    EXPECT_EQ(static_cast<int32_t>(bytes.size()), length);
    transaction->Commit();
}

TEST_F(StatementTest, TextLongerThanTheColumnIsRefusedNotCut)
{
    auto transaction = StartWrite();
    auto insert = IBPP::StatementFactory(database, transaction, "INSERT INTO T (ID, NAME, CODE) VALUES (1, ?, ?)");
    insert->Set(1, std::string(21, 'x'));
    insert->Set(2, "ok");
    try {
        insert->Execute();
        FAIL() << "a text of 21 bytes went into VARCHAR(20)";
    } catch (const IBPP::Exception& error) {
        EXPECT_NE(std::string::npos, std::string(error.ErrorMessage()).find("truncation")) << error.ErrorMessage();
    }
    insert->Set(1, std::string(20, 'x'));
    insert->Set(2, "123456");
    EXPECT_THROW(insert->Execute(), IBPP::Exception);
    insert->Set(2, "12345");
    insert->Execute();
    transaction->Commit();
}

TEST_F(StatementTest, NullsAreStoredEvenWhereTheEngineDescribedNotNull)
{
    Run("CREATE TABLE N (ID INTEGER NOT NULL, VAL INTEGER, TXT VARCHAR(10), WHEN_AT TIMESTAMP)");
    auto transaction = StartWrite();
    // The key parameter is described NOT NULL; the comparison's is too.
    auto insert = IBPP::StatementFactory(database, transaction, "INSERT INTO N VALUES (?, ?, ?, ?)");
    insert->Set(1, 1);
    insert->Set(2, 99);
    insert->Set(3, "old");
    insert->Set(4, IBPP::Timestamp(2000, 1, 1));
    insert->Execute();
    insert->Set(1, 2);
    insert->SetNull(2);
    insert->SetNull(3);
    insert->SetNull(4);
    insert->Execute();
    // The old buffer value 2 must not be stored in place of the NULL.
    insert->SetNull(1);
    EXPECT_THROW(insert->Execute(), IBPP::Exception);

    auto update = IBPP::StatementFactory(database, transaction, "UPDATE N SET VAL = ? WHERE ID = ?");
    update->Set(1, 5);
    update->Set(2, 1);
    update->Execute();
    EXPECT_EQ(1, update->AffectedRows());
    update->SetNull(1);
    update->Set(2, 1);
    update->Execute();

    auto select = Select(transaction, "SELECT ID, VAL, TXT, WHEN_AT FROM N ORDER BY ID");
    int32_t id = 0, value = 0;
    std::string text;
    IBPP::Timestamp when;
    ASSERT_TRUE(select->Fetch());
    EXPECT_TRUE(select->IsNull(2));
    EXPECT_TRUE(select->Get(2, value));
    EXPECT_FALSE(select->Get(3, text));
    ASSERT_TRUE(select->Fetch());
    EXPECT_FALSE(select->Get(1, id));
    EXPECT_EQ(2, id);
    EXPECT_TRUE(select->Get(2, value));
    EXPECT_TRUE(select->Get(3, text));
    EXPECT_TRUE(select->Get(4, when));
    EXPECT_FALSE(select->Fetch());

    // The key comparison's parameter is described NOT NULL too: a NULL
    // there must match nothing, not the key of the previous run.
    auto byKey = IBPP::StatementFactory(database, transaction, "SELECT VAL FROM N WHERE ID = ?");
    byKey->Set(1, 1);
    byKey->Execute();
    EXPECT_TRUE(byKey->Fetch());
    byKey->SetNull(1);
    byKey->Execute();
    EXPECT_FALSE(byKey->Fetch());
    transaction->Commit();
}

TEST_F(StatementTest, FetchWithoutRowReadsZeroForNotNullIntegersAndNullElse)
{
    Run("INSERT INTO T (ID, NAME, WHEN_AT, NUMBER) VALUES (5, 'five', '2001-02-03', 55)");
    auto transaction = StartWrite();
    auto select = IBPP::StatementFactory(database, transaction, "SELECT ID, NAME, WHEN_AT, NUMBER FROM T WHERE ID = ?");
    select->Set(1, 5);
    select->Execute();
    ASSERT_TRUE(select->Fetch());
    select->Close();
    // The engine leaves the previous row in its buffers when nothing is found.
    select->Set(1, 6);
    select->Execute();
    EXPECT_FALSE(select->Fetch());
    int32_t id = -1, number = -1;
    std::string name;
    IBPP::Timestamp when;
    EXPECT_FALSE(select->Get(1, id));
    EXPECT_EQ(0, id);
    EXPECT_TRUE(select->Get(2, name));
    EXPECT_TRUE(select->Get(3, when));
    EXPECT_TRUE(select->Get(4, number));
    EXPECT_FALSE(select->Fetch());
    select->Close();
    select->Close();
    transaction->Commit();
}

TEST_F(StatementTest, SixtyFourBitResultsFitTheThirtyTwoBitGetWithARangeCheck)
{
    Run("CREATE GENERATOR G");
    Run("INSERT INTO T (ID) VALUES (1)");
    auto transaction = StartWrite();
    auto generator = Select(transaction, "SELECT GEN_ID(G, 1) FROM RDB$DATABASE");
    ASSERT_TRUE(generator->Fetch());
    int32_t value = 0;
    EXPECT_FALSE(generator->Get(1, value));
    EXPECT_EQ(1, value);
    generator->Close();
    auto count = Select(transaction, "SELECT COUNT(*), SUM(ID) FROM T");
    ASSERT_TRUE(count->Fetch());
    EXPECT_FALSE(count->Get(1, value));
    EXPECT_EQ(1, value);
    EXPECT_FALSE(count->Get(2, value));
    EXPECT_EQ(1, value);

    auto big = Select(transaction, "SELECT GEN_ID(G, 3000000000) FROM RDB$DATABASE");
    ASSERT_TRUE(big->Fetch());
    value = 17;
    EXPECT_THROW(big->Get(1, value), IBPP::Exception);
    EXPECT_EQ(17, value);
    int64_t wide = 0;
    big->Get(1, wide);
    EXPECT_EQ(3000000001LL, wide);
    transaction->Commit();
}

TEST_F(StatementTest, AffectedRowsCountsWhatAnUpdateOrDeleteChanged)
{
    Run("INSERT INTO T (ID, NUMBER) VALUES (1, 1)");
    Run("INSERT INTO T (ID, NUMBER) VALUES (2, 1)");
    Run("INSERT INTO T (ID, NUMBER) VALUES (3, 2)");
    auto transaction = StartWrite();
    auto update = IBPP::StatementFactory(database, transaction, "UPDATE T SET NAME = 'x' WHERE NUMBER = ?");
    update->Set(1, 1);
    update->Execute();
    EXPECT_EQ(2, update->AffectedRows());
    update->Set(1, 9);
    update->Execute();
    EXPECT_EQ(0, update->AffectedRows());
    auto remove = IBPP::StatementFactory(database, transaction, "DELETE FROM T");
    remove->Execute();
    EXPECT_EQ(3, remove->AffectedRows());
    transaction->Rollback();
}

TEST_F(StatementTest, MisuseIsReportedNotIgnored)
{
    auto transaction = StartWrite();
    auto insert = IBPP::StatementFactory(database, transaction, "INSERT INTO T (ID, NAME) VALUES (?, ?)");
    insert->Set(1, 1);
    EXPECT_THROW(insert->Execute(), IBPP::Exception);  // parameter 2 never set
    EXPECT_THROW(insert->Set(3, 1), IBPP::Exception);
    EXPECT_THROW(insert->Set(0, 1), IBPP::Exception);
    EXPECT_THROW(insert->Fetch(), IBPP::Exception);

    auto select = Select(transaction, "SELECT ID, NAME FROM T");
    std::string text;
    int32_t number = 0;
    EXPECT_THROW(select->Get(1, text), IBPP::Exception);
    EXPECT_THROW(select->Get(2, number), IBPP::Exception);
    EXPECT_THROW(select->Get(3, number), IBPP::Exception);
    transaction->Commit();
    // The commit closed the cursor; closing again does no harm.
    select->Close();
    EXPECT_THROW(select->Fetch(), IBPP::Exception);

    auto unstarted = IBPP::TransactionFactory(database);
    EXPECT_THROW(IBPP::StatementFactory(database, unstarted, "SELECT 1 FROM RDB$DATABASE"), IBPP::Exception);
}

TEST_F(StatementTest, EngineErrorsCarryTheEnginesMessage)
{
    auto transaction = StartWrite();
    auto statement = IBPP::StatementFactory(database, transaction);
    try {
        statement->Prepare("SELEC ID FROM T");
        FAIL();
    } catch (const IBPP::Exception& error) {
        const std::string message = error.ErrorMessage();
        EXPECT_NE(std::string::npos, message.find("Dynamic SQL Error")) << message;
        EXPECT_NE(std::string::npos, message.find("Token unknown")) << message;
        EXPECT_EQ(-104, error.SqlCode());
        EXPECT_NE(0, error.EngineCode());
    }
    try {
        statement->ExecuteImmediate("INSERT INTO T (ID) VALUES (1)");
        statement->ExecuteImmediate("INSERT INTO T (ID) VALUES (1)");
        FAIL();
    } catch (const IBPP::Exception& error) {
        EXPECT_NE(std::string::npos, std::string(error.ErrorMessage()).find("PRIMARY or UNIQUE KEY"))
            << error.ErrorMessage();
        EXPECT_EQ(-803, error.SqlCode());
    }
    // The statement stays usable after an error.
    statement->Prepare("SELECT COUNT(*) FROM T");
    statement->Execute();
    ASSERT_TRUE(statement->Fetch());
    int32_t count = 0;
    statement->Get(1, count);
    EXPECT_EQ(1, count);
    transaction->Rollback();
}

}  // namespace
