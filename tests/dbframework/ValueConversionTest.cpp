#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_DBObjectBase.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/datafiles/TestSupport.h"

using DBFrameWork::StringList;
using DBFrameWork::TimestampToText;
using DBFrameWork::ToInt;
using DBFrameWork::ToTimestamp;
using IBPP::Timestamp;

TEST(ToTimestamp, ReadsMonthDayYearWithAnOptionalTimeAfterColons)
{
    EXPECT_EQ(ToTimestamp("12/25/2004"), Timestamp(2004, 12, 25));
    EXPECT_EQ(ToTimestamp("07/04/2004"), Timestamp(2004, 7, 4));
    EXPECT_EQ(ToTimestamp("7/4/2004:9:05"), Timestamp(2004, 7, 4, 9, 5, 0));
    EXPECT_EQ(ToTimestamp("7/4/2004:9:05:33"), Timestamp(2004, 7, 4, 9, 5, 33));
    // One field after the year is the minute.
    EXPECT_EQ(ToTimestamp("7/4/2004:9"), Timestamp(2004, 7, 4, 0, 9, 0));
    // Fields beyond the sixth are dropped.
    EXPECT_EQ(ToTimestamp("1/2/2003:4:5:6:7"), Timestamp(2003, 1, 2, 4, 5, 6));
}

TEST(ToTimestamp, ASpaceIsNoSeparatorSoTheReadTimeIsLost)
{
    EXPECT_EQ(ToTimestamp("7/4/2004 9;5;0"), Timestamp(2004, 7, 4));
    EXPECT_EQ(ToTimestamp(" 7/ 4/2004 "), Timestamp(2004, 7, 4));
}

TEST(ToTimestamp, FailsWithoutMonthDayAndYear)
{
    for (const char* text : {"2004", "25.12.2004", "", "12/25", "abc"}) {
        try {
            ToTimestamp(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const IBPP::Exception&) {
            ADD_FAILURE() << "library error for " << text;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "Failed to convert from string to Timesamp.") << text;
        }
    }
}

TEST(ToTimestamp, ValuesTheLibraryRejectsRaiseItsError)
{
    EXPECT_THROW(ToTimestamp("13/1/2004"), IBPP::Exception);
    EXPECT_THROW(ToTimestamp("2/30/2004"), IBPP::Exception);
    EXPECT_THROW(ToTimestamp("12//2004"), IBPP::Exception);
    EXPECT_THROW(ToTimestamp("7/4/2004:24:00"), IBPP::Exception);
}

TEST(TimestampToText, WritesTheDateAndATimeWithSemicolonsWhenNotMidnight)
{
    EXPECT_EQ(TimestampToText(Timestamp(2004, 12, 25)), "12/25/2004");
    EXPECT_EQ(TimestampToText(Timestamp(2004, 7, 4, 9, 5, 0)), "7/4/2004 9;5;0");
    EXPECT_EQ(TimestampToText(Timestamp(1999, 1, 1, 0, 0, 1)), "1/1/1999 0;0;1");
    EXPECT_EQ(TimestampToText(Timestamp(33, 3, 9)), "3/9/33");
}

TEST(ToInt, ReadsTheLeadingIntegerLikeAnInputStream)
{
    EXPECT_EQ(ToInt("42abc"), 42);
    EXPECT_EQ(ToInt("abc"), 0);
    EXPECT_EQ(ToInt(""), 0);
    EXPECT_EQ(ToInt("  \t-17"), -17);
    EXPECT_EQ(ToInt("+8"), 8);
    EXPECT_EQ(ToInt("007"), 7);
    EXPECT_EQ(ToInt("12 34"), 12);
    EXPECT_EQ(ToInt("- 5"), 0);
    EXPECT_EQ(ToInt("+"), 0);
    EXPECT_EQ(ToInt("1,000"), 1);
    EXPECT_EQ(ToInt("3.9"), 3);
    EXPECT_EQ(ToInt("99999999999"), INT_MAX);
    EXPECT_EQ(ToInt("-99999999999"), INT_MIN);
}

// Values through the real engine: written by Insert, checked by isql, read by Select.
class StoredValues : public ::testing::Test {
protected:
    TestDatabase db;

    // Customer 0, which a CustomerID text without digits refers to, and
    // problem 100, which the system information rows belong to.
    void SetUp() override
    {
        DBFrameWork::Customer customer(&db.Connection());
        ASSERT_TRUE(customer.Insert());
        DBFrameWork::Problem problem(&db.Connection());
        problem.SetValues({"100", "", "", "", "", "", "", "", "", "0"});
        ASSERT_TRUE(problem.Insert());
    }

    StringList StoreAndReadProblem(const StringList& values)
    {
        DBFrameWork::Problem problem(&db.Connection());
        problem.SetValues(values);
        EXPECT_TRUE(problem.Insert());
        DBFrameWork::Problem reader(&db.Connection());
        EXPECT_TRUE(reader.Select({values[0]}));
        return reader.GetValues();
    }

