// The import's preview and its one transaction on a real data file: which
// customers of the file are stored ones, which rows are refused and why, and
// that a cancel or a failure midway stores nothing.
#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_ImportStore.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_TicketStore.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/datafiles/TestSupport.h"

using namespace DBFrameWork;
using Lines = std::vector<std::string>;

namespace {

CustomerRecord Customer(const std::string& name, const std::string& address = "12 Elm St")
{
    return {0, name, address, "Springfield", "IL", "62701"};
}

ImportRow Row(size_t line, const CustomerRecord& customer, const ContactsRecord& contacts = {}, bool ticket = true)
{
    ImportRow row;
    row.Line = line;
    row.Customer = customer;
    row.Contacts = contacts;
    row.HasTicket = ticket;
    row.Problem.Technician = "Ann";
    row.Problem.Assigned = {2021, 3, 4};
    row.Problem.Description = "Imported: no picture";
    row.OperatingSystem = "Windows 10";
    return row;
}

class Import : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string failed;
        ASSERT_EQ(LayOutSchema(db.Connection(), failed), SchemaOutcome::Completed) << failed;
        harriet = Store(Customer("Harriet Okafor"), {{{"mobile", "555-867-5309"}}, "harriet@example.org"});
        bram = Store(Customer("Bram Okonkwo", "3 Oak Ave"), {{}, "bram@oko.net"});
    }

    int32_t Store(const CustomerRecord& customer, const ContactsRecord& contacts)
    {
        TicketRecord ticket;
        ticket.Customer = customer;
        ticket.Contacts = contacts;
        ticket.Problem.Technician = "Ann";
        ticket.Problem.Assigned = {2024, 1, 2};
        TicketStore store("ann");
        EXPECT_TRUE(store.Save(db.Connection(), ticket, true));
        return ticket.Customer.CustomerID;
    }

    std::string Count(const std::string& table)
    {
        const Lines lines = db.Query("SELECT COUNT(*) FROM " + table + ";");
        return lines.empty() ? "" : lines.back();
    }

    TestDatabase db{false};
    int32_t harriet = 0;
    int32_t bram = 0;
};

}  // namespace

TEST_F(Import, PreviewMatchesByFieldsThenPhoneOrEmailAndTheImportStoresWhatItSaid)
{
    ImportRow withDevice = Row(6, Customer("Dana Reyes", "9 Pine Rd"), {{{"home", "555 010 2233"}}, ""});
    withDevice.Job.State = "Waiting for parts";
    withDevice.Job.Device = {0, "Laptop", "ThinkPad T480", "PF-1234"};
    ImportRow tooLong = Row(10, Customer("Eve"));
    tooLong.Problem.Technician = std::string(121, 't');
    const std::vector<ImportRow> rows = {
        Row(2, Customer("Harriet Okafor")),
        Row(3, Customer("H. Okafor", "Elm Street 12"), {{{"work", "(555) 867-5309"}}, ""}),
        Row(5, Customer("Bram O.", "elsewhere"), {{}, "BRAM@OKO.NET"}, false),
        withDevice,
        Row(7, Customer("Dana Reyes", "9 Pine Rd")),
        // Her number again, with other fields: within the file only the same
        // five fields are the same customer, as a family shares a number.
        Row(8, Customer("D. Reyes", "9 Pine Road"), {{{"mobile", "(555) 010-2233"}}, ""}),
        Row(9, Customer("")),
        tooLong,
    };

    ImportPreview preview;
    ASSERT_EQ(PreviewImport(db.Connection(), rows, {}, preview), ImportOutcome::Done);
    EXPECT_EQ(preview.NewCustomers, 2);
    EXPECT_EQ(preview.MatchedCustomers, 2);
    EXPECT_EQ(preview.Tickets, 5);
    ASSERT_EQ(preview.Refused.size(), 2u);
    EXPECT_EQ(preview.Refused[0].Line, 9u);
    EXPECT_EQ(preview.Refused[0].Reason, "The row names no customer.");
    EXPECT_EQ(preview.Refused[1].Line, 10u);
    EXPECT_EQ(preview.Refused[1].Reason, "The technician is 121 bytes long; at most 120 fit.");
    EXPECT_EQ(preview.Matches.at(ImportCustomerKey(rows[0].Customer)), harriet);
    EXPECT_EQ(preview.Matches.at(ImportCustomerKey(rows[1].Customer)), harriet);
    EXPECT_EQ(preview.Matches.at(ImportCustomerKey(rows[2].Customer)), bram);
    // Nothing is written by a preview.
    EXPECT_EQ(Count("Customer"), "2");

    ImportReport report;
    ASSERT_EQ(RunImport(db.Connection(), rows, preview, {}, report), ImportOutcome::Done);
    EXPECT_EQ(report.RowsTaken, 6);
    EXPECT_EQ(report.CustomersAdded, 2);
    EXPECT_EQ(report.CustomersMatched, 2);
    EXPECT_EQ(report.TicketsAdded, 5);
    EXPECT_EQ(report.Refused.size(), 2u);

    EXPECT_EQ(Count("Customer"), "4");
    EXPECT_EQ(Count("Problem"), "7");
    EXPECT_EQ(Count("SystemInfo"), "7");
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Problem WHERE CustomerID = " + std::to_string(harriet) + ";"),
              Lines({"3"}));
    EXPECT_EQ(db.Query("SELECT C.Name || ' ' || COUNT(*) FROM Problem P JOIN Customer C ON C.CustomerID = "
                       "P.CustomerID WHERE C.Name = 'Dana Reyes' GROUP BY C.Name;"),
              Lines({"Dana Reyes 2"}));
    EXPECT_EQ(db.Query("SELECT J.State || '|' || D.MakeModel || '|' || D.Serial FROM Job J JOIN Device D ON "
                       "D.DeviceID = J.DeviceID;"),
              Lines({"Waiting for parts|ThinkPad T480|PF-1234"}));
    // The new customer is found by the number it came with; matched ones keep theirs.
    EXPECT_EQ(db.Query("SELECT Kind || ' ' || Contact FROM CustomerContact C JOIN Customer U ON U.CustomerID = "
                       "C.CustomerID WHERE U.Name = 'Dana Reyes';"),
              Lines({"home 555 010 2233"}));
    EXPECT_EQ(Count("CustomerContact"), "5");
    // The new customer's contacts read back as the window reads them.
    ContactsRecord danas;
    const Lines dana = db.Query("SELECT CustomerID FROM Customer WHERE Name = 'Dana Reyes';");
    ASSERT_FALSE(dana.empty());
    ASSERT_TRUE(ReadContacts(db.Connection(), std::stoi(dana.back()), danas));
    EXPECT_EQ(danas.Phones, (std::vector<PhoneRecord>{{"home", "555 010 2233"}}));
}

