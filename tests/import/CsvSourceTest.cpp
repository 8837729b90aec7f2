#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_CsvSource.h"
#include "tests/import/ImportFiles.h"
#include "tests/support/datafiles/TestSupport.h"

using namespace DBFrameWork;

namespace {

std::vector<CsvRecord> ReadAll(CsvSource& source)
{
    std::vector<CsvRecord> records;
    CsvRecord record;
    while (source.Next(record))
        records.push_back(record);
    return records;
}

}  // namespace

TEST(CsvSource, SpreadsheetFileInWindows1252WithSemicolonsAndQuotedBreaks)
{
    TestSupport::TempDir dir;
    // As a spreadsheet program saves "CSV (semicolon)" on a German Windows.
    WriteBytes(dir.File("s.csv"),
               "Name;Street;City;Notes\r\n"
               "M\xFCller;Hauptstra\xDF"
               "e 1;K\xF6ln;\"costs 20 \x80\r\nsecond line; still\"\r\n"
               "\r\n"
               "Smith;\"1 \"\"Main\"\" St\";Springfield;\r\n"
               ";;;\r\n"
               "Short;only two\r\n");
    CsvSource source;
    ASSERT_TRUE(source.Open(dir.File("s.csv"))) << source.Error().Reason;
    EXPECT_EQ(';', source.Delimiter());
    EXPECT_EQ(CsvEncoding::Windows1252, source.Encoding());
    EXPECT_EQ((std::vector<std::string>{"Name", "Street", "City", "Notes"}), source.Header());
    const std::vector<CsvRecord> records = ReadAll(source);
    ASSERT_FALSE(source.Failed()) << source.Error().Reason;
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(2u, records[0].Line);
    EXPECT_EQ((std::vector<std::string>{"M\xC3\xBCller",
                                        "Hauptstra\xC3\x9F"
                                        "e 1",
                                        "K\xC3\xB6ln", "costs 20 \xE2\x82\xAC\r\nsecond line; still"}),
              records[0].Fields);
    // After the quoted break and a blank line.
    EXPECT_EQ(5u, records[1].Line);
    EXPECT_EQ("1 \"Main\" St", records[1].Fields[1]);
    EXPECT_EQ("", records[1].Fields[3]);
    // The line of delimiters alone is skipped; the short record is kept as it is.
    EXPECT_EQ(7u, records[2].Line);
    EXPECT_EQ((std::vector<std::string>{"Short", "only two"}), records[2].Fields);

    // A second pass gives the same records.
    ASSERT_TRUE(source.Restart());
    EXPECT_EQ(3u, ReadAll(source).size());
}

TEST(CsvSource, Utf8WithByteOrderMarkAndTabs)
{
    TestSupport::TempDir dir;
    WriteBytes(dir.File("t.csv"),
               "\xEF\xBB\xBFName\tCity, State\tNote\n"
               "M\xC3\xBCller\tK\xC3\xB6ln, NRW\t \"quoted, with comma\" \n"
               "Lee\tBoston, MA\t\"a\nb\"\n"
               "Kim\tAustin, TX\t\n");
    CsvSource source;
    ASSERT_TRUE(source.Open(dir.File("t.csv"))) << source.Error().Reason;
    EXPECT_EQ('\t', source.Delimiter());
    EXPECT_EQ(CsvEncoding::Utf8WithByteOrderMark, source.Encoding());
    EXPECT_EQ("Name", source.Header().at(0));
    const std::vector<CsvRecord> records = ReadAll(source);
    ASSERT_FALSE(source.Failed()) << source.Error().Reason;
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ("K\xC3\xB6ln, NRW", records[0].Fields[1]);
    EXPECT_EQ(5u, records[2].Line);
    EXPECT_EQ("a\nb", records[1].Fields[2]);
}

TEST(CsvSource, CarriageReturnsAloneEndLinesToo)
{
    TestSupport::TempDir dir;
    WriteBytes(dir.File("mac.csv"), "Name,Note\rAnn,a\r\rBo,\"x\ry\"\rCy,z");
    CsvSource source;
    ASSERT_TRUE(source.Open(dir.File("mac.csv")));
    const std::vector<CsvRecord> records = ReadAll(source);
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(2u, records[0].Line);
    EXPECT_EQ(4u, records[1].Line);
    EXPECT_EQ("x\ry", records[1].Fields[1]);
    EXPECT_EQ(6u, records[2].Line);
    EXPECT_EQ("z", records[2].Fields[1]);
}

