#include <gtest/gtest.h>

#include <stdexcept>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/datafiles/TestSupport.h"

using DBFrameWork::StringList;
using Lines = std::vector<std::string>;
using TestSupport::DebugCapture;

TEST(SolutionTables, AFreshObjectHoldsItsDefinitionAndInitialValues)
{
    DBFrameWork::Customer customer(nullptr);
    EXPECT_EQ(customer.GetTableName(), "Customer");
    EXPECT_EQ(customer.GetColumns(), StringList({"CustomerID", "Name", "Address", "City", "State", "Zip"}));
    EXPECT_EQ(customer.GetKeys(), StringList({"CustomerID"}));
    EXPECT_EQ(customer.GetValues(), StringList({"0", "", "", "", "", ""}));
    DBFrameWork::Problem problem(nullptr);
    EXPECT_EQ(problem.GetKeys(), StringList({"ProblemID"}));
    EXPECT_EQ(problem.GetValues(), StringList({"0", "", "", "", "0", "0", "", "", "", "0"}));
    DBFrameWork::SystemInfo systemInfo(nullptr);
    EXPECT_EQ(systemInfo.GetTypes(), StringList({"INTEGER", "VARCHAR(120)", "BLOB SUB_TYPE TEXT"}));
    EXPECT_EQ(systemInfo.GetValues(), StringList({"0", ""}));
}

