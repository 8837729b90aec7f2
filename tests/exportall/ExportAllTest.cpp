// Export All on a real data file laid out as the program lays it out, with
// tickets stored through the ticket store: every CSV read back field by
// field, the files' bytes, README.txt, the targets refused, cancel, modes.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <sys/stat.h>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_ExportAll.h"
#include "dbframework/DBFrameWork_ExportColumns.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_TicketStore.h"
#include "tests/exportall/ExportReader.h"
#include "tests/support/datafiles/TestSupport.h"

namespace fs = std::filesystem;
using namespace DBFrameWork;

namespace {

const std::vector<std::string> States = {"Waiting", "+In repair", "Done"};

std::string RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

TicketFileRecord NewFile(const std::string& name, const std::string& mediaType, std::string bytes)
{
    TicketFileRecord file;
    file.Name = name;
    file.MediaType = mediaType;
    file.Thumbnail = "thumbnail bytes, never exported";
    file.Content = std::make_shared<const std::string>(std::move(bytes));
    return file;
}

mode_t ModeOf(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// What stands in the folder besides the data file.
std::vector<std::string> Leftovers(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename() != "Solutions.fdb")
            names.push_back(entry.path().filename().string());
    return names;
}

class ExportAllTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connection = std::make_unique<DBConnection>(dir.File("Solutions.fdb"));
        ASSERT_TRUE(connection->Create() && connection->Connect());
        std::string failed;
        ASSERT_EQ(LayOutSchema(*connection, failed), SchemaOutcome::Completed) << failed;

        TicketRecord& full = tickets.emplace_back();
        full.Customer = {0, "=HYPERLINK(\"http://x\")", "1 Elm Street\r\nSuite 4", "Zürich", "ZH", "8001"};
        full.Contacts.Phones = {{"mobile", "+41 79 123 45 67"}, {"work", "044 555 12 34"}};
        full.Contacts.Email = "zoë@example.ch";
        full.Problem.Technician = "Renée";
        full.Problem.Assigned = {2024, 3, 5};
        full.Problem.BillableHours = 2;
        full.Problem.ActualHours = 3;
        full.Problem.Description = "Screen flickers, then \"goes black\",\r\nsecond line; 日本語";
        full.Problem.Resolution = "-replaced the cable";
        full.Problem.Comment = "'quoted' already";
        full.SystemInfo.OperatingSystem = "Windows 11";
        full.SystemInfo.Report = "<html><body>report \xC3\xA9</body></html>\n";
        full.Job.State = States.front();
        full.Job.PromisedBy = {2024, 3, 9};
        full.Job.Device = {0, "laptop", "ThinkPad T14", "SN-1"};
        full.Job.Accessories = "charger, bag";
        full.Job.Condition = "Scratch on the lid\r\nno box";
        full.Job.TermsAgreed = true;
        full.Files.push_back(NewFile("photo.jpg", "image/jpeg", RandomBytes(300000, 1)));
        full.Files.push_back(NewFile("notes: a\\b?.txt", "text/plain", std::string("zero\0byte\r\n", 11)));

        TicketRecord& plain = tickets.emplace_back();
        plain.Customer = {0, "Bob Meyer", "", "", "", ""};
        plain.Problem.Technician = "Al";
        plain.Problem.Assigned = {2023, 12, 31};
        plain.Problem.Completed = {2024, 1, 2};
        plain.Problem.Description = "Slow";

        TicketStore store("desk1");
        for (TicketRecord& ticket : tickets) {
            store.ForgetPendingKey();
            ASSERT_TRUE(store.Save(*connection, ticket, true));
        }
        // A change of state goes into the history.
        tickets[0].Job.State = States[1];
        ASSERT_TRUE(store.Save(*connection, tickets[0], false));
        ASSERT_TRUE(ReadJobHistory(*connection, tickets[0].Problem.ProblemID, history));
        ASSERT_EQ(history.size(), 2u);
        ASSERT_TRUE(tickets[0].Files[0].FileID > 0);
    }

    void TearDown() override
    {
        if (connection->Connected)
            connection->Disconnect();
    }

    bool Export(const std::string& target, ExportResult& result, const ExportProgress& progress = nullptr)
    {
        return ExportAll(*connection, {target, States}, progress, result);
    }

    TestSupport::TempDir dir;
    std::unique_ptr<DBConnection> connection;
    std::vector<TicketRecord> tickets;
    std::vector<JobEventRecord> history;
};

std::string Date(const CalendarDate& date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return date.IsSet() ? text : "";
}

