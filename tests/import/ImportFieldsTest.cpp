#include <gtest/gtest.h>

#include <map>

#include "dbframework/DBFrameWork_CsvSource.h"
#include "dbframework/DBFrameWork_ExportColumns.h"
#include "dbframework/DBFrameWork_ImportFields.h"
#include "tests/import/ImportFiles.h"
#include "tests/support/datafiles/TestSupport.h"

using namespace DBFrameWork;

namespace {

// The guesses for a file, by header name.
std::map<std::string, ImportField> GuessesOf(const std::string& path, const StringList& shopStates = {})
{
    CsvSource source;
    EXPECT_TRUE(source.Open(path)) << source.Error().Reason;
    std::vector<std::vector<std::string>> samples;
    CsvRecord record;
    while (samples.size() < 10 && source.Next(record))
        samples.push_back(record.Fields);
    std::map<std::string, ImportField> byHeader;
    for (const ImportColumnGuess& guess : GuessImportFields(source.Header(), samples, shopStates)) {
        EXPECT_EQ(source.Header().at(guess.Column), guess.Header);
        byHeader[guess.Header] = guess.Field;
    }
    return byHeader;
}

}  // namespace

TEST(ImportFields, OsTicketExportMapsItsColumns)
{
    TestSupport::TempDir dir;
    WriteBytes(dir.File("osticket.csv"),
               "Ticket Number,Date Created,Subject,From,From Email,Priority,Department,Help Topic,Source,"
               "Current Status,Last Updated,Due Date,Overdue,Answered,Assigned To,Agent Assigned,Team Assigned,"
               "Thread Count,Attachment Count\r\n"
               "123456,3/4/24 10:12 AM,Laptop will not boot,Ann Lee,ann@example.com,Normal,Support,Repair,Web,Open,"
               "3/5/24 9:00 AM,,No,Yes,Sam Tech,Sam Tech,,3,0\r\n");
    std::map<std::string, ImportField> guesses = GuessesOf(dir.File("osticket.csv"));
    EXPECT_EQ(ImportField::AssignedDate, guesses["Date Created"]);
    EXPECT_EQ(ImportField::Description, guesses["Subject"]);
    EXPECT_EQ(ImportField::CustomerName, guesses["From"]);
    EXPECT_EQ(ImportField::Email, guesses["From Email"]);
    EXPECT_EQ(ImportField::JobState, guesses["Current Status"]);
    EXPECT_EQ(ImportField::Technician, guesses["Assigned To"]);
    // The technician is taken once.
    EXPECT_EQ(ImportField::Ignore, guesses["Agent Assigned"]);
    for (const char* ignored : {"Ticket Number", "Priority", "Department", "Help Topic", "Source", "Last Updated",
                                "Due Date", "Overdue", "Answered", "Team Assigned", "Thread Count", "Attachment Count"})
        EXPECT_EQ(ImportField::Ignore, guesses[ignored]) << ignored;
}

TEST(ImportFields, GlpiExportMapsItsColumns)
{
    TestSupport::TempDir dir;
    WriteBytes(dir.File("glpi.csv"),
               "ID;Title;Entity;Status;Last update;Opening date;Priority;Requester;Assigned to;Category;"
               "Description;Solution;Closing date;Time to resolve\n"
               "42;Screen broken;Root entity;Closed;2024-03-06 10:00;2024-03-04 09:30;Medium;Ann Lee;Sam Tech;"
               "Hardware;\"Dropped, screen cracked\";Screen replaced;2024-03-06 10:00;2024-03-08 09:30\n");
    std::map<std::string, ImportField> guesses = GuessesOf(dir.File("glpi.csv"));
    EXPECT_EQ(ImportField::Description, guesses["Title"]);
    EXPECT_EQ(ImportField::Description, guesses["Description"]);
    EXPECT_EQ(ImportField::JobState, guesses["Status"]);
    EXPECT_EQ(ImportField::AssignedDate, guesses["Opening date"]);
    EXPECT_EQ(ImportField::CustomerName, guesses["Requester"]);
    EXPECT_EQ(ImportField::Technician, guesses["Assigned to"]);
    EXPECT_EQ(ImportField::Resolution, guesses["Solution"]);
    EXPECT_EQ(ImportField::CompletedDate, guesses["Closing date"]);
    // A deadline, not time spent.
    EXPECT_EQ(ImportField::Ignore, guesses["Time to resolve"]);
    for (const char* ignored : {"ID", "Entity", "Last update", "Priority", "Category"})
        EXPECT_EQ(ImportField::Ignore, guesses[ignored]) << ignored;
}

