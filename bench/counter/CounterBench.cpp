// The counter over the search benchmark's 100,000 tickets and 40,000
// customers, most of them given phones and an e-mail address, and most
// tickets a state, a promised date, a device and a history: the customer
// list's search (by a phone number's last four digits, a name part, an e-mail
// part), the open tickets' first screen with their states, and opening a
// ticket with its job, set against the three rows alone that a ticket was
// before. Works on a copy of the cached data file in a folder of its own.
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/MainUnit.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/SearchDataSet.h"
#include "dbframework/DBFrameWork_Customer.h"
#include "dbframework/DBFrameWork_CustomerDirectory.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_JobStore.h"
#include "dbframework/DBFrameWork_Problem.h"
#include "dbframework/DBFrameWork_Reports.h"
#include "dbframework/DBFrameWork_Schema.h"
#include "dbframework/DBFrameWork_SystemInfo.h"
#include "dbframework/DBFrameWork_TicketStore.h"
#include "dbframework/DBFrameWork_TransactionGuard.h"
#include "dialogs/Interaction.h"
#include "settings/Quenbrook_CounterSettings.h"

namespace fs = std::filesystem;
using BenchSupport::Median;
using BenchSupport::TimeMs;

namespace {

constexpr int Runs = 50;
constexpr int Limit = 200;
// Three customers in four have a phone; every one of those an e-mail address too.
constexpr int PhoneEvery = 4;

void BuildCacheIfMissing()
{
    if (SearchDataSet::IsCached())
        return;
    const std::string cache = SearchDataSet::CacheFolder();
    fs::remove_all(cache);
    fs::create_directories(cache);
    if (chdir(cache.c_str()) != 0)
        throw std::runtime_error("cannot enter " + cache);
    std::fprintf(stderr, "Building the data set in %s ...\n", cache.c_str());
    {
        TMainForm creator(ProgramPaths::InFolder(QDir::currentPath()));
        SearchDataSet::Fill(creator.GetConnection()->GetDatabase());
    }
    SearchDataSet::MarkCached();
}

std::string Number(std::mt19937& random)
{
    char text[16];
    std::snprintf(text, sizeof text, "555-%03u-%04u", static_cast<unsigned>(random() % 1000),
                  static_cast<unsigned>(random() % 10000));
    return text;
}

// The phones of the customers that have one, by CustomerID - 1 ("" for none).
std::vector<std::string> GivePhones(DBFrameWork::DBConnection& connection)
{
    std::mt19937 random(20240611);
    std::vector<std::string> phones(SearchDataSet::CustomerCount);
    DBFrameWork::TransactionGuard transaction(connection);
    for (int id = 1; id <= SearchDataSet::CustomerCount; ++id) {
        if (id % PhoneEvery == 0)
            continue;
        DBFrameWork::ContactsRecord contacts;
        phones[static_cast<size_t>(id - 1)] = Number(random);
        contacts.Phones.push_back({id % 3 ? "mobile" : "home", phones[static_cast<size_t>(id - 1)]});
        contacts.Email = "customer" + std::to_string(id) + "@mail" + std::to_string(id % 97) + ".example.com";
        if (!DBFrameWork::StoreContacts(connection, id, contacts))
            throw std::runtime_error("the contacts of customer " + std::to_string(id) + " could not be stored");
    }
    transaction.Commit();
    return phones;
}

// Gives four tickets in five a job: a state, a promised date, a device of
// its customer and two lines of history. Answers the number of jobs.
int GiveJobs(DBFrameWork::DBConnection& connection)
{
    const std::vector<std::string>& states = Quenbrook::DefaultJobStates();
    std::vector<std::pair<int32_t, int32_t>> tickets;  // problem, customer
    {
        DBFrameWork::TransactionGuard transaction(connection);
        IBPP::Statement read = connection.GetStatement();
        read->Prepare("SELECT ProblemID, CustomerID FROM Problem ORDER BY ProblemID");
        read->Execute();
        while (read->Fetch()) {
            int32_t problem = 0, customer = 0;
            read->Get(1, problem);
            read->Get(2, customer);
            tickets.emplace_back(problem, customer);
        }
        transaction.Commit();
    }
    DBFrameWork::TransactionGuard transaction(connection);
    IBPP::Statement device = connection.GetStatement();
    device->Prepare("INSERT INTO Device (DeviceID, CustomerID, Kind, MakeModel, Serial) VALUES (?, ?, ?, ?, ?)");
    IBPP::Statement job = connection.GetStatement();
    job->Prepare("INSERT INTO Job (ProblemID, State, PromisedBy, DeviceID, Accessories) VALUES (?, ?, ?, ?, ?)");
    IBPP::Statement event = connection.GetStatement();
    event->Prepare("INSERT INTO JobEvent (EventID, ProblemID, EventTime, UserName, Kind, Detail) "
                   "VALUES (GEN_ID(JobEventIDValue, 1), ?, CAST('NOW' AS TIMESTAMP), 'bench', 'state', ?)");
    const char* kinds[] = {"laptop", "desktop", "phone", "tablet", "printer"};
    int jobs = 0;
    for (const auto& [problem, customer] : tickets) {
        if (problem % 5 == 0)
            continue;
        device->Set(1, problem);
        device->Set(2, customer);
        device->Set(3, kinds[problem % 5]);
        device->Set(4, "Model " + std::to_string(problem % 300));
        device->Set(5, "SN" + std::to_string(1000000 + problem));
        device->Execute();
        const std::string& state = states[static_cast<size_t>(problem) % (states.size() - 1)];
        job->Set(1, problem);
        job->Set(2, state);
        job->Set(3, IBPP::Timestamp(2026, 1 + problem % 12, 1 + problem % 28));
        job->Set(4, problem);
        job->Set(5, "charger");
        job->Execute();
        for (const std::string& detail : {states.front(), state}) {
            event->Set(1, problem);
            event->Set(2, detail);
            event->Execute();
        }
        ++jobs;
    }
    transaction.Commit();
    return jobs;
}

void Report(const char* name, const std::vector<double>& times, const std::vector<size_t>& rows)
{
    const double worst = *std::max_element(times.begin(), times.end());
    std::printf("%-28s median %7.2f ms, worst %7.2f ms, rows median %zu, max %zu\n", name, Median(times), worst,
                static_cast<size_t>(Median(std::vector<double>(rows.begin(), rows.end()))),
                *std::max_element(rows.begin(), rows.end()));
}

template <typename Term>
void Time(DBFrameWork::DBConnection& connection, const char* name, Term term)
{
    std::vector<double> times;
    std::vector<size_t> rows;
    std::vector<DBFrameWork::CustomerListRow> found;
    for (int run = 0; run < Runs; ++run) {
        const std::string text = term(run);
        bool read = false;
        times.push_back(TimeMs([&] { read = DBFrameWork::SearchCustomers(connection, text, Limit, found); }));
        if (!read)
            throw std::runtime_error(std::string("the search failed: ") + name + " \"" + text + "\"");
        rows.push_back(found.size());
    }
    Report(name, times, rows);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Interaction::NameApplication();
    BenchSupport::PrintingBackend backend;
    Interaction::SetBackend(&backend);
    char folderName[] = "/tmp/velmora-bench-counter.XXXXXX";
    if (!mkdtemp(folderName)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = folderName;
    int status = 0;
    try {
        BuildCacheIfMissing();
        const std::string path = folder + "/Solutions.fdb";
        fs::copy_file(SearchDataSet::CacheFolder() + "/Data/Solutions.fdb", path);
        DBFrameWork::DBConnection connection(path);
        if (!connection.Connect())
            throw std::runtime_error("cannot attach " + path);
        std::string failed;
        const DBFrameWork::SchemaOutcome outcome = DBFrameWork::LayOutSchema(connection, failed);
        if (outcome != DBFrameWork::SchemaOutcome::Whole && outcome != DBFrameWork::SchemaOutcome::Completed)
            throw std::runtime_error("the copy's schema could not be completed: " + failed);
        std::vector<std::string> phones;
        const double storing = TimeMs([&] { phones = GivePhones(connection); });
        std::printf("%d customers, %d with a phone and an e-mail address (stored in %.0f ms), %d runs each, limit %d\n",
                    SearchDataSet::CustomerCount,
                    SearchDataSet::CustomerCount - SearchDataSet::CustomerCount / PhoneEvery, storing, Runs, Limit);
        // Warms the engine's page cache, so that the first run is not the worst for that alone.
        std::vector<DBFrameWork::CustomerListRow> warm;
        DBFrameWork::SearchCustomers(connection, "", Limit, warm);

        Time(connection, "phone, last four digits", [&](int run) {
            const std::string& phone = phones[static_cast<size_t>(run * 797 % SearchDataSet::CustomerCount)];
            return phone.empty() ? std::string("0000") : phone.substr(phone.size() - 4);
        });
        const std::vector<std::string> names = {"Carter", "olivia", "Smith", "Jennifer Nguyen", "ert"};
        Time(connection, "name part", [&](int run) { return names[static_cast<size_t>(run) % names.size()]; });
        Time(connection, "e-mail part", [&](int run) {
            return run % 2 ? "@mail" + std::to_string(run) + ".example"
                           : "customer" + std::to_string(run * 613 + 1) + "@";
        });
        Time(connection, "everyone (empty text)", [](int) { return std::string(); });

        int jobs = 0;
        const double giving = TimeMs([&] { jobs = GiveJobs(connection); });
        std::printf("%d tickets given a state, a promised date, a device and two lines of history (in %.0f ms)\n", jobs,
                    giving);
        DBFrameWork::StringList states(Quenbrook::DefaultJobStates().begin(), Quenbrook::DefaultJobStates().end());
        for (const bool byPromised : {false, true}) {
            std::vector<double> screen;
            size_t shown = 0;
            for (int run = 0; run < Runs; ++run)
                screen.push_back(TimeMs([&] {
                    DBFrameWork::OpenTicketCursor cursor(connection);
                    DBFrameWork::OpenTicketQuery query;
                    query.states = states;
                    query.byPromised = byPromised;
                    std::vector<DBFrameWork::OpenTicket> tickets;
                    if (cursor.Open(query) != DBFrameWork::QueryOutcome::Done ||
                        cursor.Next(200, tickets) != DBFrameWork::QueryOutcome::Done)
                        throw std::runtime_error("the open tickets were not read");
                    shown = tickets.size();
                }));
            Report(byPromised ? "open tickets, by promised" : "open tickets, first screen", screen,
                   std::vector<size_t>(Runs, shown));
        }

        // Opening a ticket: the three rows as before, and the whole ticket with its job and history.
        std::vector<double> threeRows, whole;
        DBFrameWork::TicketStore store("bench");
        for (int run = 0; run < Runs * 4; ++run) {
            const std::string key = std::to_string(1 + run * 977 % SearchDataSet::TicketCount);
            DBFrameWork::Problem problem(&connection);
            if (!problem.Select({key}))
                throw std::runtime_error("ticket " + key + " was not read");
            const DBFrameWork::StringList values = problem.GetValues();
            DBFrameWork::TicketRecord ticket;
            threeRows.push_back(TimeMs([&] {
                DBFrameWork::Customer customer(&connection);
                DBFrameWork::SystemInfo systemInfo(&connection);
                DBFrameWork::ReadValues(values, ticket.Problem);
                customer.Select({std::to_string(ticket.Problem.CustomerID)});
                systemInfo.Select({key});
            }));
            whole.push_back(TimeMs([&] { store.Load(connection, values, ticket); }));
        }
        Report("open a ticket, three rows", threeRows, std::vector<size_t>(threeRows.size(), 1));
        Report("open a ticket with its job", whole, std::vector<size_t>(whole.size(), 1));
        connection.Disconnect();
    } catch (const std::exception& error) {
        std::printf("failed: %s\n", error.what());
        status = 1;
    }
    fs::remove_all(folder);
    return status;
}