// Every CSV, every field, against what was stored.
void ExpectStoredValues(const ExportView& view, const std::vector<TicketRecord>& tickets,
                        const std::vector<JobEventRecord>& history)
{
    const TicketRecord& full = tickets[0];
    const auto customers = view.Records("customers.csv");
    ASSERT_EQ(customers.size(), 2u);
    for (size_t at = 0; at < tickets.size(); ++at) {
        const CustomerRecord& customer = tickets[at].Customer;
        auto line = customers[at];
        EXPECT_EQ(line["CustomerID"], std::to_string(customer.CustomerID));
        EXPECT_EQ(Unguarded(line["Name"]), customer.Name);
        EXPECT_EQ(line["Address"], customer.Address);
        EXPECT_EQ(line["City"], customer.City);
        EXPECT_EQ(line["State"], customer.State);
        EXPECT_EQ(line["Zip"], customer.Zip);
    }
    // The formula guard is there in the file itself.
    EXPECT_EQ(customers[0].at("Name"), "'" + full.Customer.Name);

    const auto contacts = view.Records("contacts.csv");
    ASSERT_EQ(contacts.size(), 3u);
    for (const auto& contact : contacts)
        EXPECT_EQ(contact.at("CustomerID"), std::to_string(full.Customer.CustomerID));
    EXPECT_EQ(contacts[0].at("Kind"), "mobile");
    EXPECT_EQ(Unguarded(contacts[0].at("Contact")), "+41 79 123 45 67");
    EXPECT_EQ(contacts[0].at("Contact"), "'+41 79 123 45 67");
    EXPECT_EQ(contacts[1].at("Contact"), "044 555 12 34");
    EXPECT_EQ(contacts[2].at("Kind"), "email");
    EXPECT_EQ(contacts[2].at("Contact"), full.Contacts.Email);

    const auto devices = view.Records("devices.csv");
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].at("DeviceID"), std::to_string(full.Job.Device.DeviceID));
    EXPECT_EQ(devices[0].at("CustomerID"), std::to_string(full.Customer.CustomerID));
    EXPECT_EQ(devices[0].at("Kind"), "laptop");
    EXPECT_EQ(devices[0].at("MakeModel"), "ThinkPad T14");
    EXPECT_EQ(devices[0].at("Serial"), "SN-1");

    const auto lines = view.Records("tickets.csv");
    ASSERT_EQ(lines.size(), 2u);
    for (size_t at = 0; at < tickets.size(); ++at) {
        const TicketRecord& ticket = tickets[at];
        auto line = lines[at];
        EXPECT_EQ(line["ProblemID"], std::to_string(ticket.Problem.ProblemID));
        EXPECT_EQ(line["CustomerID"], std::to_string(ticket.Customer.CustomerID));
        EXPECT_EQ(line["Technician"], ticket.Problem.Technician);
        EXPECT_EQ(line["Assigned"], Date(ticket.Problem.Assigned));
        EXPECT_EQ(line["Completed"], Date(ticket.Problem.Completed));
        EXPECT_EQ(line["BillableHours"], std::to_string(ticket.Problem.BillableHours));
        EXPECT_EQ(line["ActualHours"], std::to_string(ticket.Problem.ActualHours));
        EXPECT_EQ(Unguarded(line["Description"]), ticket.Problem.Description);
        EXPECT_EQ(Unguarded(line["Resolution"]), ticket.Problem.Resolution);
        EXPECT_EQ(Unguarded(line["Comment"]), ticket.Problem.Comment);
        EXPECT_EQ(line["OperatingSystem"], ticket.SystemInfo.OperatingSystem);
        EXPECT_EQ(Unguarded(line["State"]), ticket.Job.State);
        EXPECT_EQ(line["PromisedBy"], Date(ticket.Job.PromisedBy));
        EXPECT_EQ(line["Accessories"], ticket.Job.Accessories);
        EXPECT_EQ(line["ArrivalCondition"], ticket.Job.Condition);
    }
    EXPECT_EQ(lines[0].at("Resolution"), "'-replaced the cable");
    EXPECT_EQ(lines[0].at("Comment"), "''quoted' already");
    EXPECT_EQ(lines[0].at("DeviceID"), std::to_string(full.Job.Device.DeviceID));
    EXPECT_EQ(lines[0].at("TermsAgreed"), "1");
    EXPECT_EQ(lines[1].at("TermsAgreed"), "");
    EXPECT_EQ(lines[1].at("DeviceID"), "");
    const std::string report = "reports/" + std::to_string(full.Problem.ProblemID) + ".html";
    EXPECT_EQ(lines[0].at("ReportFile"), report);
    EXPECT_EQ(lines[1].at("ReportFile"), "");
    EXPECT_EQ(view.Bytes(report), full.SystemInfo.Report);

    const auto events = view.Records("history.csv");
    ASSERT_EQ(events.size(), history.size());
    for (size_t at = 0; at < history.size(); ++at) {
        EXPECT_EQ(events[at].at("ProblemID"), std::to_string(full.Problem.ProblemID));
        EXPECT_EQ(events[at].at("EventTime").substr(0, 16), history[at].Time);
        EXPECT_EQ(events[at].at("EventTime").size(), 19u);
        EXPECT_EQ(events[at].at("UserName"), history[at].User);
        EXPECT_EQ(events[at].at("Kind"), history[at].Kind);
        EXPECT_EQ(Unguarded(events[at].at("Detail")), history[at].Detail);
    }

    const auto files = view.Records("files.csv");
    ASSERT_EQ(files.size(), 2u);
    for (size_t at = 0; at < files.size(); ++at) {
        const TicketFileRecord& file = full.Files[at];
        EXPECT_EQ(files[at].at("FileID"), std::to_string(file.FileID));
        EXPECT_EQ(files[at].at("ProblemID"), std::to_string(full.Problem.ProblemID));
        EXPECT_EQ(files[at].at("FileName"), file.Name);
        EXPECT_EQ(files[at].at("MediaType"), file.MediaType);
        EXPECT_EQ(files[at].at("ByteSize"), std::to_string(file.Size));
        EXPECT_EQ(files[at].at("AddedAt").substr(0, 16), file.Added);
        EXPECT_EQ(files[at].at("UserName"), "desk1");
    }
    const std::string folder = "files/" + std::to_string(full.Problem.ProblemID) + "/";
    EXPECT_EQ(files[0].at("Path"), folder + std::to_string(full.Files[0].FileID) + "-photo.jpg");
    // The name made safe: no colon, backslash or question mark in the path.
    EXPECT_EQ(files[1].at("Path"), folder + std::to_string(full.Files[1].FileID) + "-notes_ a_b_.txt");
    EXPECT_EQ(view.Bytes(files[0].at("Path")), RandomBytes(300000, 1));
    EXPECT_EQ(view.Bytes(files[1].at("Path")), std::string("zero\0byte\r\n", 11));

    const CsvRows states = view.Csv("states.csv");
    ASSERT_EQ(states.size(), 4u);
    EXPECT_EQ(states[2], (std::vector<std::string>{"2", "'+In repair"}));
    EXPECT_EQ(states[3], (std::vector<std::string>{"3", "Done"}));
}