TEST(ImportFields, HeaderNamesAreReadWithoutCaseAndPunctuation)
{
    EXPECT_EQ(ImportField::FirstName, GuessField("First Name"));
    EXPECT_EQ(ImportField::FirstName, GuessField("given_name"));
    EXPECT_EQ(ImportField::LastName, GuessField("SURNAME"));
    EXPECT_EQ(ImportField::Email, GuessField("E-Mail"));
    EXPECT_EQ(ImportField::Email, GuessField("email address"));
    EXPECT_EQ(ImportField::Zip, GuessField("ZIP Code"));
    EXPECT_EQ(ImportField::Zip, GuessField("Post-code"));
    EXPECT_EQ(ImportField::MobilePhone, GuessField("Cell"));
    EXPECT_EQ(ImportField::HomePhone, GuessField("Home Phone"));
    EXPECT_EQ(ImportField::WorkPhone, GuessField("Business Phone"));
    EXPECT_EQ(ImportField::Phone, GuessField("Phone #"));
    EXPECT_EQ(ImportField::AddressLine2, GuessField("Address 2"));
    EXPECT_EQ(ImportField::Serial, GuessField("IMEI"));
    EXPECT_EQ(ImportField::OperatingSystem, GuessField("O.S."));
    EXPECT_EQ(ImportField::ActualHours, GuessField("Time Spent"));
    EXPECT_EQ(ImportField::Ignore, GuessField("Favourite colour"));
    // This program's own column names.
    EXPECT_EQ(ImportField::BillableHours, GuessField("BillableHours"));
    EXPECT_EQ(ImportField::MakeModel, GuessField("MakeModel"));
    EXPECT_EQ(ImportField::Comments, GuessField("Comment"));
}

TEST(ImportFields, FirstAndLastNameAreJoinedAndStateFollowsTheFile)
{
    const std::vector<std::vector<std::string>> customers = {{"Ann", "Lee", "1 Main St", "Springfield", "IL"}};
    const std::vector<ImportColumnGuess> guesses = GuessImportFields(
        {"First Name", "Last Name", "Address", "City", "State"}, customers, {});
    ASSERT_EQ(5u, guesses.size());
    EXPECT_EQ(ImportField::FirstName, guesses[0].Field);
    EXPECT_EQ(ImportField::LastName, guesses[1].Field);
    EXPECT_EQ(ImportField::State, guesses[4].Field);
    EXPECT_EQ("Ann Lee", JoinedName("Ann", "Lee"));
    EXPECT_EQ("Lee", JoinedName("", "Lee"));
    EXPECT_EQ("1 Main St\r\nApt 2", JoinedAddress("1 Main St", "Apt 2"));

    // An address column, but the values are the shop's job states.
    const std::vector<std::vector<std::string>> jobs = {{"Ann", "1 Main St", "Waiting for parts"}, {"Bo", "", "Open"}};
    EXPECT_EQ(ImportField::JobState,
              GuessImportFields({"Name", "Address", "State"}, jobs, {"Waiting for parts"})[2].Field);
    // No address at all, but ticket columns.
    EXPECT_EQ(ImportField::JobState, GuessImportFields({"Subject", "State"}, {{"Broken", "Ready"}}, {})[1].Field);
    // A second street column is the address's second line.
    const std::vector<ImportColumnGuess> streets = GuessImportFields({"Street", "Address", "Address 1"}, {}, {});
    EXPECT_EQ(ImportField::AddressLine1, streets[0].Field);
    EXPECT_EQ(ImportField::AddressLine2, streets[1].Field);
    EXPECT_EQ(ImportField::Ignore, streets[2].Field);
}

