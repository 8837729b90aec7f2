#include <gtest/gtest.h>

#include <stdexcept>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_DBObjectBase.h"
#include "dbframework/DBFrameWork_Platform.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/datafiles/TestSupport.h"

using DBFrameWork::StringList;
using TestSupport::DebugCapture;

namespace {

// A table defined by the test, for shapes the three real tables do not have.
class TestTable : public DBFrameWork::DBObjectBase {
public:
    TestTable(DBFrameWork::DBConnection* connection, StringList columns, StringList types)
        : DBObjectBase(connection), columns_(std::move(columns)), types_(std::move(types))
    {
        DefineColumns();
    }
    void DefineColumns() override
    {
        SetTableName("Gadget");
        SetColumns(columns_);
        SetTypes(types_);
        SetKeys({columns_.at(0)});
        SetValues(StringList(columns_.size(), ""));
    }

private:
    StringList columns_;
    StringList types_;
};

const StringList StoredProblem = {"5", "Ann", "3/1/2005", "", "2", "3", "Printer jams", "", "Call back", "9"};

}  // namespace

class TableOperations : public ::testing::Test {
protected:
    TestDatabase db;

    // The customer that the stored problems refer to.
    void SetUp() override
    {
        DBFrameWork::Customer customer(&db.Connection());
        customer.SetValues({"9", "Nine", "", "", "", ""});
        ASSERT_TRUE(customer.Insert());
    }

    void StoreProblem(const StringList& values)
    {
        DBFrameWork::Problem problem(&db.Connection());
        problem.SetValues(values);
        ASSERT_TRUE(problem.Insert());
    }
};

TEST_F(TableOperations, SelectReadsTheRowByItsKey)
{
    StoreProblem(StoredProblem);
    StoreProblem({"6", "Bob", "", "", "", "", "", "", "", ""});
    DBFrameWork::Problem problem(&db.Connection());
    // A second key value on a one-key table is ignored.
    ASSERT_TRUE(problem.Select({"5", "6"}));
    EXPECT_EQ(problem.GetValues(), StoredProblem);
    EXPECT_FALSE(db.Connection().IsTransactionActive());
}

TEST_F(TableOperations, SelectOfAMissingKeyGivesZeroAndEmptyTexts)
{
    StoreProblem(StoredProblem);
    DBFrameWork::Problem problem(&db.Connection());
    problem.SetValues(StoredProblem);
    ASSERT_TRUE(problem.Select({"77"}));
    EXPECT_EQ(problem.GetValues(), StringList({"0", "", "", "", "", "", "", "", "", ""}));
}

TEST_F(TableOperations, SelectWithoutKeyValuesRaisesBeforeAnyDatabaseWork)
{
    DBFrameWork::Problem problem(&db.Connection());
    problem.SetValues(StoredProblem);
    ASSERT_TRUE(db.Connection().Disconnect());
    DebugCapture debug;
    try {
        problem.Select({});
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Select parameters missing in DBObjectBase::Select");
    }
    EXPECT_TRUE(debug.Lines().empty());
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    EXPECT_EQ(problem.GetValues(), StoredProblem);
}

TEST_F(TableOperations, InsertOfAnExistingKeyFailsWithTheEngineMessage)
{
    StoreProblem(StoredProblem);
    DBFrameWork::Problem problem(&db.Connection());
    problem.SetValues({"5", "Someone else", "", "", "", "", "", "", "", ""});
    DebugCapture debug;
    EXPECT_FALSE(problem.Insert());
    ASSERT_EQ(debug.Lines().size(), 1u);
    EXPECT_TRUE(debug.Contains("violation of PRIMARY or UNIQUE KEY constraint")) << debug.Lines()[0];
    EXPECT_TRUE(debug.Contains("PK$PROBLEM")) << debug.Lines()[0];
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    EXPECT_EQ(db.Query("SELECT Technician FROM Problem;"), std::vector<std::string>{"Ann"});
}