    std::string StoreAndReadDescription(const std::string& text)
    {
        DBFrameWork::SystemInfo info(&db.Connection());
        info.SetValues({"100", "", text});
        EXPECT_TRUE(info.Insert());
        DBFrameWork::SystemInfo reader(&db.Connection());
        EXPECT_TRUE(reader.Select({"100"}));
        return reader.GetValues().at(2);
    }

    // Size, largest segment and segment count of the stored Description blob.
    std::vector<int> DescriptionSegments()
    {
        DBFrameWork::DBConnection& connection = db.Connection();
        connection.StartTransaction(true);
        IBPP::Statement statement = connection.GetStatement();
        statement->Prepare("SELECT Description FROM SystemInfo WHERE ProblemID = 100;");
        statement->Execute();
        EXPECT_TRUE(statement->Fetch());
        IBPP::Blob blob = connection.GetBlob();
        statement->Get(1, blob);
        blob->Open();
        int size = 0, largest = 0, segments = 0;
        blob->Info(&size, &largest, &segments);
        blob->Close();
        statement->Close();
        connection.Commit();
        return {size, largest, segments};
    }
};

TEST_F(StoredValues, TheEmptyTextIsNullInEveryTypeBothWays)
{
    const StringList empty = {"1", "", "", "", "", "", "", "", "", ""};
    EXPECT_EQ(StoreAndReadProblem(empty), empty);
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Problem WHERE Technician IS NULL AND Assigned IS NULL AND "
                       "Completed IS NULL AND BillableHours IS NULL AND ActualHours IS NULL AND "
                       "Description IS NULL AND Resolution IS NULL AND Comment IS NULL AND CustomerID IS NULL;"),
              std::vector<std::string>{"1"});
}

TEST_F(StoredValues, EveryTypeIsStoredAndReadInItsTextForm)
{
    const StringList written = {"7",
                                "O'Brien; DROP TABLE Problem",
                                "12/25/2004",
                                "7/4/2004:9:05",
                                "12abc",
                                "-3",
                                "line one\nline two",
                                "Resolved",
                                "x",
                                "abc"};
    const StringList read = {"7",
                             "O'Brien; DROP TABLE Problem",
                             "12/25/2004",
                             "7/4/2004 9;5;0",
                             "12",
                             "-3",
                             "line one\nline two",
                             "Resolved",
                             "x",
                             "0"};
    EXPECT_EQ(StoreAndReadProblem(written), read);
    EXPECT_EQ(db.Query("SELECT Technician || '|' || Assigned || '|' || Completed || '|' || BillableHours || '|' || "
                       "ActualHours || '|' || CustomerID FROM Problem WHERE ProblemID = 7;"),
              std::vector<std::string>{
                  "O'Brien; DROP TABLE Problem|2004-12-25 00:00:00.0000|2004-07-04 09:05:00.0000|12|-3|0"});
}

TEST_F(StoredValues, BlobsAroundTheSegmentLimitComeBackWhole)
{
    struct Case {
        size_t size;
        int segments;
    };
    for (const Case& c : {Case{1, 1}, Case{65535, 1}, Case{65536, 2}, Case{200000, 4}}) {
        std::string text(c.size, 'a');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char>('A' + (i * 7 + i / 65535) % 26);
        EXPECT_EQ(StoreAndReadDescription(text), text) << c.size;
        const std::vector<int> info = DescriptionSegments();
        EXPECT_EQ(info[0], static_cast<int>(c.size));
        EXPECT_EQ(info[1], static_cast<int>(std::min<size_t>(c.size, 65535)));
        EXPECT_EQ(info[2], c.segments) << c.size;
        EXPECT_EQ(db.Query("SELECT OCTET_LENGTH(Description) FROM SystemInfo;"),
                  std::vector<std::string>{std::to_string(c.size)});
        db.Query("DELETE FROM SystemInfo; COMMIT;");
    }
}

TEST_F(StoredValues, ZeroBytesComeBackWithTheRestOfTheirPiece)
{
    // Zero bytes in each of three pieces, one at a piece's last byte and one at
    // the next piece's first: what a report saved by an older import may hold.
    std::string text(140000, 'b');
    for (const size_t at : {size_t(10), size_t(65534), size_t(65535), size_t(139999)})
        text[at] = '\0';
    const std::string read = StoreAndReadDescription(text);
    EXPECT_EQ(read.size(), text.size());
    EXPECT_TRUE(read == text);
}

TEST_F(StoredValues, AnUnconvertibleDateFailsTheInsertAndStoresNothing)
{
    DBFrameWork::Problem problem(&db.Connection());
    problem.SetValues({"1", "", "25.12.2004", "", "", "", "", "", "", ""});
    TestSupport::DebugCapture debug;
    EXPECT_FALSE(problem.Insert());
    EXPECT_EQ(debug.Lines(), std::vector<std::string>{"Uncaught Exception in DBObjectBase::Insert"});
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Problem WHERE ProblemID = 1;"), std::vector<std::string>{"0"});
}