TEST(ImportFields, ValuesTooLongOrNotWholeHoursAreRefusedWithTheReason)
{
    EXPECT_EQ("", ImportValueRefusal(ImportField::Zip, "62701"));
    EXPECT_EQ("", ImportValueRefusal(ImportField::Zip, "627011234"));
    const std::string zip = ImportValueRefusal(ImportField::Zip, "62701-1234");
    EXPECT_EQ("Zip \"62701-1234\" is too long: 10 bytes, the field holds 9", zip);
    // Counted in bytes: 60 two-byte letters fill the name's 120.
    std::string name;
    for (int letter = 0; letter < 60; ++letter)
        name += "\xC3\xBC";
    EXPECT_EQ("", ImportValueRefusal(ImportField::CustomerName, name));
    EXPECT_NE("", ImportValueRefusal(ImportField::CustomerName, name + "x"));
    EXPECT_NE("", ImportValueRefusal(ImportField::Serial, std::string(61, '7')));
    EXPECT_NE("", ImportValueRefusal(ImportField::JobState, std::string(41, 's')));
    // Long texts have no limit.
    EXPECT_EQ("", ImportValueRefusal(ImportField::Description, std::string(100000, 'd')));

    int32_t hours = -1;
    std::string reason;
    EXPECT_TRUE(ReadImportHours(" 3 ", hours, reason));
    EXPECT_EQ(3, hours);
    EXPECT_TRUE(ReadImportHours("2,00", hours, reason));
    EXPECT_EQ(2, hours);
    EXPECT_TRUE(ReadImportHours("", hours, reason));
    EXPECT_EQ(0, hours);
    EXPECT_FALSE(ReadImportHours("1.5", hours, reason));
    EXPECT_EQ("1.5 is not a whole number of hours", reason);
    EXPECT_FALSE(ReadImportHours("-2", hours, reason));
    EXPECT_FALSE(ReadImportHours("99999999999", hours, reason));
    EXPECT_EQ("Actual hours: 1.5 is not a whole number of hours", ImportValueRefusal(ImportField::ActualHours, "1.5"));
}

TEST(ImportFields, EveryFieldHasANameAndAStoredColumn)
{
    for (const ImportField field : AllImportFields()) {
        EXPECT_FALSE(ImportFieldName(field).empty());
        EXPECT_EQ(field == ImportField::Ignore, ImportFieldColumn(field) == nullptr);
    }
    EXPECT_EQ(ImportField::Ignore, AllImportFields().front());
    EXPECT_EQ("mobile", PhoneKindOf(ImportField::Phone));
    EXPECT_EQ("work", PhoneKindOf(ImportField::WorkPhone));
    EXPECT_EQ("", PhoneKindOf(ImportField::Email));
}

TEST(ImportFields, OwnExportsCustomerAndTicketColumnsMapBack)
{
    const std::map<std::string, std::map<std::string, ImportField>> expected = {
        {"customers.csv",
         {{"CustomerID", ImportField::Ignore},
          {"Name", ImportField::CustomerName},
          {"Address", ImportField::AddressLine1},
          {"City", ImportField::City},
          {"State", ImportField::State},
          {"Zip", ImportField::Zip}}},
        {"tickets.csv",
         {{"ProblemID", ImportField::Ignore},
          {"CustomerID", ImportField::Ignore},
          {"Technician", ImportField::Technician},
          {"Assigned", ImportField::AssignedDate},
          {"Completed", ImportField::CompletedDate},
          {"BillableHours", ImportField::BillableHours},
          {"ActualHours", ImportField::ActualHours},
          {"Description", ImportField::Description},
          {"Resolution", ImportField::Resolution},
          {"Comment", ImportField::Comments},
          {"OperatingSystem", ImportField::OperatingSystem},
          {"ReportFile", ImportField::Ignore},
          // No address in the file: the job's state.
          {"State", ImportField::JobState},
          {"PromisedBy", ImportField::Ignore},
          {"DeviceID", ImportField::Ignore},
          {"Accessories", ImportField::Accessories},
          {"ArrivalCondition", ImportField::Ignore},
          {"TermsAgreed", ImportField::Ignore}}},
    };
    size_t filesChecked = 0;
    for (const ExportFile& file : ExportFiles()) {
        const auto wanted = expected.find(file.FileName);
        if (wanted == expected.end())
            continue;
        ++filesChecked;
        std::vector<std::string> header;
        for (const ExportColumn& column : file.Columns)
            header.push_back(column.Name);
        for (const ImportColumnGuess& guess : GuessImportFields(header, {}, {})) {
            const auto field = wanted->second.find(guess.Header);
            ASSERT_NE(wanted->second.end(), field) << file.FileName << " has a new column " << guess.Header;
            EXPECT_EQ(field->second, guess.Field) << file.FileName << " " << guess.Header;
        }
    }
    EXPECT_EQ(2u, filesChecked);
}