TEST(CsvSource, CommaFileWithSemicolonsInTextKeepsTheComma)
{
    TestSupport::TempDir dir;
    WriteBytes(dir.File("c.csv"), "Name,Notes,City\r\nA,\"x;y;z\",B\r\nC,one;two,D\r\n");
    CsvSource source;
    ASSERT_TRUE(source.Open(dir.File("c.csv")));
    EXPECT_EQ(',', source.Delimiter());
    EXPECT_EQ(CsvEncoding::Utf8, source.Encoding());
    const std::vector<CsvRecord> records = ReadAll(source);
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("one;two", records[1].Fields[1]);
}

TEST(CsvSource, ErrorsNameTheLine)
{
    TestSupport::TempDir dir;
    TestSupport::DebugCapture debug;
    WriteBytes(dir.File("open.csv"), "Name,Notes\r\nA,b\r\nB,\"never closed\r\nC,d\r\n");
    CsvSource source;
    ASSERT_TRUE(source.Open(dir.File("open.csv")));
    EXPECT_EQ(1u, ReadAll(source).size());
    ASSERT_TRUE(source.Failed());
    EXPECT_EQ(3u, source.Error().Line);
    EXPECT_NE(std::string::npos, source.Error().Reason.find("Line 3")) << source.Error().Reason;
    EXPECT_NE(std::string::npos, source.Error().Reason.find("never closed")) << source.Error().Reason;
    EXPECT_TRUE(debug.Contains("never closed"));

    // A stray quote would take the rest of the file into one field if read loosely.
    WriteBytes(dir.File("stray.csv"), "Name,Notes\nA,b\nB,\"x\"y,z\nC,d\n");
    ASSERT_TRUE(source.Open(dir.File("stray.csv")));
    ReadAll(source);
    ASSERT_TRUE(source.Failed());
    EXPECT_EQ(3u, source.Error().Line);

    EXPECT_FALSE(source.Open(dir.File("missing.csv")));
    EXPECT_NE(std::string::npos, source.Error().Reason.find("cannot be opened"));
    WriteBytes(dir.File("empty.csv"), "");
    EXPECT_FALSE(source.Open(dir.File("empty.csv")));
    EXPECT_NE(std::string::npos, source.Error().Reason.find("no header"));

    // Marked as UTF-8, but the third line is Windows-1252.
    WriteBytes(dir.File("bom.csv"), "\xEF\xBB\xBFName\nA\nM\xFCller\n");
    EXPECT_FALSE(source.Open(dir.File("bom.csv")));
    EXPECT_EQ(3u, source.Error().Line);
}

TEST(CsvSource, Windows1252FoundOnTheLastLineOfALongFile)
{
    TestSupport::TempDir dir;
    std::string text = "Name;City\r\n";
    for (int row = 0; row < 20000; ++row)
        text += "Customer " + std::to_string(row) + ";Town\r\n";
    text += "Gar\xE7on;Town\r\n";
    WriteBytes(dir.File("long.csv"), text);
    CsvSource source;
    ASSERT_TRUE(source.Open(dir.File("long.csv")));
    EXPECT_EQ(CsvEncoding::Windows1252, source.Encoding());
    const std::vector<CsvRecord> records = ReadAll(source);
    ASSERT_EQ(20001u, records.size());
    EXPECT_EQ(20002u, records.back().Line);
    EXPECT_EQ("Gar\xC3\xA7on", records.back().Fields[0]);
}

TEST(CsvSource, UnguardedTextTakesOffTheExportsFormulaGuard)
{
    EXPECT_EQ("=SUM(A1)", UnguardedCsvText("'=SUM(A1)"));
    EXPECT_EQ("-5 dents", UnguardedCsvText("'-5 dents"));
    EXPECT_EQ("@home", UnguardedCsvText("'@home"));
    EXPECT_EQ("\xEF\xBC\x9D"
              "1",
              UnguardedCsvText("'\xEF\xBC\x9D"
                               "1"));
    EXPECT_EQ("'quoted'", UnguardedCsvText("'quoted'"));
    EXPECT_EQ("'", UnguardedCsvText("'"));
    EXPECT_EQ("plain", UnguardedCsvText("plain"));
}
