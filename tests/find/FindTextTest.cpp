#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_FindText.h"
#include "settings/Quenbrook_Configuration.h"
#include "tests/support/datafiles/TestSupport.h"

using DBFrameWork::CleanQuery;
using DBFrameWork::FoldAccents;
using DBFrameWork::VisibleText;

TEST(FindText, VisibleTextKeepsOnlyWhatABrowserShows)
{
    EXPECT_EQ(VisibleText("<html><head><title>Report</title><style>td { color: red }</style>"
                          "<script type=\"text/javascript\">var model = 'hidden';</script></head>"
                          "<body><!-- a comment --><table><tr><td>Model</td><td>Dell&nbsp;Optiplex &amp; "
                          "GX1</td></tr></table><SCRIPT>x<1</SCRIPT>caf&#233; &#xE9;t&eacute;</body></html>"),
              "Report Model Dell Optiplex & GX1 caf\xC3\xA9 \xC3\xA9t\xC3\xA9");
    // Plain text and broken markup lose nothing that is text.
    EXPECT_EQ(VisibleText("a < b\r\n\tc &unknown; d"), "a < b c &unknown; d");
    EXPECT_EQ(VisibleText("<script>never closed"), "");
}

TEST(FindText, VisibleTextReadsTagsThatNeverCloseInOnePassAndStopsWhenAsked)
{
    // 4 MB of tag openings without a single ">": all of it is text. (Looking for
    // the ">" again after every "<" took hours over this.)
    std::string opened;
    for (int i = 0; i < 2 * 1024 * 1024; ++i)
        opened += "<a";
    EXPECT_EQ(VisibleText(opened), opened);
    // The same with one ">" at the very end: one tag from the first "<" on.
    EXPECT_EQ(VisibleText(opened + ">after"), "after");

    std::atomic<bool> stop{true};
    EXPECT_LT(VisibleText(opened, &stop).size(), opened.size());
    stop = false;
    EXPECT_EQ(VisibleText("<b>kept</b>", &stop), "kept");
}

TEST(FindText, CleanQueryAnswersBadInputPlainly)
{
    EXPECT_EQ(CleanQuery(""), "");
    EXPECT_EQ(CleanQuery("  !@#$%^&*()-+\"' "), "");
    EXPECT_EQ(CleanQuery("\"paper jam\" -fax"), "\"paper jam\" -fax");
    // Unbalanced quotes: the words stay, the quotes go.
    EXPECT_EQ(CleanQuery("\"paper jam \"tray\""), " paper jam  tray ");
    EXPECT_EQ(CleanQuery("\xE2\x80\x9Cpaper jam"), " paper jam");
    EXPECT_EQ(CleanQuery("\xE2\x80\x9Cpaper jam\xE2\x80\x9D tray"), "\"paper jam\" tray");
    // Long queries are cut to 1000 bytes, never inside a character.
    const std::string longQuery = std::string(999, 'a') + "\xC3\xA9" + "bbb";
    EXPECT_EQ(CleanQuery(longQuery), std::string(999, 'a'));
    EXPECT_EQ(CleanQuery(std::string(5000, 'x')).size(), 1000u);
}

TEST(FindText, PhoneRunsAreWholeWordsOutsideQuotesWithSevenDigitsOrMore)
{
    const std::string query = "call +1 (555) 123-4567 not \"555 123 4567\" -555.987.6543 - 2004 12 +44 20 7946 0958";
    std::vector<std::string> texts;
    for (const DBFrameWork::PhoneRun& run : DBFrameWork::FindPhoneRuns(query))
        texts.push_back(query.substr(run.Begin, run.End - run.Begin) + "|" + run.Digits +
                        (run.International ? "|+" : ""));
    EXPECT_EQ(texts,
              (std::vector<std::string>{"+1 (555) 123-4567|15551234567|+", "555.987.6543|5559876543",
                                        "+44 20 7946 0958|442079460958|+"}));
    // Fewer than seven digits together are no number.
    EXPECT_TRUE(DBFrameWork::FindPhoneRuns("2004 12 flat 555-12 -").empty());
}

TEST(FindText, FoldAccentsLeavesBaseLetters)
{
    EXPECT_EQ(FoldAccents("R\xC3\xA9sum\xC3\xA9 \xC3\x86gir Stra\xC3\x9F"
                          "e \xC5\x81\xC3\xB3"
                          "d\xC5\xBA"),
              "Resume AEgir Strasse Lodz");
    // Other scripts, symbols and broken bytes pass unchanged.
    EXPECT_EQ(FoldAccents("\xD0\x96 \xC3\x97 \xFF\xC3"), "\xD0\x96 \xC3\x97 \xFF\xC3");
}

TEST(FindSettings, SearchLanguageDefaultsToEnglishAndSurvivesASave)
{
    TestSupport::TempDir dir;
    // A file written before the key existed.
    TestSupport::WriteFile(dir.File("old.ini"), "[General]\nCompany Name=Shop\n");
    Quenbrook::Configuration old;
    ASSERT_TRUE(old.Load(dir.File("old.ini")));
    EXPECT_EQ(old.GetSearchLanguage(), "english");
    old.SetSearchLanguage("german");
    ASSERT_TRUE(old.Save());
    Quenbrook::Configuration again;
    ASSERT_TRUE(again.Load(dir.File("old.ini")));
    EXPECT_EQ(again.GetSearchLanguage(), "german");
    EXPECT_EQ(again.GetCompanyName(), "Shop");
    again.SetSearchLanguage("");
    EXPECT_EQ(again.GetSearchLanguage(), "english");
}
