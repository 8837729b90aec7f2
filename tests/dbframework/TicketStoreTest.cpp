#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_TicketStore.h"
#include "dbframework/DBFrameWork_TransactionGuard.h"
#include "tests/support/datafiles/TestDatabase.h"
#include "tests/support/datafiles/TestSupport.h"

using DBFrameWork::TicketRecord;
using Lines = std::vector<std::string>;

namespace {

TicketRecord SampleTicket()
{
    TicketRecord ticket;
    ticket.Customer.Name = "Smith";
    ticket.Customer.Address = "1 Main St\r\nSuite 2";
    ticket.Customer.City = "Springfield";
    ticket.Customer.State = "IL";
    ticket.Customer.Zip = "62701";
    ticket.Problem.Technician = "Ann";
    ticket.Problem.Assigned = {2024, 2, 29};
    ticket.Problem.Completed = {2024, 3, 1};
    ticket.Problem.BillableHours = 3;
    ticket.Problem.ActualHours = 4;
    ticket.Problem.Description = "Paper jam\nin tray two";
    ticket.Problem.Resolution = "Roller cleaned";
    ticket.Problem.Comment = "Call back Monday";
    ticket.SystemInfo.OperatingSystem = "Windows 11";
    ticket.SystemInfo.Report = "<html>report</html>";
    return ticket;
}

// What the store reads back for a stored problem key.
TicketRecord Loaded(DBFrameWork::DBConnection& connection, int32_t problemId)
{
    DBFrameWork::Problem problem(&connection);
    EXPECT_TRUE(problem.Select({std::to_string(problemId)}));
    TicketRecord ticket;
    DBFrameWork::TicketStore store;
    EXPECT_EQ(store.Load(connection, problem.GetValues(), ticket), DBFrameWork::TicketLoad::Loaded);
    return ticket;
}

void ExpectSameTicket(const TicketRecord& actual, const TicketRecord& expected)
{
    EXPECT_EQ(actual.Customer.CustomerID, expected.Customer.CustomerID);
    EXPECT_EQ(actual.Customer.Name, expected.Customer.Name);
    EXPECT_EQ(actual.Customer.Address, expected.Customer.Address);
    EXPECT_EQ(actual.Customer.City, expected.Customer.City);
    EXPECT_EQ(actual.Customer.State, expected.Customer.State);
    EXPECT_EQ(actual.Customer.Zip, expected.Customer.Zip);
    EXPECT_EQ(actual.Problem.ProblemID, expected.Problem.ProblemID);
    EXPECT_EQ(actual.Problem.CustomerID, expected.Customer.CustomerID);
    EXPECT_EQ(actual.Problem.Technician, expected.Problem.Technician);
    EXPECT_EQ(DBFrameWork::ValueTextOf(actual.Problem.Assigned), DBFrameWork::ValueTextOf(expected.Problem.Assigned));
    EXPECT_EQ(DBFrameWork::ValueTextOf(actual.Problem.Completed), DBFrameWork::ValueTextOf(expected.Problem.Completed));
    EXPECT_EQ(actual.Problem.BillableHours, expected.Problem.BillableHours);
    EXPECT_EQ(actual.Problem.ActualHours, expected.Problem.ActualHours);
    EXPECT_EQ(actual.Problem.Description, expected.Problem.Description);
    EXPECT_EQ(actual.Problem.Resolution, expected.Problem.Resolution);
    EXPECT_EQ(actual.Problem.Comment, expected.Problem.Comment);
    EXPECT_EQ(actual.SystemInfo.ProblemID, expected.Problem.ProblemID);
    EXPECT_EQ(actual.SystemInfo.OperatingSystem, expected.SystemInfo.OperatingSystem);
    EXPECT_EQ(actual.SystemInfo.Report, expected.SystemInfo.Report);
}

}  // namespace

