// A ticket's files in Find Solutions: found by the words of their names and
// by the text of text files (the first megabyte), never by a photo's bytes,
// the file named in the hit's snippet; files added, renamed and removed on
// another attachment are followed, and the rebuild reads them batch by batch.
#include <gtest/gtest.h>

#include <xapian.h>

#include <map>
#include <memory>

#include "dbframework/DBFrameWork_FileStore.h"
#include "dbframework/DBFrameWork_FileText.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_Ticket.h"
#include "tests/find/FindFixture.h"

using DBFrameWork::FindIndex;
using DBFrameWork::TicketFileRecord;
using DBFrameWork::TicketRecord;
using Hits = std::vector<int32_t>;

namespace {

TicketFileRecord NewFile(const std::string& name, const std::string& mediaType, const std::string& bytes)
{
    TicketFileRecord file;
    file.Name = name;
    file.MediaType = mediaType;
    file.Content = std::make_shared<const std::string>(bytes);
    return file;
}

// Stores the ticket, then its files through the file store.
void AddWithFiles(FindDataFile& file, TicketRecord ticket, std::vector<TicketFileRecord> files,
                  DBFrameWork::DBConnection* connection = nullptr)
{
    file.Add(ticket, connection);
    ticket.Files = std::move(files);
    ASSERT_TRUE(DBFrameWork::SaveFiles(connection ? *connection : file.Connection(), ticket, "test", false));
}

TicketRecord Make(int32_t id, const std::string& description)
{
    TicketRecord ticket = SampleTicket(id);
    ticket.Problem.Description = description;
    return ticket;
}

std::unique_ptr<FindIndex> OpenIndex(FindDataFile& file)
{
    auto index = std::make_unique<FindIndex>(file.Connection(), file.IndexFolder(), "english");
    index->Open();
    EXPECT_TRUE(WaitForIndex(*index));
    return index;
}

// Lines of a log, about `bytes` long, of words found nowhere else.
std::string Filler(size_t bytes)
{
    std::string text;
    const std::string line = "2024-05-01 10:00:00 INFO service heartbeat ok\n";
    while (text.size() + line.size() <= bytes)
        text += line;
    return text + std::string(bytes - text.size(), ' ');
}

std::string SnippetOf(FindIndex& index, const std::string& query)
{
    const auto hits = index.Search(query);
    return hits.empty() ? std::string("(no hit)") : hits[0].Snippet;
}

}  // namespace