TEST_F(TableOperations, UpdateChangesTheRowWithTheKeyAndCountsIt)
{
    StoreProblem(StoredProblem);
    StoreProblem({"6", "Bob", "", "", "", "", "", "", "", ""});
    DBFrameWork::Problem problem(&db.Connection());
    problem.SetValues({"5", "Cy", "", "4/2/2005", "", "8", "", "Fixed", "", "9"});
    ASSERT_TRUE(problem.Update());
    EXPECT_EQ(problem.GetRowsChanged(), 1);
    EXPECT_EQ(
        db.Query("SELECT ProblemID || ' ' || Technician || ' ' || COALESCE(Assigned, '-') || ' ' || "
                 "COALESCE(BillableHours, '-') || ' ' || COALESCE(ActualHours, '-') FROM Problem ORDER BY ProblemID;"),
        std::vector<std::string>({"5 Cy - - 8", "6 Bob - - -"}));
}

TEST_F(TableOperations, UpdateOfAMissingKeySucceedsAndChangesNoRow)
{
    StoreProblem(StoredProblem);
    DBFrameWork::Problem problem(&db.Connection());
    problem.SetValues({"5", "Cy", "", "", "", "", "", "", "", ""});
    ASSERT_TRUE(problem.Update());
    ASSERT_EQ(problem.GetRowsChanged(), 1);
    problem.SetValues({"8", "Dee", "", "", "", "", "", "", "", ""});
    EXPECT_TRUE(problem.Update());
    EXPECT_EQ(problem.GetRowsChanged(), 0);
    EXPECT_EQ(db.Query("SELECT ProblemID || ' ' || Technician FROM Problem;"), std::vector<std::string>{"5 Cy"});
}

TEST_F(TableOperations, UpdateOfAKeyOnlyTableIsRejectedByTheEngine)
{
    TestTable table(&db.Connection(), {"Id"}, {"INTEGER"});
    ASSERT_TRUE(table.Create());
    table.SetValues({"1"});
    ASSERT_TRUE(table.Insert());
    DebugCapture debug;
    EXPECT_FALSE(table.Update());
    EXPECT_EQ(debug.Lines().size(), 1u);
    EXPECT_FALSE(db.Connection().IsTransactionActive());
}

TEST_F(TableOperations, AnOperationInsideAReadOnlyTransactionJoinsItAndLeavesItToItsOwner)
{
    db.Connection().StartTransaction(false);
    DBFrameWork::Problem problem(&db.Connection());
    problem.SetValues(StoredProblem);
    DebugCapture debug;
    EXPECT_FALSE(problem.Insert());
    EXPECT_EQ(debug.Lines().size(), 1u);
    EXPECT_TRUE(db.Connection().IsTransactionActive());
    EXPECT_TRUE(db.Connection().IsReadOnly());
    db.Connection().Commit();
    EXPECT_FALSE(db.Connection().IsTransactionActive());
}

TEST_F(TableOperations, OperationsJoiningAWriteTransactionStoreTogetherOrNotAtAll)
{
    DBFrameWork::DBConnection& connection = db.Connection();
    DBFrameWork::Problem problem(&connection);
    DBFrameWork::SystemInfo info(&connection);

    // Rolled back by the owner: neither row stays, though both operations succeeded.
    connection.StartTransaction(true);
    problem.SetValues(StoredProblem);
    EXPECT_TRUE(problem.Insert());
    info.SetValues({"5", "Debian", "report"});
    EXPECT_TRUE(info.Insert());
    EXPECT_TRUE(connection.IsTransactionActive());
    connection.Rollback();
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Problem;"), std::vector<std::string>{"0"});
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM SystemInfo;"), std::vector<std::string>{"0"});

    // A failed operation leaves the transaction to its owner; what the others
    // stored in it is committed by the owner alone.
    connection.StartTransaction(true);
    EXPECT_TRUE(problem.Insert());
    DebugCapture debug;
    EXPECT_FALSE(problem.Insert());  // the same key again
    EXPECT_EQ(debug.Lines().size(), 1u);
    EXPECT_TRUE(connection.IsTransactionActive());
    EXPECT_EQ(problem.GetGenerator("ProblemIDValue", 1), 1);
    connection.Commit();
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Problem;"), std::vector<std::string>{"1"});
}