TEST_F(Import, ACancelOrAFailureMidwayStoresNothing)
{
    std::vector<ImportRow> rows;
    for (size_t line = 2; line < 700; ++line)
        rows.push_back(Row(line, Customer("Customer " + std::to_string(line))));
    ImportPreview preview;
    ASSERT_EQ(PreviewImport(db.Connection(), rows, {}, preview), ImportOutcome::Done);
    EXPECT_EQ(preview.NewCustomers, 698);

    size_t asked = 0;
    ImportReport report;
    EXPECT_EQ(RunImport(
                  db.Connection(), rows, preview,
                  [&](size_t done, size_t) {
                      asked = done;
                      return done < 500;
                  },
                  report),
              ImportOutcome::Cancelled);
    EXPECT_EQ(asked, 500u);
    EXPECT_EQ(report.TicketsAdded, 0);
    EXPECT_EQ(Count("Customer"), "2");
    EXPECT_EQ(Count("Problem"), "2");

    // A row the engine refuses (one the preview never saw) ends the import with nothing of it stored.
    rows[600].Problem.Technician = std::string(200, 'x');
    TestSupport::DebugCapture debug;
    EXPECT_EQ(RunImport(db.Connection(), rows, preview, {}, report), ImportOutcome::Failed);
    EXPECT_FALSE(debug.Lines().empty());
    EXPECT_EQ(report.TicketsAdded, 0);
    EXPECT_EQ(Count("Customer"), "2");
    EXPECT_EQ(Count("Problem"), "2");

    // A cancelled preview says so.
    EXPECT_EQ(PreviewImport(
                  db.Connection(), rows, [](size_t done, size_t) { return done == 0; }, preview),
              ImportOutcome::Cancelled);
}

TEST_F(Import, AFileCustomerIsTheStoredOneThatASaveOfItsFieldsWouldTake)
{
    // A typed field matches a stored one that begins with it, as the save's match has it.
    for (const CustomerRecord& typed :
         {Customer("Harriet"), Customer("Harriet Okafor", ""), Customer("Harriet_Okafor"), Customer("Bram Okonkwo")}) {
        int32_t saved = 0;
        ASSERT_TRUE(MatchStoredCustomer(db.Connection(), typed, saved));
        ImportPreview preview;
        ASSERT_EQ(PreviewImport(db.Connection(), {Row(2, typed)}, {}, preview), ImportOutcome::Done);
        const auto found = preview.Matches.find(ImportCustomerKey(typed));
        EXPECT_EQ(found == preview.Matches.end() ? -1 : found->second, saved) << typed.Name << "|" << typed.Address;
    }
}