TEST(TicketStore, ATicketComesBackAsItWasSavedAndAnOpenOneStaysOpen)
{
    TestDatabase db;
    DBFrameWork::TicketStore store;
    TicketRecord ticket = SampleTicket();
    ASSERT_TRUE(store.Save(db.Connection(), ticket, true));
    EXPECT_GT(ticket.Customer.CustomerID, 0);
    EXPECT_GT(ticket.Problem.ProblemID, 0);
    ExpectSameTicket(Loaded(db.Connection(), ticket.Problem.ProblemID), ticket);

    // Saved again as stored, with the Complete box cleared: the row is updated
    // and its completion date becomes NULL.
    ticket.Problem.Completed = {};
    ticket.Problem.Description = "Paper jam, second visit";
    const int32_t problemId = ticket.Problem.ProblemID;
    ASSERT_TRUE(store.Save(db.Connection(), ticket, false));
    EXPECT_EQ(ticket.Problem.ProblemID, problemId);
    const TicketRecord reread = Loaded(db.Connection(), problemId);
    ExpectSameTicket(reread, ticket);
    EXPECT_FALSE(reread.Problem.Completed.IsSet());
    EXPECT_EQ(
        db.Query("SELECT COUNT(*) || ' ' || SUM(IIF(Completed IS NULL, 1, 0)) || ' ' || MIN(Assigned) FROM Problem;"),
        Lines({"1 1 2024-02-29 00:00:00.0000"}));
}

TEST(TicketStore, TicketsOfOneCustomerShareItsRowAndAnotherCustomerGetsItsOwn)
{
    TestDatabase db;
    DBFrameWork::TicketStore store;
    TicketRecord first = SampleTicket();
    ASSERT_TRUE(store.Save(db.Connection(), first, true));
    TicketRecord second = SampleTicket();
    second.Problem.Description = "Screen flickers";
    ASSERT_TRUE(store.Save(db.Connection(), second, true));
    EXPECT_EQ(second.Customer.CustomerID, first.Customer.CustomerID);
    EXPECT_NE(second.Problem.ProblemID, first.Problem.ProblemID);

    TicketRecord other = SampleTicket();
    other.Customer.Name = "Smithson";
    ASSERT_TRUE(store.Save(db.Connection(), other, true));
    EXPECT_NE(other.Customer.CustomerID, first.Customer.CustomerID);
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Customer;"), Lines({"2"}));
    EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Problem;"), Lines({"3"}));
}

TEST(TicketStore, AFailedSaveStoresNothingAndItsKeyIsUsedByTheNextAttempt)
{
    TestDatabase db;
    DBFrameWork::TicketStore store;
    TicketRecord ticket = SampleTicket();
    // Longer than its column: the Problem row is refused after both keys were drawn.
    ticket.Problem.Technician = std::string(121, 't');
    TestSupport::DebugCapture debug;
    EXPECT_FALSE(store.Save(db.Connection(), ticket, true));
    EXPECT_FALSE(debug.Lines().empty());
    const int32_t drawn = ticket.Problem.ProblemID;
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(
        db.Query("SELECT (SELECT COUNT(*) FROM Customer) || ' ' || (SELECT COUNT(*) FROM Problem) FROM RDB$DATABASE;"),
        Lines({"0 0"}));

    ticket.Problem.Technician = "Ann";
    ASSERT_TRUE(store.Save(db.Connection(), ticket, true));
    EXPECT_EQ(ticket.Problem.ProblemID, drawn);
    // A new ticket after the stored one draws a fresh key.
    TicketRecord next = SampleTicket();
    ASSERT_TRUE(store.Save(db.Connection(), next, true));
    EXPECT_EQ(next.Problem.ProblemID, drawn + 1);
}

TEST(TransactionGuard, WhatIsNotCommittedIsRolledBackWhenTheGuardEnds)
{
    TestDatabase db;
    DBFrameWork::Customer customer(&db.Connection());
    {
        DBFrameWork::TransactionGuard transaction(db.Connection());
        ASSERT_TRUE(transaction.Owned());
        customer.SetValues({"1", "Left behind", "", "", "", ""});
        ASSERT_TRUE(customer.Insert());
    }
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    {
        DBFrameWork::TransactionGuard transaction(db.Connection());
        customer.SetValues({"2", "Kept", "", "", "", ""});
        ASSERT_TRUE(customer.Insert());
        transaction.Commit();
    }
    EXPECT_EQ(db.Query("SELECT CustomerID || ' ' || Name FROM Customer;"), Lines({"2 Kept"}));
}

TEST(TicketStore, AConnectionThatRefusesWritesStoresNothing)
{
    TestDatabase db;
    db.Connection().RefuseWrites();
    DBFrameWork::TicketStore store;
    TicketRecord ticket = SampleTicket();
    TestSupport::DebugCapture debug;
    EXPECT_FALSE(store.Save(db.Connection(), ticket, true));
    EXPECT_FALSE(db.Connection().IsTransactionActive());
    EXPECT_EQ(
        db.Query("SELECT (SELECT COUNT(*) FROM Customer) || ' ' || (SELECT COUNT(*) FROM Problem) FROM RDB$DATABASE;"),
        Lines({"0 0"}));
}