TEST_F(TableOperations, GetGeneratorCountsFromOneOnANewGenerator)
{
    DBFrameWork::Problem problem(&db.Connection());
    EXPECT_EQ(problem.GetGenerator("ProblemIDValue", 1), 1);
    EXPECT_EQ(problem.GetGenerator("ProblemIDValue", 1), 2);
    EXPECT_EQ(problem.GetGenerator("ProblemIDValue", 0), 2);
    EXPECT_EQ(problem.GetGenerator("CustomerIDValue", 5), 5);
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    EXPECT_EQ(db.Query("SELECT GEN_ID(ProblemIDValue, 0) FROM RDB$DATABASE;"), std::vector<std::string>{"2"});
}

TEST_F(TableOperations, GetGeneratorWithoutANameTouchesNoDatabase)
{
    // Without a connection any database work would fail.
    DBFrameWork::Problem problem(nullptr);
    DebugCapture debug;
    EXPECT_EQ(problem.GetGenerator("", 1), 0);
    EXPECT_TRUE(debug.Lines().empty());
}

TEST_F(TableOperations, GetGeneratorOfAMissingGeneratorGivesZero)
{
    DBFrameWork::Problem problem(&db.Connection());
    DebugCapture debug;
    EXPECT_EQ(problem.GetGenerator("NoSuchValue", 1), 0);
    ASSERT_EQ(debug.Lines().size(), 1u);
    EXPECT_TRUE(debug.Contains("NOSUCHVALUE")) << debug.Lines()[0];
    EXPECT_FALSE(db.Connection().IsTransactionActive());
}

TEST_F(TableOperations, CreateOnAnExistingTableRunsNoFurtherStatement)
{
    TestTable table(&db.Connection(), {"Id", "Label"}, {"INTEGER", "VARCHAR(10)"});
    ASSERT_TRUE(table.Create());
    DebugCapture debug;
    EXPECT_FALSE(table.Create());
    // Only the CREATE TABLE failed; a primary key statement would have failed too.
    EXPECT_EQ(debug.Lines().size(), 1u);
    EXPECT_FALSE(db.Connection().IsTransactionActive());
}

TEST_F(TableOperations, CreateWithMismatchedListsDoesNothing)
{
    TestTable table(&db.Connection(), {"Id", "Label"}, {"INTEGER"});
    DebugCapture debug;
    EXPECT_FALSE(table.Create());
    EXPECT_TRUE(debug.Lines().empty());
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'GADGET';"),
              std::vector<std::string>{"0"});
}

TEST_F(TableOperations, DeleteShowsItsMessageAndChangesNothing)
{
    StoreProblem(StoredProblem);
    std::vector<std::string> shown;
    DBFrameWork::SetMessageHandler([&](const std::string& text) { shown.push_back(text); });
    DBFrameWork::Problem problem(&db.Connection());
    problem.SetValues(StoredProblem);
    EXPECT_FALSE(problem.Delete());
    DBFrameWork::SetMessageHandler({});
    EXPECT_EQ(shown, std::vector<std::string>{"DBObjectBase::Delete not implemented yet."});
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Problem;"), std::vector<std::string>{"1"});
}

TEST(TableObject, AccessorsCopyAndAnEmptyNameIsIgnored)
{
    DBFrameWork::Problem problem(nullptr);
    problem.SetTableName("");
    EXPECT_EQ(problem.GetTableName(), "Problem");
    StringList values = problem.GetValues();
    values[1] = "changed";
    EXPECT_EQ(problem.GetValues().at(1), "");
    problem.SetValues({"1", "two"});
    EXPECT_EQ(problem.GetValues(), StringList({"1", "two"}));
    EXPECT_TRUE(problem.SetValue("Technician", "Ann"));
    EXPECT_EQ(problem.GetValues(), StringList({"1", "Ann"}));
    EXPECT_FALSE(problem.SetValue("NoSuchColumn", "x"));
    EXPECT_EQ(problem.GetConnection(), nullptr);
}
