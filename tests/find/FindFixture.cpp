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

void FindDataFile::Add(const StoredTicket& ticket, DBFrameWork::DBConnection* connection)
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
        statement->Prepare("INSERT INTO Customer (CustomerID, Name, Address, City, State, Zip) "
                           "VALUES (?, ?, '1 Elm Street', ?, 'IL', '62701')");
        statement->Set(1, ticket.ProblemID);
        statement->Set(2, ticket.Name);
        statement->Set(3, ticket.City);
        statement->Execute();
        statement->Prepare("INSERT INTO Problem (ProblemID, Technician, Assigned, Completed, BillableHours, "
                           "ActualHours, Description, Resolution, Comment, CustomerID) "
                           "VALUES (?, ?, ?, ?, 1, 1, ?, ?, ?, ?)");
        statement->Set(1, ticket.ProblemID);
        statement->Set(2, ticket.Technician);
        const IBPP::Timestamp assigned(ticket.Year, ticket.Month, ticket.Day);
        statement->Set(3, assigned);
        if (ticket.Completed)
            statement->Set(4, assigned);
        else
            statement->SetNull(4);
        blob(5, ticket.Description);
        blob(6, ticket.Resolution);
        blob(7, ticket.Comment);
        statement->Set(8, ticket.ProblemID);
        statement->Execute();
        statement->Prepare("INSERT INTO SystemInfo (ProblemID, OperatingSystem, Description) VALUES (?, ?, ?)");
        statement->Set(1, ticket.ProblemID);
        statement->Set(2, ticket.OperatingSystem);
        blob(3, ticket.Report);
        statement->Execute();
    });
    if (!ok)
        throw std::runtime_error("cannot store ticket " + std::to_string(ticket.ProblemID));
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