// The schema as the engine keeps it in its system tables, read with isql.
TEST(SolutionTables, CreateLaysOutTheSchema)
{
    TestDatabase db;
    EXPECT_EQ(db.Query("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 "
                       "ORDER BY 1;"),
              Lines({"CUSTOMER", "PROBLEM", "SYSTEMINFO"}));
    // name, field type (8 INTEGER, 37 VARCHAR, 35 TIMESTAMP, 261 BLOB), sub type, byte length,
    // character set, NOT NULL
    EXPECT_EQ(db.Query("SELECT TRIM(rf.RDB$RELATION_NAME) || '.' || TRIM(rf.RDB$FIELD_NAME) || ' ' || "
                       "f.RDB$FIELD_TYPE || ' ' || COALESCE(f.RDB$FIELD_SUB_TYPE, 0) || ' ' || "
                       "f.RDB$FIELD_LENGTH || ' ' || COALESCE(f.RDB$CHARACTER_SET_ID, 0) || ' ' || "
                       "COALESCE(rf.RDB$NULL_FLAG, 0) "
                       "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                       "WHERE rf.RDB$SYSTEM_FLAG = 0 ORDER BY rf.RDB$RELATION_NAME, rf.RDB$FIELD_POSITION;"),
              Lines({"CUSTOMER.CUSTOMERID 8 0 4 0 1", "CUSTOMER.NAME 37 0 120 0 0", "CUSTOMER.ADDRESS 37 0 240 0 0",
                     "CUSTOMER.CITY 37 0 120 0 0", "CUSTOMER.STATE 37 0 120 0 0", "CUSTOMER.ZIP 37 0 9 0 0",
                     "PROBLEM.PROBLEMID 8 0 4 0 1", "PROBLEM.TECHNICIAN 37 0 120 0 0", "PROBLEM.ASSIGNED 35 0 8 0 0",
                     "PROBLEM.COMPLETED 35 0 8 0 0", "PROBLEM.BILLABLEHOURS 8 0 4 0 0", "PROBLEM.ACTUALHOURS 8 0 4 0 0",
                     "PROBLEM.DESCRIPTION 261 1 8 0 0", "PROBLEM.RESOLUTION 261 1 8 0 0", "PROBLEM.COMMENT 261 1 8 0 0",
                     "PROBLEM.CUSTOMERID 8 0 4 0 0", "SYSTEMINFO.PROBLEMID 8 0 4 0 1",
                     "SYSTEMINFO.OPERATINGSYSTEM 37 0 120 0 0", "SYSTEMINFO.DESCRIPTION 261 1 8 0 0"}));
    EXPECT_EQ(db.Query("SELECT TRIM(c.RDB$CONSTRAINT_NAME) || ' ' || TRIM(c.RDB$CONSTRAINT_TYPE) || ' ' || "
                       "TRIM(c.RDB$RELATION_NAME) || '(' || TRIM(s.RDB$FIELD_NAME) || ')' || "
                       "COALESCE(' -> ' || TRIM(r.RDB$CONST_NAME_UQ), '') "
                       "FROM RDB$RELATION_CONSTRAINTS c "
                       "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
                       "LEFT JOIN RDB$REF_CONSTRAINTS r ON r.RDB$CONSTRAINT_NAME = c.RDB$CONSTRAINT_NAME "
                       "WHERE c.RDB$CONSTRAINT_TYPE IN ('PRIMARY KEY', 'FOREIGN KEY') ORDER BY 1;"),
              Lines({"FK$PROBLEM_CUSTOMER FOREIGN KEY PROBLEM(CUSTOMERID) -> PK$CUSTOMER",
                     "FK$SYSTEMINFO_PROBLEM FOREIGN KEY SYSTEMINFO(PROBLEMID) -> PK$PROBLEM",
                     "PK$CUSTOMER PRIMARY KEY CUSTOMER(CUSTOMERID)", "PK$PROBLEM PRIMARY KEY PROBLEM(PROBLEMID)",
                     "PK$SYSTEMINFO PRIMARY KEY SYSTEMINFO(PROBLEMID)"}));
    EXPECT_EQ(db.Query("SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS "
                       "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1;"),
              Lines({"CUSTOMERIDVALUE", "PROBLEMIDVALUE"}));
}

TEST(SolutionTables, CreateOnAnExistingTableRunsNoFurtherStatement)
{
    TestDatabase db;
    DBFrameWork::Customer customer(&db.Connection());
    DebugCapture debug;
    EXPECT_FALSE(customer.Create());
    // Only the CREATE TABLE failed; the generator statement would have failed as well.
    EXPECT_EQ(debug.Lines().size(), 1u);
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    DBFrameWork::Problem problem(&db.Connection());
    EXPECT_FALSE(problem.Create());
    EXPECT_EQ(debug.Lines().size(), 2u);
}

TEST(SolutionTables, ProblemBeforeCustomerKeepsTheTableButNotTheGenerator)
{
    TestDatabase db(false);
    DBFrameWork::Problem problem(&db.Connection());
    DebugCapture debug;
    EXPECT_FALSE(problem.Create());
    ASSERT_EQ(debug.Lines().size(), 1u);
    EXPECT_TRUE(debug.Contains("CUSTOMER")) << debug.Lines()[0];
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    EXPECT_EQ(db.Query("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0;"),
              Lines({"PROBLEM"}));
    EXPECT_EQ(db.Query("SELECT TRIM(RDB$CONSTRAINT_NAME) FROM RDB$RELATION_CONSTRAINTS "
                       "WHERE RDB$CONSTRAINT_TYPE IN ('PRIMARY KEY', 'FOREIGN KEY');"),
              Lines({"PK$PROBLEM"}));
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM RDB$GENERATORS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0;"), Lines({"0"}));
}

class CustomerSearch : public ::testing::Test {
protected:
    TestDatabase db;

    void Store(const StringList& values)
    {
        DBFrameWork::Customer customer(&db.Connection());
        customer.SetValues(values);
        ASSERT_TRUE(customer.Insert());
    }

    // The key of the customer found, "0" when none.
    std::string Find(const StringList& values)
    {
        DBFrameWork::Customer customer(&db.Connection());
        EXPECT_TRUE(customer.SelectByAll(values));
        EXPECT_FALSE(db.Connection().IsTransactionActive());
        return customer.GetValues().at(0);
    }
};

TEST_F(CustomerSearch, FindsTheRowWhoseFieldsBeginWithTheValues)
{
    Store({"1", "Smith", "1 Elm Street", "Springfield", "OR", "97477"});
    Store({"2", "Smithers", "9 Oak Road", "Shelbyville", "OR", "97478"});
    DBFrameWork::Customer customer(&db.Connection());
    ASSERT_TRUE(customer.SelectByAll({"Smi", "1 Elm", "", "", "97"}));
    EXPECT_EQ(customer.GetValues(), StringList({"1", "Smith", "1 Elm Street", "Springfield", "OR", "97477"}));
    EXPECT_EQ(Find({"Smith", "9", "S", "O", "97478", "ignored sixth"}), "2");
    // No case folding, and typed wildcards stay wildcards.
    EXPECT_EQ(Find({"smi", "", "", "", ""}), "0");
    EXPECT_EQ(Find({"S_ith", "%Oak", "", "", ""}), "2");
}

TEST_F(CustomerSearch, NoMatchGivesAFreshCustomersValues)
{
    Store({"1", "Smith", "1 Elm Street", "Springfield", "OR", "97477"});
    DBFrameWork::Customer customer(&db.Connection());
    customer.SetValues({"1", "Smith", "1 Elm Street", "Springfield", "OR", "97477"});
    ASSERT_TRUE(customer.SelectByAll({"Jones", "", "", "", ""}));
    EXPECT_EQ(customer.GetValues(), StringList({"0", "", "", "", "", ""}));
}

TEST_F(CustomerSearch, TooFewValuesRaiseBeforeAnyDatabaseWork)
{
    DBFrameWork::Customer customer(&db.Connection());
    customer.SetValues({"4", "a", "b", "c", "d", "e"});
    ASSERT_TRUE(db.Connection().Disconnect());
    DebugCapture debug;
    try {
        customer.SelectByAll({"Smith", "", "", ""});
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Select parameters missing in Customer::SelectByAll");
    }
    EXPECT_TRUE(debug.Lines().empty());
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    EXPECT_EQ(customer.GetValues(), StringList({"4", "a", "b", "c", "d", "e"}));
}

TEST_F(CustomerSearch, AnEmptyStoredFieldMatchesOnlyTheEmptyValue)
{
    Store({"1", "Smith", "", "Springfield", "", ""});
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Customer WHERE Address IS NULL AND Zip IS NULL;"), Lines({"1"}));
    EXPECT_EQ(Find({"Smi", "", "", "", ""}), "1");
    EXPECT_EQ(Find({"Smith", "", "Springfield", "", ""}), "1");
    EXPECT_EQ(Find({"Smith", "", "", "", "9"}), "0");
    EXPECT_EQ(Find({"Smith", "1", "", "", ""}), "0");
    Store({"2", "", "", "", "", ""});
    EXPECT_EQ(Find({"", "", "", "", ""}), "1");
    EXPECT_EQ(Find({"", "", "", "OR", ""}), "0");
}

TEST_F(CustomerSearch, ValuesThatFillTheirColumnsAreFoundAsTheyStand)
{
    const std::string name(120, 'N');
    const std::string address(240, 'A');
    Store({"1", name, address, std::string(120, 'C'), std::string(120, 'S'), "123456789"});
    Store({"2", name.substr(0, 119), "", "", "", "55555555"});
    EXPECT_EQ(Find({name, address, std::string(120, 'C'), std::string(120, 'S'), "123456789"}), "1");
    EXPECT_EQ(Find({name, "", "", "", ""}), "1");
    EXPECT_EQ(Find({"", "", "", "", "123456789"}), "1");
    // One byte short still searches as a prefix.
    EXPECT_EQ(Find({name.substr(0, 119), "", "", "", "12345678"}), "1");
    EXPECT_EQ(Find({name.substr(0, 119) + "X", "", "", "", ""}), "0");
    EXPECT_EQ(Find({"", "", "", "", "12345678X"}), "0");
}

TEST_F(CustomerSearch, AFullWidthValueMatchesOnlyItself)
{
    Store({"1", "Kim", "", "", "", "12345678"});
    EXPECT_EQ(Find({"Kim", "", "", "", "123456789"}), "0");
    Store({"2", "Kim", "", "", "", "123456789"});
    EXPECT_EQ(Find({"Kim", "", "", "", "123456789"}), "2");
}
