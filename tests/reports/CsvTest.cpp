// The CSV writer: RFC 4180 quoting, CR LF lines, the formula guard; and a
// file of awkward cells read back by Python's csv module.
#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_Csv.h"
#include "tests/support/datafiles/TestSupport.h"

using DBFrameWork::CsvCell;
using DBFrameWork::CsvField;
using DBFrameWork::CsvLine;

TEST(Csv, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(CsvField("plain text"), "plain text");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(CsvField("lf\nonly"), "\"lf\nonly\"");
    EXPECT_EQ(CsvLine({"a", "b,c", int64_t{3}}), "a,\"b,c\",3\r\n");
    EXPECT_EQ(CsvLine({}), "\r\n");
}

TEST(Csv, FormulasAreWrittenAsTextButNumbersStayNumbers)
{
    EXPECT_EQ(CsvField("=SUM(A1:A9)"), "'=SUM(A1:A9)");
    EXPECT_EQ(CsvField("+1 555 0100"), "'+1 555 0100");
    EXPECT_EQ(CsvField("-2"), "'-2");  // a text cell, even when it looks like a number
    EXPECT_EQ(CsvField("@cmd"), "'@cmd");
    EXPECT_EQ(CsvField("=HYPERLINK(\"x\",\"y\")"), "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"");
    EXPECT_EQ(CsvField("a=b"), "a=b");
    EXPECT_EQ(CsvField("\t=1+2"), "'\t=1+2");
    EXPECT_EQ(CsvField("\r=1+2"), "\"'\r=1+2\"");
    EXPECT_EQ(CsvField("\xEF\xBC\x9D"
                       "1+2"),
              "'\xEF\xBC\x9D"
              "1+2");  // full-width =
    EXPECT_EQ(CsvField("\xEF\xBC\x8B"
                       "1"),
              "'\xEF\xBC\x8B"
              "1");  // full-width +
    EXPECT_EQ(CsvField("\xEF\xBC\x8D"
                       "1"),
              "'\xEF\xBC\x8D"
              "1");  // full-width -
    EXPECT_EQ(CsvField("\xEF\xBC\xA0"
                       "cmd"),
              "'\xEF\xBC\xA0"
              "cmd");  // full-width @
    EXPECT_EQ(CsvField("\xEF\xBC\xA1"), "\xEF\xBC\xA1");  // full-width A
    EXPECT_EQ(CsvField(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(CsvField(int64_t{-7}), "-7");
    EXPECT_EQ(CsvField(CsvCell::Decimal(-12.345, 1)), "-12.3");
    EXPECT_EQ(CsvField(CsvCell::Decimal(66.666, 1)), "66.7");
    // A "number" cell that is no number gets no pass.
    CsvCell forged{std::string("-1+cmd")};
    forged.number = true;
    EXPECT_EQ(CsvField(forged), "'-1+cmd");
}

TEST(Csv, PythonReadsBackEveryCell)
{
    const std::vector<std::vector<CsvCell>> rows = {
        {"Group", "Tickets", "Note"},
        {"Zoë, Inc.", int64_t{12}, "He said \"fine\"\r\nthen left"},
        {"=1+2", int64_t{-3}, ""},
        {" spaced ", CsvCell::Decimal(50, 1), "日本語"},
    };
    std::string content = DBFrameWork::CsvByteOrderMark;
    for (const auto& row : rows)
        content += CsvLine(row);
    TestSupport::TempDir dir;
    TestSupport::WriteFile(dir.File("table.csv"), content);
    // Python prints each cell as JSON, one row a line.
    std::string output;
    ASSERT_EQ(TestSupport::RunCommand("python3 -c 'import csv,json,sys\n"
                                      "with open(sys.argv[1], newline=\"\", encoding=\"utf-8-sig\") as f:\n"
                                      "    for row in csv.reader(f): print(json.dumps(row, ensure_ascii=False))' " +
                                          dir.File("table.csv"),
                                      &output),
              0);
    EXPECT_EQ(output,
              "[\"Group\", \"Tickets\", \"Note\"]\n"
              "[\"Zoë, Inc.\", \"12\", \"He said \\\"fine\\\"\\r\\nthen left\"]\n"
              "[\"'=1+2\", \"-3\", \"\"]\n"
              "[\" spaced \", \"50.0\", \"日本語\"]\n");
}
