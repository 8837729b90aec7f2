#include "tests/support/datafiles/TestDatabase.h"

#include <sstream>
#include <stdexcept>

#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_SystemInfo.h"

TestDatabase::TestDatabase(bool withTables) : path_(dir_.File("Solutions.fdb"))
{
    config_.SetDataFile(path_);
    connection_ = std::make_unique<DBFrameWork::DBConnection>(&config_);
    if (!connection_->Create() || !connection_->Connect())
        throw std::runtime_error("cannot create the test data file " + path_);
    if (withTables) {
        DBFrameWork::Customer customer(connection_.get());
        DBFrameWork::Problem problem(connection_.get());
        DBFrameWork::SystemInfo systemInfo(connection_.get());
        if (!customer.Create() || !problem.Create() || !systemInfo.Create())
            throw std::runtime_error("cannot create the tables in " + path_);
    }
}

TestDatabase::~TestDatabase()
{
    if (connection_->Connected)
        connection_->Disconnect();
}

std::vector<std::string> TestDatabase::Query(const std::string& sql)
{
    const bool wasConnected = connection_->Connected;
    if (wasConnected && !connection_->Disconnect())
        throw std::runtime_error("cannot detach from " + path_);
    const std::string output = TestSupport::Isql(path_, "SET HEADING OFF;\n" + sql);
    if (wasConnected && !connection_->Connect())
        throw std::runtime_error("cannot attach again to " + path_);
    return OutputLines(output);
}

std::vector<std::string> OutputLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream stream(output);
    std::string line;
    while (std::getline(stream, line)) {
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        const size_t last = line.find_last_not_of(" \t\r");
        lines.push_back(line.substr(first, last - first + 1));
    }
    return lines;
}