TEST_F(ExportAllTest, FolderAndZipHoldEveryStoredValueFieldByField)
{
    ExportResult result;
    const std::string folder = dir.File("export");
    ASSERT_TRUE(Export(folder, result)) << result.Reason;
    EXPECT_EQ(result.Customers, 2);
    EXPECT_EQ(result.Tickets, 2);
    EXPECT_EQ(result.Reports, 1);
    EXPECT_EQ(result.Files, 2);
    const ExportView folderView(folder);
    ExpectStoredValues(folderView, tickets, history);

    const std::string zip = dir.File("export.zip");
    ASSERT_TRUE(Export(zip, result)) << result.Reason;
    const ExportView zipView(zip);
    ExpectStoredValues(zipView, tickets, history);
    // The same files with the same bytes; photos are the stored bytes, never thumbnails.
    EXPECT_EQ(zipView.All(), folderView.All());
    for (const auto& [path, bytes] : zipView.All())
        EXPECT_EQ(bytes.find("thumbnail bytes"), std::string::npos) << path;
}

TEST_F(ExportAllTest, ReadmeDescribesEveryColumnOfEveryCsv)
{
    ExportResult result;
    ASSERT_TRUE(Export(dir.File("export"), result)) << result.Reason;
    const ExportView view(dir.File("export"));
    const std::string readme = view.Bytes("README.txt");
    size_t csvFiles = 0;
    for (const auto& [path, bytes] : view.All()) {
        if (path.size() < 4 || path.substr(path.size() - 4) != ".csv")
            continue;
        ++csvFiles;
        const size_t section = readme.find("\r\n" + path + "\r\n");
        ASSERT_NE(section, std::string::npos) << path;
        const size_t next = readme.find(".csv\r\n---", section + path.size() + 4);
        const std::string described = readme.substr(section, next - section);
        const CsvRows rows = view.Csv(path);
        for (const std::string& column : rows.front())
            EXPECT_NE(described.find("  " + column + ": "), std::string::npos) << path << " " << column;
    }
    EXPECT_EQ(csvFiles, 7u);
    EXPECT_NE(readme.find("single quote (')"), std::string::npos);
    EXPECT_NE(readme.find("Refers to customers.csv CustomerID"), std::string::npos);
}

