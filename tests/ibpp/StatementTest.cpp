#include <gtest/gtest.h>

#include "tests/ibpp/IbppFixture.h"

namespace {

class StatementTest : public IbppFixture {};

TEST_F(StatementTest, IntegerTextAndTimestampRoundTrip)
{
    Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), WHEN_AT TIMESTAMP)");
    auto transaction = StartWrite();
    auto insert = IBPP::StatementFactory(database, transaction, "INSERT INTO T VALUES (?, ?, ?)");
    insert->Set(1, 7);
    insert->Set(2, std::string("Anna"));
    insert->Set(3, IBPP::Timestamp(2004, 12, 25, 9, 5, 0));
    insert->Execute();
    EXPECT_EQ(1, insert->AffectedRows());
    transaction->Commit();

    auto reader = StartWrite();
    auto select = IBPP::StatementFactory(database, reader, "SELECT ID, NAME, WHEN_AT FROM T");
    select->Execute();
    ASSERT_TRUE(select->Fetch());
    int32_t id = 0;
    std::string name;
    IBPP::Timestamp when;
    EXPECT_FALSE(select->Get(1, id));
    EXPECT_FALSE(select->Get(2, name));
    EXPECT_FALSE(select->Get(3, when));
    EXPECT_EQ(7, id);
    EXPECT_EQ("Anna", name);
    EXPECT_EQ(IBPP::Timestamp(2004, 12, 25, 9, 5, 0), when);
    EXPECT_FALSE(select->Fetch());
    reader->Commit();
}

}  // namespace