TEST(FindFiles, TextFilesAreFoundByTheirTextAndEveryFileByItsNameNamedInTheSnippet)
{
    FindDataFile file;
    // The error near the start of the log, a second rare word deep inside it.
    const std::string log = "Installer started\nerror 0x80070005 access denied writing the registry\n" +
        Filler(600000) + "rollback finished with wombatcode\n";
    AddWithFiles(file, Make(1, "Windows update fails"), {NewFile("setup.log", "application/octet-stream", log)});
    // A photo whose bytes hold words as ASCII: they are no text of the ticket.
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + " quokka marsupial " +
        std::string("\x00\xFF\xDB", 3);
    AddWithFiles(file, Make(2, "Dropped phone"), {NewFile("cracked-screen.jpg", "image/jpeg", jpeg)});
    AddWithFiles(file, Make(3, "Browser trouble"),
                 {NewFile("Saved Page.HTML", "",
                          "<html><script>var hiddenscript=1;</script><p>Proxy &amp; "
                          "pangolin settings</p></html>"),
                  NewFile("notes", "text/plain; charset=utf-8", "Caf\xC3\xA9 owner called twice"),
                  NewFile("IMG_2041.png", "image/png", "narwhal")});
    auto index = OpenIndex(file);

    EXPECT_EQ(Keys(index->Search("0x80070005")), Hits({1}));
    const std::string error = SnippetOf(*index, "0x80070005 ");
    EXPECT_NE(error.find("setup.log: "), std::string::npos) << error;
    EXPECT_NE(error.find("<b>0x80070005</b>"), std::string::npos) << error;
    // Deep in the log: found, and the snippet still names the file.
    EXPECT_EQ(Keys(index->Search("wombatcode ")), Hits({1}));
    EXPECT_NE(SnippetOf(*index, "wombatcode ").find("setup.log"), std::string::npos);
    // The ticket's own words and the file's: both in the snippet.
    const std::string both = SnippetOf(*index, "update denied ");
    EXPECT_NE(both.find("<b>update</b>"), std::string::npos) << both;
    EXPECT_NE(both.find("setup.log: "), std::string::npos) << both;
    // Found by its own words only: the snippet is the ticket's, as before.
    const std::string own = SnippetOf(*index, "windows update ");
    EXPECT_EQ(own.rfind("<b>Windows</b> <b>update</b> fails", 0), 0u) << own;
    EXPECT_EQ(own.find("setup.log"), std::string::npos) << own;

    // By the words of a name, typed whole or in part.
    EXPECT_EQ(Keys(index->Search("cracked ")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("screen ")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("crack")), Hits({2}));
    EXPECT_NE(SnippetOf(*index, "cracked ").find("<b>cracked</b>-screen.jpg"), std::string::npos)
        << SnippetOf(*index, "cracked ");
    EXPECT_NE(SnippetOf(*index, "cracke").find("<b>cracked</b>-screen.jpg"), std::string::npos)
        << SnippetOf(*index, "cracke");
    EXPECT_EQ(Keys(index->Search("2041 ")), Hits({3}));
    EXPECT_NE(SnippetOf(*index, "2041 ").find("IMG_2041.png"), std::string::npos);
    // Never by the bytes of a file that is not text.
    EXPECT_EQ(Keys(index->Search("quokka ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("jfif ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("narwhal ")), Hits({}));

    // HTML by what a browser shows (the extension in any case); text by its media type; accents folded.
    EXPECT_EQ(Keys(index->Search("pangolin ")), Hits({3}));
    EXPECT_EQ(Keys(index->Search("hiddenscript ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("cafe owner")), Hits({3}));
    const std::string html = SnippetOf(*index, "pangolin ");
    EXPECT_NE(html.find("Saved Page.HTML: Proxy &amp; <b>pangolin</b>"), std::string::npos) << html;
    EXPECT_NE(SnippetOf(*index, "cafe ").find("notes: "), std::string::npos) << SnippetOf(*index, "cafe ");
}

TEST(FindFiles, APhraseNeverRunsFromOneFieldOrFileIntoTheNext)
{
    FindDataFile file;
    AddWithFiles(file, Make(1, "the last word is omega"),
                 {NewFile("psi.txt", "", "alpha"), NewFile("beta.txt", "text/plain", "gamma")});
    auto index = OpenIndex(file);
    ASSERT_EQ(Keys(index->Search("omega psi alpha beta gamma ")), Hits({1}));
    for (const std::string phrase : {"\"omega psi\"", "\"txt alpha\"", "\"alpha beta\"", "\"txt gamma\""})
        EXPECT_EQ(Keys(index->Search(phrase)), Hits({})) << phrase;
    EXPECT_EQ(Keys(index->Search("\"psi txt\"")), Hits({1}));
}

TEST(FindFiles, OnlyTheFirstMegabyteOfATextFileIsRead)
{
    FindDataFile file;
    // "caf" ends at the limit, the two bytes of "é" fall on either side of it.
    const size_t limit = DBFrameWork::MaxFileTextBytes;
    std::string text = Filler(limit - 4) + "caf\xC3\xA9 ";
    ASSERT_EQ(text.substr(limit - 1, 2), "\xC3\xA9");
    text += "beyondlimit words\n";
    AddWithFiles(file, Make(1, "Big log"), {NewFile("big.LOG", "", text)});
    auto index = OpenIndex(file);
    EXPECT_EQ(Keys(index->Search("heartbeat ")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("beyondlimit ")), Hits({}));
    // The cut character is dropped, not read as another one.
    EXPECT_EQ(Keys(index->Search("caf ")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("cafe ")), Hits({}));
}

TEST(FindFiles, FilesAddedRenamedAndRemovedElsewhereAreFollowed)
{
    FindDataFile file;
    file.Add(Make(1, "Router drops the connection"));
    file.Add(Make(2, "Printer jams"));
    auto index = OpenIndex(file);
    ASSERT_EQ(Keys(index->Search("kookaburra ")), Hits({}));

    DBFrameWork::DBConnection other(file.Path());
    ASSERT_TRUE(other.Connect());
    TicketRecord ticket = Make(1, "Router drops the connection");
    ticket.Files = {NewFile("router-config.txt", "text/plain", "ssid kookaburra channel 11"),
                    NewFile("front.jpg", "image/jpeg", "\xFF\xD8 emu")};
    ASSERT_TRUE(DBFrameWork::SaveFiles(other, ticket, "desk2", false));
    EXPECT_EQ(Keys(index->Search("kookaburra ")), Hits({1}));
    EXPECT_NE(SnippetOf(*index, "kookaburra ").find("router-config.txt: ssid <b>kookaburra</b>"), std::string::npos)
        << SnippetOf(*index, "kookaburra ");
    EXPECT_EQ(Keys(index->Search("front ")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("emu ")), Hits({}));

    // A file written by plain SQL, in a transaction of the caller's.
    file.Execute("INSERT INTO TicketFile (FileID, ProblemID, FileName, MediaType, ByteSize, AddedAt) "
                 "VALUES (GEN_ID(TicketFileIDValue, 1), 2, 'tray-jam.log', 'text/plain', 0, CURRENT_TIMESTAMP)",
                 &other);
    EXPECT_EQ(Keys(index->Search("tray ")), Hits({2}));

    // Renamed: found by the new name only.
    ticket.Files[1].Renamed = true;
    ticket.Files[1].Name = "back-panel.jpg";
    ticket.Files[1].Content.reset();
    ticket.Files[0].Content.reset();
    ASSERT_TRUE(DBFrameWork::SaveFiles(other, ticket, "desk2", false));
    EXPECT_EQ(Keys(index->Search("front ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("panel ")), Hits({1}));

    // Removed: no longer found by its text; the ticket still by its own words.
    ticket.RemovedFiles = {ticket.Files[0].FileID};
    ticket.Files.erase(ticket.Files.begin());
    ticket.Files[0].Renamed = false;
    ASSERT_TRUE(DBFrameWork::SaveFiles(other, ticket, "desk2", false));
    EXPECT_EQ(Keys(index->Search("kookaburra ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("router ")), Hits({1}));
    EXPECT_EQ(SnippetOf(*index, "router ").find(".jpg"), std::string::npos) << SnippetOf(*index, "router ");
    ASSERT_TRUE(other.Disconnect());
}

TEST(FindFiles, TheRebuildReadsEachTicketWithItsOwnFilesAcrossBatches)
{
    FindDataFile file;
    // Files on the last ticket of the first batch (2500) and the first of the
    // next, several on one, none on most.
    const std::map<int32_t, std::vector<std::string>> names = {{1, {"first.txt"}},
                                                               {2499, {"a.txt", "b.txt", "c.jpg"}},
                                                               {2500, {"edge.txt"}},
                                                               {2501, {"after.txt"}},
                                                               {2800, {"last.csv"}}};
    for (int32_t id = 1; id <= 2800; ++id) {
        const auto named = names.find(id);
        std::vector<TicketFileRecord> files;
        if (named != names.end())
            for (const std::string& name : named->second)
                files.push_back(NewFile(name, "", "word" + std::to_string(id) + "x in " + name));
        AddWithFiles(file, Make(id, "ticket"), files);
    }
    std::map<int32_t, std::vector<std::string>> read;
    int32_t position = 0, last = 0;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(DBFrameWork::ReadTicketBatch(
            file.Connection(), position, 2500,
            [&](const TicketRecord& ticket, const std::vector<DBFrameWork::FileText>& texts) {
                std::vector<std::string> recordNames, textNames;
                for (const TicketFileRecord& record : ticket.Files)
                    recordNames.push_back(record.Name);
                for (const DBFrameWork::FileText& text : texts) {
                    textNames.push_back(text.Name);
                    const std::string written = "word" + std::to_string(ticket.Problem.ProblemID) + "x in " + text.Name;
                    const bool photo = text.Name.find(".jpg") != std::string::npos;
                    EXPECT_EQ(text.Text, photo ? "" : written);
                }
                EXPECT_EQ(textNames, recordNames);
                if (!recordNames.empty())
                    read[ticket.Problem.ProblemID] = recordNames;
            },
            last));
        position = last;
    }
    EXPECT_EQ(position, 2800);
    EXPECT_EQ(read, names);
    // The catch-up's reader and the batch without texts carry the names alike.
    TicketRecord one;
    std::vector<DBFrameWork::FileText> texts;
    ASSERT_EQ(DBFrameWork::ReadTicket(file.Connection(), 2499, one, &texts), DBFrameWork::TicketRead::Found);
    ASSERT_EQ(one.Files.size(), 3u);
    EXPECT_EQ(one.Files[2].MediaType, "");
    EXPECT_EQ(texts[1].Text, "word2499x in b.txt");
    ASSERT_TRUE(DBFrameWork::ReadTicketBatch(
        file.Connection(), 2499, 1, [&](const TicketRecord& ticket) { EXPECT_EQ(ticket.Files.size(), 1u); }, last));
    EXPECT_EQ(last, 2500);

    auto index = OpenIndex(file);
    for (const auto& ticket : names)
        EXPECT_EQ(Keys(index->Search("word" + std::to_string(ticket.first) + "x ")), Hits({ticket.first}));
    EXPECT_EQ(Keys(index->Search("edge ")), Hits({2500}));
}

TEST(FindFiles, AnIndexWithoutTheFilesIsBuiltAgain)
{
    FindDataFile file;
    AddWithFiles(file, Make(1, "Fan noise"), {NewFile("fan.txt", "", "bearing rattles")});
    OpenIndex(file);
    {
        Xapian::WritableDatabase database(file.IndexFolder(), Xapian::DB_OPEN);
        database.set_metadata("format", "2");
        // As the former format held it: no file in the document.
        database.delete_document("Q1");
        database.commit();
    }
    FindIndex index(file.Connection(), file.IndexFolder(), "english");
    index.Open();
    EXPECT_TRUE(index.Progress().Building);
    ASSERT_TRUE(WaitForIndex(index));
    EXPECT_EQ(Keys(index.Search("bearing ")), Hits({1}));
}

TEST(FindFiles, WhichFilesAreTextAndWhatOfThemIsRead)
{
    using DBFrameWork::IsTextFile;
    EXPECT_TRUE(IsTextFile("setup.LOG", ""));
    EXPECT_TRUE(IsTextFile("a.txt", "image/png"));
    EXPECT_TRUE(IsTextFile("export.Csv", ""));
    EXPECT_TRUE(IsTextFile("page.htm", ""));
    EXPECT_TRUE(IsTextFile("noextension", "Text/Plain"));
    EXPECT_FALSE(IsTextFile("photo.jpg", "image/jpeg"));
    EXPECT_FALSE(IsTextFile("log", ""));
    EXPECT_FALSE(IsTextFile("txt.pdf", "application/pdf"));
    EXPECT_FALSE(IsTextFile("context/x", "application/context"));

    using DBFrameWork::SearchableFileText;
    EXPECT_EQ(SearchableFileText("a.txt", "", "\xEF\xBB\xBFplain <not a tag>"), "plain <not a tag>");
    EXPECT_EQ(SearchableFileText("a.html", "", "<p>one</p><p>two</p>"), "one two");
    EXPECT_EQ(SearchableFileText("a", "text/html; charset=utf-8", "<b>x</b>"), "x");
    // Cut to the limit, on a character boundary.
    const std::string over = std::string(DBFrameWork::MaxFileTextBytes - 2, 'a') + "\xE2\x82\xAC" + "tail";
    EXPECT_EQ(SearchableFileText("a.txt", "", over), std::string(DBFrameWork::MaxFileTextBytes - 2, 'a'));
    const std::string fits = std::string(DBFrameWork::MaxFileTextBytes - 3, 'a') + "\xE2\x82\xAC";
    EXPECT_EQ(SearchableFileText("a.txt", "", fits), fits);
}

TEST(FindFiles, AFileWhoseFilesTableIsMissingIsSearchedAllTheSame)
{
    FindDataFile file;
    AddWithFiles(file, Make(1, "Hinge cracked"), {NewFile("hinge.txt", "", "left hinge")});
    file.Add(Make(2, "Battery swollen"));
    // As a file whose migration of the files failed.
    file.Execute("DROP TRIGGER FindChange_TicketFile");
    file.Execute("DROP TABLE TicketFile");
    TicketRecord ticket;
    std::vector<DBFrameWork::FileText> texts;
    ASSERT_EQ(DBFrameWork::ReadTicket(file.Connection(), 1, ticket, &texts), DBFrameWork::TicketRead::Found);
    EXPECT_TRUE(ticket.Files.empty());
    EXPECT_TRUE(texts.empty());
    auto index = OpenIndex(file);
    EXPECT_TRUE(index->Progress().Failure.empty()) << index->Progress().Failure;
    EXPECT_EQ(Keys(index->Search("hinge ")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("swollen ")), Hits({2}));
    file.Execute("UPDATE Problem SET Description = 'Battery replaced' WHERE ProblemID = 2");
    EXPECT_EQ(Keys(index->Search("replaced ")), Hits({2}));
}
