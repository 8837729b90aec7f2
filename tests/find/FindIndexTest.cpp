// The index over real data files: what a query finds and in which order, how
// the index follows changes made on other attachments, and how a missing,
// damaged or foreign index is built again without touching the data file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <xapian.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "dbframework/DBFrameWork_ChangeLog.h"
#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "dbframework/DBFrameWork_Ticket.h"
#include "tests/find/FindFixture.h"

namespace fs = std::filesystem;
using DBFrameWork::FindIndex;
using DBFrameWork::TicketRecord;
using Hits = std::vector<int32_t>;

namespace {

TicketRecord Make(int32_t id, const std::string& description, int year = 2004)
{
    TicketRecord ticket = SampleTicket(id);
    ticket.Problem.Description = description;
    ticket.Problem.Assigned.year = year;
    return ticket;
}

// A ticket with its customer's phones (the first a mobile) and its device.
TicketRecord WithCounter(TicketRecord ticket, std::vector<std::string> phones, const std::string& email = "",
                         const DBFrameWork::DeviceRecord& device = {})
{
    for (const std::string& number : phones)
        ticket.Contacts.Phones.push_back({ticket.Contacts.Phones.empty() ? "mobile" : "home", number});
    ticket.Contacts.Email = email;
    ticket.Job.Device = device;
    return ticket;
}

// Stores the three rows, then the contacts, device and job as the ticket store does.
void AddWithCounter(FindDataFile& file, TicketRecord ticket)
{
    file.Add(ticket);
    ASSERT_TRUE(DBFrameWork::SaveJob(file.Connection(), ticket, "test"));
}

std::unique_ptr<FindIndex> OpenIndex(FindDataFile& file, const std::string& language = "english")
{
    auto index = std::make_unique<FindIndex>(file.Connection(), file.IndexFolder(), language);
    index->Open();
    EXPECT_TRUE(WaitForIndex(*index));
    return index;
}

// Every ticket of the file as read for the index: what must not change.
std::string Snapshot(DBFrameWork::DBConnection& connection)
{
    std::string all;
    int32_t last = 0;
    EXPECT_TRUE(DBFrameWork::ReadTicketBatch(
        connection, 0, 100000,
        [&](const DBFrameWork::TicketRecord& ticket) {
            all += std::to_string(ticket.Problem.ProblemID) + ticket.Problem.Description + ticket.Problem.Resolution +
                ticket.Customer.Name + "|";
        },
        last));
    return all + std::to_string(DBFrameWork::LastChangeSequence(connection));
}

}  // namespace