TEST_F(ExportAllTest, TargetsThatHoldSomethingAreRefusedAndLeftAlone)
{
    ExportResult result;
    TestSupport::WriteFile(dir.File("old.zip"), "an older export");
    EXPECT_FALSE(Export(dir.File("old.zip"), result));
    EXPECT_NE(result.Reason.find("exists already"), std::string::npos);
    EXPECT_EQ(TestSupport::ReadFile(dir.File("old.zip")), "an older export");

    fs::create_directory(dir.File("full"));
    TestSupport::WriteFile(dir.File("full/keep.txt"), "mine");
    EXPECT_FALSE(Export(dir.File("full"), result));
    EXPECT_EQ(TestSupport::ReadFile(dir.File("full/keep.txt")), "mine");
    EXPECT_EQ(fs::directory_iterator(dir.File("full"))->path().filename(), "keep.txt");

    TestSupport::WriteFile(dir.File("plainfile"), "x");
    EXPECT_FALSE(Export(dir.File("plainfile"), result));
    EXPECT_FALSE(Export(dir.File("missing/folder/export.zip"), result));
    EXPECT_FALSE(result.Reason.empty());

    // An empty folder is taken, and made private.
    fs::create_directory(dir.File("empty"));
    chmod(dir.File("empty").c_str(), 0755);
    ASSERT_TRUE(Export(dir.File("empty"), result)) << result.Reason;
    EXPECT_EQ(ModeOf(dir.File("empty")), 0700u);
    EXPECT_TRUE(TestSupport::FileExists(dir.File("empty/tickets.csv")));
    std::vector<std::string> left = Leftovers(dir.Path());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"empty", "full", "old.zip", "plainfile"}));
}

TEST_F(ExportAllTest, FilesAre0600AndFolders0700)
{
    ExportResult result;
    ASSERT_TRUE(Export(dir.File("export"), result)) << result.Reason;
    ASSERT_TRUE(Export(dir.File("export.zip"), result)) << result.Reason;
    EXPECT_EQ(ModeOf(dir.File("export.zip")), 0600u);
    EXPECT_EQ(ModeOf(dir.File("export")), 0700u);
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.File("export"))) {
        EXPECT_EQ(ModeOf(entry.path().string()), entry.is_directory() ? 0700u : 0600u) << entry.path();
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 11u);  // seven CSV files, README, a report, two files
}

TEST_F(ExportAllTest, CancelMidwayLeavesNothingBehind)
{
    for (const std::string name : {"export", "export.zip"}) {
        for (const int64_t stopAt : {int64_t{1}, int64_t{9}, int64_t{16}, int64_t{17}}) {
            SCOPED_TRACE(name + " stopped at step " + std::to_string(stopAt));
            ExportResult result;
            int64_t seenTotal = 0, asked = 0;
            EXPECT_FALSE(Export(dir.File(name), result, [&](int64_t done, int64_t total) {
                seenTotal = total;
                asked = done;
                return done < stopAt;
            }));
            EXPECT_TRUE(result.Cancelled);
            EXPECT_GE(asked, stopAt);
            // 2 customers, 3 contacts, 1 device, 2 tickets, 2 events, 2 files, 3 states, 1 report, 2 file bytes.
            EXPECT_EQ(seenTotal, 18);
            EXPECT_TRUE(Leftovers(dir.Path()).empty());
        }
    }
    ExportResult result;
    int64_t last = 0, total = 0;
    ASSERT_TRUE(Export(dir.File("export.zip"), result, [&](int64_t done, int64_t all) {
        last = done;
        total = all;
        return true;
    }));
    EXPECT_EQ(last, total);
}

TEST(ExportColumns, SafeFileNamesKeepTheNameReadable)
{
    EXPECT_EQ(SafeFileName("Photo 1.jpg"), "Photo 1.jpg");
    EXPECT_EQ(SafeFileName("a/b\\c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(SafeFileName(std::string("tab\there\x7F")), "tab_here_");
    EXPECT_EQ(SafeFileName("name. . "), "name");
    EXPECT_EQ(SafeFileName(".."), "file");
    EXPECT_EQ(SafeFileName("Überweisung.pdf"), "Überweisung.pdf");
    // Cut on a character boundary: no half of "é" is left.
    const std::string cut = SafeFileName(std::string(199, 'x') + "é.txt");
    EXPECT_EQ(cut, std::string(199, 'x'));
}

}  // namespace
