#include "tests/find/FindFixture.h"

#include <chrono>
#include <stdexcept>
#include <thread>

#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_Transaction.h"

FindDataFile::FindDataFile() : path_(dir_.File("Solutions.fdb"))
{
    connection_ = std::make_unique<DBFrameWork::DBConnection>(path_);
    if (!connection_->Create() || !connection_->Connect())
        throw std::runtime_error("cannot create " + path_);
    std::string failed;
    if (DBFrameWork::LayOutSchema(*connection_, failed) != DBFrameWork::SchemaOutcome::Completed)
        throw std::runtime_error("cannot lay out " + failed);
}

FindDataFile::~FindDataFile()
{
    if (connection_->Connected)
        connection_->Disconnect();
}

void FindDataFile::Execute(const std::string& sql, DBFrameWork::DBConnection* connection)
{
    if (!DBFrameWork::RunInTransaction(connection ? *connection : *connection_, "test SQL",
                                       [&](IBPP::Statement& statement) { statement->ExecuteImmediate(sql); }))
        throw std::runtime_error("failed: " + sql);
}

DBFrameWork::TicketRecord SampleTicket(int32_t problemID)
{
    DBFrameWork::TicketRecord ticket;
    ticket.Customer = {problemID, "Ann Smith", "1 Elm Street", "Springfield", "IL", "62701"};
    ticket.Problem.ProblemID = problemID;
    ticket.Problem.Technician = "Bob";
    ticket.Problem.Assigned = {2004, 6, 1};
    ticket.Problem.BillableHours = 1;
    ticket.Problem.ActualHours = 1;
    ticket.Problem.CustomerID = problemID;
    ticket.SystemInfo.ProblemID = problemID;
    ticket.SystemInfo.OperatingSystem = "Windows XP";
    return ticket;
}

void FindDataFile::Add(const DBFrameWork::TicketRecord& ticket, DBFrameWork::DBConnection* connection)
{
    DBFrameWork::DBConnection& on = connection ? *connection : *connection_;
    const bool ok = DBFrameWork::RunInTransaction(on, "test ticket", [&](IBPP::Statement& statement) {
        const auto blob = [&](int parameter, const std::string& text) {
            if (text.empty()) {
                statement->SetNull(parameter);
                return;
            }
            IBPP::Blob value = on.GetBlob();
            value->Create();
            value->Write(text.data(), static_cast<int>(text.size()));
            value->Close();
            statement->Set(parameter, value);
        };
        const auto date = [&](int parameter, const DBFrameWork::CalendarDate& day) {
            if (day.IsSet())
                statement->Set(parameter, IBPP::Timestamp(day.year, day.month, day.day));
            else
                statement->SetNull(parameter);
        };
        const DBFrameWork::CustomerRecord& customer = ticket.Customer;
        statement->Prepare("INSERT INTO Customer (CustomerID, Name, Address, City, State, Zip) "
                           "VALUES (?, ?, ?, ?, ?, ?)");
        statement->Set(1, customer.CustomerID);
        statement->Set(2, customer.Name);
        statement->Set(3, customer.Address);
        statement->Set(4, customer.City);
        statement->Set(5, customer.State);
        statement->Set(6, customer.Zip);
        statement->Execute();
        const DBFrameWork::ProblemRecord& problem = ticket.Problem;
        statement->Prepare("INSERT INTO Problem (ProblemID, Technician, Assigned, Completed, BillableHours, "
                           "ActualHours, Description, Resolution, Comment, CustomerID) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        statement->Set(1, problem.ProblemID);
        statement->Set(2, problem.Technician);
        date(3, problem.Assigned);
        date(4, problem.Completed);
        statement->Set(5, problem.BillableHours);
        statement->Set(6, problem.ActualHours);
        blob(7, problem.Description);
        blob(8, problem.Resolution);
        blob(9, problem.Comment);
        statement->Set(10, problem.CustomerID);
        statement->Execute();
        statement->Prepare("INSERT INTO SystemInfo (ProblemID, OperatingSystem, Description) VALUES (?, ?, ?)");
        statement->Set(1, ticket.SystemInfo.ProblemID);
        statement->Set(2, ticket.SystemInfo.OperatingSystem);
        blob(3, ticket.SystemInfo.Report);
        statement->Execute();
    });
    if (!ok)
        throw std::runtime_error("cannot store ticket " + std::to_string(ticket.Problem.ProblemID));
}

bool WaitForIndex(DBFrameWork::FindIndex& index)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (index.Progress().Building) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::vector<int32_t> Keys(const std::vector<DBFrameWork::FindHit>& hits)
{
    std::vector<int32_t> keys;
    for (const auto& hit : hits)
        keys.push_back(hit.ProblemID);
    return keys;
}