TEST(FindIndex, QueriesMatchWordsFormsAccentsPhrasesAndExclusions)
{
    FindDataFile file;
    file.Add(Make(1, "The printer is crashing every morning"));
    TicketRecord second = Make(2, "Customer's R\xC3\xA9sum\xC3\xA9 will not print; paper jam in tray two");
    second.Problem.Resolution = "Cleared the <jam> & reset";
    second.Customer.Name = "Zo\xC3\xAB Fischer";
    file.Add(second);
    TicketRecord third = Make(3, "Tray two is empty");
    third.Problem.Comment = "jam was never seen";
    third.SystemInfo.Report = "<html><style>p{}</style><body><p>Model: Optiplex GX270</p><script>var hidden='zebra';"
                              "</script></body></html>";
    file.Add(third);
    auto index = OpenIndex(file);

    EXPECT_EQ(Keys(index->Search("printers ")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("crashed ")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("PRINTER ")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("resume ")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("zoe")), Hits({2}));
    // The last word is a prefix while it is being typed.
    EXPECT_EQ(Keys(index->Search("optip")), Hits({3}));
    EXPECT_EQ(Keys(index->Search("optip ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("\"paper jam\"")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("\"jam paper\"")), Hits({}));
    EXPECT_EQ(Keys(index->Search("jam -paper ")), Hits({3}));
    EXPECT_EQ(Keys(index->Search("tray two ")).size(), 2u);
    // Hidden parts of a report are not text; customer and system fields are.
    EXPECT_EQ(Keys(index->Search("zebra ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("springfield windows ")).size(), 3u);
    // Words of the query language are words here.
    EXPECT_EQ(Keys(index->Search("printer AND NOT ")), Hits({}));

    // Bad input: nothing, never an error.
    for (const std::string& bad :
         {std::string(), std::string("   "), std::string("!!! ??? ***"), std::string("\"paper jam"),
          std::string(5000, 'j'), std::string("-"), std::string("\"\""), std::string("*"), std::string("paper*")})
        EXPECT_NO_THROW(index->Search(bad)) << bad;
    EXPECT_TRUE(index->Search("!!! ???").empty());
    EXPECT_EQ(Keys(index->Search("\"paper jam")), Hits({2}));

    // The snippet shows the ticket's own text, escaped, the matched words in bold.
    const auto hits = index->Search("jam reset ");
    ASSERT_EQ(Keys(hits), Hits({2}));
    EXPECT_NE(hits[0].Snippet.find("<b>jam</b>"), std::string::npos) << hits[0].Snippet;
    EXPECT_NE(hits[0].Snippet.find("&lt;<b>jam</b>&gt; &amp; <b>reset</b>"), std::string::npos) << hits[0].Snippet;
    EXPECT_NE(index->Search("resume ")[0].Snippet.find("<b>R\xC3\xA9sum\xC3\xA9</b>"), std::string::npos);
    EXPECT_EQ(hits[0].CustomerName, "Zo\xC3\xAB Fischer");
    EXPECT_EQ(hits[0].Assigned, "6/1/2004");
    EXPECT_EQ(hits[0].Technician, "Bob");
    EXPECT_FALSE(hits[0].IsCompleted);
}

TEST(FindIndex, RankingIsRelevanceThenNewestFirst)
{
    FindDataFile file;
    file.Add(Make(1, "modem modem modem dial tone missing", 2001));
    file.Add(Make(2, "modem", 2003));
    file.Add(Make(3, "modem", 2005));
    file.Add(Make(4, "the office has a new fax machine, the modem of it hums sometimes when it rains", 2006));
    auto index = OpenIndex(file);
    // Equal texts tie: the newer first; a ticket that is all about it first of all,
    // a long text that mentions it once last.
    EXPECT_EQ(Keys(index->Search("modem ")), Hits({1, 3, 2, 4}));
    EXPECT_EQ(Keys(index->Search("modem ", 2)), Hits({1, 3}));
}

TEST(FindIndex, FollowsChangesMadeOnAnotherAttachment)
{
    FindDataFile file;
    file.Add(Make(1, "keyboard sticky"));
    file.Add(Make(2, "scanner noisy"));
    auto index = OpenIndex(file);
    ASSERT_EQ(Keys(index->Search("keyboard ")), Hits({1}));

    // A second attachment in this process stands for another desk.
    DBFrameWork::DBConnection other(file.Path());
    ASSERT_TRUE(other.Connect());
    file.Add(Make(3, "webcam upside down"), &other);
    file.Execute("UPDATE Problem SET Description = 'mouse wheel broken' WHERE ProblemID = 1", &other);
    file.Execute("UPDATE Customer SET Name = 'Quentin Blake' WHERE CustomerID = 2", &other);
    file.Execute("UPDATE SystemInfo SET OperatingSystem = 'Windows Vista' WHERE ProblemID = 2", &other);
    EXPECT_EQ(Keys(index->Search("webcam ")), Hits({3}));
    EXPECT_EQ(Keys(index->Search("mouse ")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("keyboard ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("quentin vista ")), Hits({2}));
    file.Execute("DELETE FROM SystemInfo WHERE ProblemID = 3", &other);
    file.Execute("DELETE FROM Problem WHERE ProblemID = 3", &other);
    EXPECT_EQ(Keys(index->Search("webcam ")), Hits({}));

    // A save that drew its number first but commits last is not lost.
    other.StartTransaction(true);
    IBPP::Statement late = other.GetStatement();
    late->ExecuteImmediate("UPDATE Problem SET Description = 'late printer' WHERE ProblemID = 2");
    file.Add(Make(4, "early printer"));
    EXPECT_EQ(Keys(index->Search("printer ")), Hits({4}));
    other.Commit();
    EXPECT_EQ(Keys(index->Search("printer ")).size(), 2u);
    ASSERT_TRUE(other.Disconnect());

    // isql changes the file while the program is not attached; the next search finds it.
    index.reset();
    ASSERT_TRUE(file.Connection().Disconnect());
    const std::string output = TestSupport::Isql(
        file.Path(), "UPDATE Problem SET Resolution = 'replaced the flux capacitor' WHERE ProblemID = 4; COMMIT;");
    ASSERT_TRUE(file.Connection().Connect()) << output;
    index = OpenIndex(file);
    EXPECT_EQ(Keys(index->Search("capacitor ")), Hits({4}));
    // Nothing left to take in.
    EXPECT_TRUE(index->CatchUp());
}

TEST(FindIndex, MissingDamagedOrForeignIndexIsBuiltAgainWithoutChangingTheFile)
{
    FindDataFile file;
    for (int32_t id = 1; id <= 1500; ++id)
        file.Add(Make(id, id % 2 ? "odd tickets talk about a router" : "even tickets talk about a battery"));
    std::string before = Snapshot(file.Connection());
    const auto check = [&](const char* what) {
        auto index = std::make_unique<FindIndex>(file.Connection(), file.IndexFolder(), "english");
        index->Open();
        const DBFrameWork::FindProgress started = index->Progress();
        EXPECT_TRUE(started.Building) << what;
        // Searches run (on what is indexed so far) while the rebuild goes on.
        EXPECT_LE(index->Search("router ", 5000).size(), 750u) << what;
        ASSERT_TRUE(WaitForIndex(*index)) << what;
        const DBFrameWork::FindProgress done = index->Progress();
        EXPECT_EQ(done.Done, 1500) << what;
        EXPECT_EQ(done.Total, 1500) << what;
        EXPECT_TRUE(done.Failure.empty()) << what << ": " << done.Failure;
        EXPECT_EQ(index->Search("router ", 5000).size(), 750u) << what;
        EXPECT_EQ(index->Search("battery ", 5000).size(), 750u) << what;
        EXPECT_EQ(Snapshot(file.Connection()), before) << what;
    };
    check("missing");

    fs::remove_all(file.IndexFolder());
    check("deleted");

    for (const auto& entry : fs::directory_iterator(file.IndexFolder()))
        std::ofstream(entry.path(), std::ios::trunc) << "garbage";
    check("garbage");

    for (const auto& entry : fs::directory_iterator(file.IndexFolder()))
        fs::resize_file(entry.path(), entry.file_size() / 2);
    check("truncated");

    // The index of another data file, put where this file's index goes.
    {
        FindDataFile another;
        another.Add(Make(1, "router"));
        OpenIndex(another);
        fs::remove_all(file.IndexFolder());
        fs::copy(another.IndexFolder(), file.IndexFolder());
    }
    check("another file's");

    // An index that is ahead of its file is of a newer copy: a restored backup.
    {
        auto index = OpenIndex(file);
        file.Add(Make(2000, "router"));
        EXPECT_EQ(index->Search("router ", 5000).size(), 751u);
    }
    file.Execute("DELETE FROM SystemInfo WHERE ProblemID = 2000");
    file.Execute("DELETE FROM Problem WHERE ProblemID = 2000");
    file.Execute("DELETE FROM Customer WHERE CustomerID = 2000");
    file.Execute("SET GENERATOR FindChangeValue TO 1");
    before = Snapshot(file.Connection());
    check("newer");
}

TEST(FindIndex, AnInterruptedRebuildGoesOnAtTheNextStart)
{
    FindDataFile file;
    for (int32_t id = 1; id <= 6000; ++id)
        file.Add(Make(id, "wireless adapter " + std::to_string(id)));
    {
        FindIndex index(file.Connection(), file.IndexFolder(), "english");
        index.Open();
        // Closed as soon as part of it is committed.
        while (index.Progress().Building && index.Progress().Done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    FindIndex index(file.Connection(), file.IndexFolder(), "english");
    index.Open();
    DBFrameWork::FindProgress resumed = index.Progress();
    while (resumed.Building && resumed.Total == 0)
        resumed = index.Progress();
    if (resumed.Building) {
        EXPECT_GT(resumed.Done, 0) << "the rebuild started over";
    }
    ASSERT_TRUE(WaitForIndex(index));
    EXPECT_EQ(index.Search("wireless ", 10000).size(), 6000u);
    EXPECT_EQ(Keys(index.Search("5999 ")), Hits({5999}));
}

TEST(FindIndex, IndexFolderLiesBesideAWritableFileElseInTheCache)
{
    TestSupport::TempDir dir;
    EXPECT_EQ(FindIndex::FolderFor(dir.File("a.fdb"), "/cache"), dir.File("a.fdb.find"));
    const std::string server = FindIndex::FolderFor("tower:/srv/data/Solutions.fdb", "/cache");
    EXPECT_EQ(server.rfind("/cache/Solutions.fdb-", 0), 0u) << server;
    EXPECT_NE(server, FindIndex::FolderFor("tower/3051:/srv/data/Solutions.fdb", "/cache"));
    fs::create_directory(dir.File("locked"));
    fs::permissions(dir.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    if (access(dir.File("locked").c_str(), W_OK) != 0) {  // root writes anywhere
        EXPECT_EQ(FindIndex::FolderFor(dir.File("locked/b.fdb"), "/cache").rfind("/cache/b.fdb-", 0), 0u);
    }
    fs::permissions(dir.File("locked"), fs::perms::owner_all);
}

TEST(FindIndex, ALongListOfChangesIsTakenInAPieceAtATime)
{
    FindDataFile file;
    file.Add(Make(1, "first"));
    auto index = OpenIndex(file);
    for (int32_t id = 2; id <= 2600; ++id)
        file.Add(Make(id, "bulk import of a gadget"));
    int calls = 1;
    while (!index->CatchUp())
        ++calls;
    // 2 rows of the log for each ticket, at most 2000 read at once.
    EXPECT_GE(calls, 3);
    EXPECT_EQ(index->Search("gadget ", 5000).size(), 2599u);
}

TEST(FindChangeLog, AnOlderDataFileGetsTheLogAtStartUpAndKeepsItsTables)
{
    // A file as a program that knows only the three tables makes it.
    TestSupport::TempDir dir;
    const std::string path = dir.File("old.fdb");
    DBFrameWork::DBConnection connection(path);
    ASSERT_TRUE(connection.Create() && connection.Connect());
    DBFrameWork::Customer customer(&connection);
    DBFrameWork::Problem problem(&connection);
    DBFrameWork::SystemInfo systemInfo(&connection);
    ASSERT_TRUE(customer.Create() && problem.Create() && systemInfo.Create());
    customer.SetValues({"7", "Old Customer", "", "", "", ""});
    ASSERT_TRUE(customer.Insert());
    problem.SetValues({"9", "Bob", "1/2/2003", "", "0", "0", "old text", "", "", "7"});
    ASSERT_TRUE(problem.Insert());

    std::string failed;
    EXPECT_EQ(DBFrameWork::LayOutSchema(connection, failed), DBFrameWork::SchemaOutcome::Whole);
    EXPECT_EQ(DBFrameWork::LastChangeSequence(connection), 0);
    EXPECT_FALSE(DBFrameWork::DataFileIdentity(connection).empty());
    // Laid out once: a second start leaves it as it is.
    EXPECT_EQ(DBFrameWork::LayOutSchema(connection, failed), DBFrameWork::SchemaOutcome::Whole);

    // The table objects go on as before; every change is logged by the engine.
    problem.SetValues({"9", "Bob", "1/2/2003", "", "0", "0", "new text", "", "", "7"});
    ASSERT_TRUE(problem.Update());
    systemInfo.SetValues({"9", "Windows 98", ""});
    ASSERT_TRUE(systemInfo.Insert());
    customer.SetValues({"7", "Renamed Customer", "", "", "", ""});
    ASSERT_TRUE(customer.Update());
    customer.SetValues({"7", "Renamed Customer", "", "", "", ""});
    ASSERT_TRUE(customer.Update());  // unchanged: not logged
    std::vector<DBFrameWork::TicketChange> changes;
    ASSERT_TRUE(DBFrameWork::ReadChanges(connection, 0, 100, changes));
    ASSERT_EQ(changes.size(), 3u);
    for (const auto& change : changes)
        EXPECT_EQ(change.ProblemID, 9);
    EXPECT_EQ(changes.back().Sequence, 3);
    ASSERT_TRUE(connection.Disconnect());

    // The schema of the three tables, as isql sees it, is unchanged beside the log.
    const std::string tables = TestSupport::Isql(
        path, "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1;");
    for (const char* name : {"CUSTOMER", "PROBLEM", "SYSTEMINFO", "FINDCHANGE", "FINDIDENTITY"})
        EXPECT_NE(tables.find(name), std::string::npos) << name << "\n" << tables;
}

TEST(FindIndex, APhoneNumberIsFoundHoweverItIsWrittenButNotByAnotherWithTheSameEnd)
{
    FindDataFile file;
    AddWithCounter(file, WithCounter(Make(1, "Laptop hinge cracked"), {"+1 (555) 123-4567"}));
    AddWithCounter(file, WithCounter(Make(2, "Tablet will not charge"), {"555-987-4567", "555 222 0000"}));
    AddWithCounter(file, WithCounter(Make(3, "Printer offline"), {"555 321 7654"}));
    // Before numbers were indexed, this one was found by its words: it still is.
    TicketRecord words = Make(4, "Customer asks to call 555, then 123 and 4567");
    words.Customer.Address = "Elm Street";
    file.Add(words);
    auto index = OpenIndex(file);

    for (const std::string query :
         {"555-123-4567", "5551234567", "+1-555-123-4567", "(555) 123-4567", "+15551234567 ", "123-4567"})
        EXPECT_EQ(Keys(index->Search(query)), Hits({1})) << query;
    // A stored number without its country code, asked for with one.
    EXPECT_EQ(Keys(index->Search("+1 555 321 7654")), Hits({3}));
    EXPECT_EQ(Keys(index->Search("+44 555 321-7654")), Hits({3}));
    // The second phone of a customer; the same last four digits are not the number.
    EXPECT_EQ(Keys(index->Search("5552220000")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("555-987-4567")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("555-000-4567")), Hits({}));
    EXPECT_EQ(Keys(index->Search("4567 ")), Hits({4}));
    EXPECT_EQ(Keys(index->Search("+1 555 000 7654")), Hits({}));
    // Among other words, excluded, and beside the words that matched before.
    EXPECT_EQ(Keys(index->Search("hinge 555-123-4567")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("555-123-4567 hinge")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("tablet -5552220000 ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("hinge -5551234567")), Hits({}));
    const std::vector<int32_t> spaced = Keys(index->Search("555 123 4567"));
    EXPECT_EQ(std::set<int32_t>(spaced.begin(), spaced.end()), std::set<int32_t>({1, 4}));
    // A quoted number is a phrase of words, as it always was.
    EXPECT_EQ(Keys(index->Search("\"123 and 4567\"")), Hits({4}));
    EXPECT_EQ(Keys(index->Search("\"555 123 4567\"")), Hits({}));

    // The hit carries the customer's first number.
    const auto hits = index->Search("tablet ");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].Phone, "555-987-4567");
    EXPECT_EQ(index->Search("customer asks")[0].Phone, "");
}

TEST(FindIndex, SerialNumbersEmailAndDeviceAreFoundAsTyped)
{
    FindDataFile file;
    AddWithCounter(file,
                   WithCounter(Make(1, "Fan noise"), {}, "ann.smith@example.com",
                               {0, "Laptop", "Lenovo ThinkPad T480", "SN-4471X"}));
    AddWithCounter(
        file,
        WithCounter(Make(2, "Cracked screen"), {}, "bob@example.org", {0, "Phone", "Pixel 7", "356938035643809"}));
    auto index = OpenIndex(file);
    for (const std::string query : {"SN-4471X", "sn-4471x ", "SN-4471X fan"})
        EXPECT_EQ(Keys(index->Search(query)), Hits({1})) << query;
    EXPECT_EQ(Keys(index->Search("SN-4472X")), Hits({}));
    EXPECT_EQ(Keys(index->Search("356938035643809")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("356938035643808 ")), Hits({}));
    EXPECT_EQ(Keys(index->Search("ann.smith@example.com")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("bob@example.org ")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("thinkpad t480")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("pixel ")), Hits({2}));
}

TEST(FindIndex, ContactsAndDevicesChangedElsewhereAreFoundOnceTheIndexCatchesUp)
{
    FindDataFile file;
    AddWithCounter(file, WithCounter(Make(1, "Keyboard sticky"), {}, "", {0, "Laptop", "Dell XPS", "SN-1"}));
    file.Add(Make(2, "Mouse dead"));
    auto index = OpenIndex(file);
    ASSERT_EQ(Keys(index->Search("5553334444")), Hits({}));

    DBFrameWork::DBConnection other(file.Path());
    ASSERT_TRUE(other.Connect());
    ASSERT_TRUE(DBFrameWork::StoreContacts(other, 2, {{{"work", "555 333 4444"}}, "carl@example.net"}));
    file.Execute("UPDATE Device SET Serial = 'SN-2X' WHERE CustomerID = 1", &other);
    ASSERT_TRUE(other.Disconnect());
    EXPECT_EQ(Keys(index->Search("555-333-4444")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("carl@example.net")), Hits({2}));
    EXPECT_EQ(Keys(index->Search("SN-2X")), Hits({1}));
    EXPECT_EQ(Keys(index->Search("SN-1 ")), Hits({}));

    // A phone taken away is no longer found.
    ASSERT_TRUE(DBFrameWork::StoreContacts(file.Connection(), 2, {{}, "carl@example.net"}));
    EXPECT_EQ(Keys(index->Search("555-333-4444")), Hits({}));
}

TEST(FindIndex, AnIndexOfTheFormerFormatIsBuiltAgain)
{
    FindDataFile file;
    AddWithCounter(file, WithCounter(Make(1, "Fan noise"), {"555 123 4567"}));
    OpenIndex(file);
    {
        Xapian::WritableDatabase database(file.IndexFolder(), Xapian::DB_OPEN);
        database.set_metadata("format", "1");
        database.commit();
    }
    FindIndex index(file.Connection(), file.IndexFolder(), "english");
    index.Open();
    EXPECT_TRUE(index.Progress().Building);
    ASSERT_TRUE(WaitForIndex(index));
    EXPECT_EQ(Keys(index.Search("5551234567")), Hits({1}));
}

TEST(FindIndex, AnUnbalancedQuoteOfAnyKindIsReadAsPlainWords)
{
    FindDataFile file;
    file.Add(Make(1, "The drum is unbalanced; the printer rocks"));
    file.Add(Make(2, "Printer feed unbalanced after the move"));
    file.Add(Make(3, "An unbalanced printer"));
    auto index = OpenIndex(file);
    ASSERT_EQ(Keys(index->Search("unbalanced printer")).size(), 3u);
    // Typographic quotes, as keyboards and mail bring them, count as quotes.
    for (const std::string query : {"\"unbalanced printer", "\xE2\x80\x9Cunbalanced printer",
                                    "unbalanced \xE2\x80\x9Dprinter", "\xE2\x80\x9Cunbalanced\xE2\x80\x9D printer\""})
        EXPECT_EQ(Keys(index->Search(query)).size(), 3u) << query;
    // Paired, they still make a phrase.
    EXPECT_EQ(Keys(index->Search("\xE2\x80\x9Cunbalanced printer\xE2\x80\x9D")), Hits({3}));
}

TEST(FindIndex, AFileWithoutTheCounterTablesIsReadAsBefore)
{
    // The three tables only, as a file whose counter tables could not be added.
    TestSupport::TempDir dir;
    DBFrameWork::DBConnection connection(dir.File("old.fdb"));
    ASSERT_TRUE(connection.Create() && connection.Connect());
    DBFrameWork::Customer customer(&connection);
    DBFrameWork::Problem problem(&connection);
    DBFrameWork::SystemInfo systemInfo(&connection);
    ASSERT_TRUE(customer.Create() && problem.Create() && systemInfo.Create());
    customer.SetValues({"7", "Old Customer", "", "", "", ""});
    ASSERT_TRUE(customer.Insert());
    problem.SetValues({"9", "Bob", "1/2/2003", "", "0", "0", "old text", "", "", "7"});
    ASSERT_TRUE(problem.Insert());
    TicketRecord ticket;
    ASSERT_EQ(DBFrameWork::ReadTicket(connection, 9, ticket), DBFrameWork::TicketRead::Found);
    EXPECT_EQ(ticket.Customer.Name, "Old Customer");
    EXPECT_EQ(ticket.Problem.Description, "old text");
    EXPECT_TRUE(ticket.Contacts.IsEmpty());
    EXPECT_FALSE(ticket.Job.Stored);
    ASSERT_TRUE(connection.Disconnect());
}
