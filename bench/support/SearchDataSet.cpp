#include "bench/support/SearchDataSet.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <vector>

namespace SearchDataSet {
namespace {

// Bump when the data set changes, so that an old cache is rebuilt.
const char* const Marker = "/complete-v1";

const std::vector<std::string> FirstNames = {
    "James",     "Mary",    "John",        "Patricia", "Robert",  "Jennifer", "Michael",  "Linda",  "William",
    "Elizabeth", "David",   "Barbara",     "Richard",  "Susan",   "Joseph",   "Jessica",  "Thomas", "Sarah",
    "Charles",   "Karen",   "Christopher", "Nancy",    "Daniel",  "Lisa",     "Matthew",  "Betty",  "Anthony",
    "Margaret",  "Mark",    "Sandra",      "Donald",   "Ashley",  "Steven",   "Kimberly", "Paul",   "Emily",
    "Andrew",    "Donna",   "Joshua",      "Michelle", "Kenneth", "Dorothy",  "Kevin",    "Carol",  "Brian",
    "Amanda",    "George",  "Melissa",     "Edward",   "Deborah", "Oliver",   "Olivia",   "Ronald", "Stephanie",
    "Timothy",   "Rebecca", "Jason",       "Sharon",   "Jeffrey", "Laura"};
const std::vector<std::string> LastNames = {
    "Smith",    "Johnson",   "Williams", "Brown",    "Jones",    "Garcia",   "Miller", "Davis",   "Rodriguez",
    "Martinez", "Hernandez", "Lopez",    "Gonzalez", "Wilson",   "Anderson", "Thomas", "Taylor",  "Moore",
    "Jackson",  "Martin",    "Lee",      "Perez",    "Thompson", "White",    "Harris", "Sanchez", "Clark",
    "Ramirez",  "Lewis",     "Robinson", "Walker",   "Young",    "Allen",    "King",   "Wright",  "Scott",
    "Torres",   "Nguyen",    "Hill",     "Flores",   "Green",    "Adams",    "Nelson", "Baker",   "Hall",
    "Rivera",   "Campbell",  "Mitchell", "Carter",   "Roberts"};
const std::vector<std::string> Streets = {"Elm Street", "Oak Avenue",  "Maple Drive",      "Cedar Lane",
                                          "Pine Road",  "Main Street", "Lakeview Terrace", "Hillcrest Boulevard",
                                          "Park Place", "River Road"};
const std::vector<std::string> Cities = {"Springfield", "Riverside", "Franklin", "Greenville", "Bristol",
                                         "Clinton",     "Fairview",  "Salem",    "Madison",    "Georgetown"};
const std::vector<std::string> States = {"IL", "CA", "TX", "NY", "OH", "PA", "MI", "GA", "NC", "WA"};
const std::vector<std::string> Openings = {"Printer",
                                           "Screen",
                                           "Keyboard",
                                           "Mouse",
                                           "Laptop",
                                           "Modem",
                                           "Network",
                                           "E-mail",
                                           "Internet",
                                           "Hard disk",
                                           "Monitor",
                                           "Scanner",
                                           "Sound card",
                                           "CD-ROM drive",
                                           "Floppy drive",
                                           "Windows",
                                           "Office",
                                           "Virus scanner",
                                           "Backup",
                                           "Power supply",
                                           "Fan",
                                           "Memory",
                                           "Video card",
                                           "Web browser",
                                           "Outlook",
                                           "Router",
                                           "Battery",
                                           "Speakers",
                                           "Webcam",
                                           "Telephone line",
                                           "Fax",
                                           "Spreadsheet",
                                           "Database",
                                           "Accounting software",
                                           "Game",
                                           "Tablet",
                                           "Camera",
                                           "Music player",
                                           "Point of sale terminal",
                                           "Label printer"};
const std::vector<std::string> Sentences = {
    " stops working after a few minutes and has to be restarted.",
    " shows an error message about a missing file when it starts.",
    " is very slow since the last update was installed by the customer.",
    " makes a loud clicking noise when the machine is switched on in the morning.",
    " was working fine until a thunderstorm last week; now nothing happens at all.",
    " cannot be found by the system although the cable was checked twice.",
    " prints blank pages or pages with garbled characters at the bottom.",
    " freezes the whole machine, only the reset button helps.",
    " asks for a password that nobody in the office remembers.",
    " worked on the old computer but not on the new one bought last month.",
    " reports that the disk is full even after old files were deleted.",
    " loses the connection several times an hour, mostly in the afternoon."};

std::string Pick(std::mt19937& random, const std::vector<std::string>& list)
{
    return list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)];
}

std::string Description(std::mt19937& random)
{
    std::string text = Pick(random, Openings);
    const size_t target = std::uniform_int_distribution<size_t>(200, 600)(random);
    text += Pick(random, Sentences);
    while (text.size() < target)
        text += "\r\nAlso: the" + Pick(random, Sentences);
    return text;
}

std::string Report(std::mt19937& random, int ticket)
{
    std::string text = "<html><head><title>System information of ticket " + std::to_string(ticket) +
        "</title></head><body><table>\n";
    const size_t target = std::uniform_int_distribution<size_t>(20000, 60000)(random);
    for (int row = 0; text.size() < target; ++row)
        text += "<tr><td>Device " + std::to_string(row) + "</td><td>PCI\\VEN_8086&amp;DEV_" +
            std::to_string(1000 + random() % 9000) + " Intel chipset function</td></tr>\n";
    return text + "</table></body></html>\n";
}

void SetBlob(IBPP::Statement& statement, int parameter, IBPP::Database& database, IBPP::Transaction& transaction,
             const std::string& text)
{
    IBPP::Blob blob = IBPP::BlobFactory(database, transaction);
    blob->Create();
    for (size_t at = 0; at < text.size(); at += 65535)
        blob->Write(text.data() + at, static_cast<int>(std::min<size_t>(65535, text.size() - at)));
    blob->Close();
    statement->Set(parameter, blob);
}

}  // namespace

std::string CacheFolder()
{
    return "/tmp/velmora-bench-search";
}

bool IsCached()
{
    return std::ifstream(CacheFolder() + Marker).good();
}

void MarkCached()
{
    std::ofstream(CacheFolder() + Marker) << TicketCount << " tickets\n";
}

void Fill(IBPP::Database database)
{
    Fill(database, TicketCount, CustomerCount);
}

void Fill(IBPP::Database database, int ticketCount, int customerCount)
{
    std::mt19937 random(20041225);
    IBPP::Transaction transaction = IBPP::TransactionFactory(database, IBPP::amWrite);
    transaction->Start();
    IBPP::Statement customer = IBPP::StatementFactory(database, transaction);
    customer->Prepare("INSERT INTO Customer (CustomerID, Name, Address, City, State, Zip) VALUES (?, ?, ?, ?, ?, ?)");
    for (int id = 1; id <= customerCount; ++id) {
        customer->Set(1, static_cast<int32_t>(id));
        customer->Set(2, Pick(random, FirstNames) + " " + Pick(random, LastNames));
        customer->Set(3,
                      std::to_string(1 + random() % 9999) + " " + Pick(random, Streets) + "\r\nSuite " +
                          std::to_string(1 + random() % 400));
        customer->Set(4, Pick(random, Cities));
        customer->Set(5, Pick(random, States));
        customer->Set(6, std::to_string(10000 + random() % 89999));
        customer->Execute();
    }
    transaction->Commit();

    IBPP::Statement problem = IBPP::StatementFactory(database, transaction);
    IBPP::Statement systemInfo = IBPP::StatementFactory(database, transaction);
    const int batch = 5000;
    for (int first = 1; first <= ticketCount; first += batch) {
        transaction = IBPP::TransactionFactory(database, IBPP::amWrite);
        transaction->Start();
        problem = IBPP::StatementFactory(database, transaction);
        problem->Prepare("INSERT INTO Problem (ProblemID, Technician, Assigned, Completed, BillableHours, "
                         "ActualHours, Description, Resolution, Comment, CustomerID) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        systemInfo = IBPP::StatementFactory(database, transaction);
        systemInfo->Prepare("INSERT INTO SystemInfo (ProblemID, OperatingSystem, Description) VALUES (?, ?, ?)");
        for (int id = first; id < first + batch && id <= ticketCount; ++id) {
            const IBPP::Timestamp assigned(1998 + random() % 8, 1 + random() % 12, 1 + random() % 28);
            problem->Set(1, static_cast<int32_t>(id));
            problem->Set(2, Pick(random, FirstNames));
            problem->Set(3, assigned);
            if (random() % 3)
                problem->Set(4, assigned);
            else
                problem->SetNull(4);
            problem->Set(5, static_cast<int32_t>(random() % 8));
            problem->Set(6, static_cast<int32_t>(random() % 10));
            SetBlob(problem, 7, database, transaction, Description(random));
            SetBlob(problem, 8, database, transaction, "Resolved on site:" + Pick(random, Sentences));
            if (random() % 2)
                SetBlob(problem, 9, database, transaction, "Customer called back; note:" + Pick(random, Sentences));
            else
                problem->SetNull(9);
            problem->Set(10, static_cast<int32_t>(1 + random() % customerCount));
            problem->Execute();

            systemInfo->Set(1, static_cast<int32_t>(id));
            systemInfo->Set(2, std::string(random() % 2 ? "Windows XP" : "Windows 2000"));
            if (id % 50 == 0)
                SetBlob(systemInfo, 3, database, transaction, Report(random, id));
            else
                systemInfo->SetNull(3);
            systemInfo->Execute();
        }
        problem.reset();
        systemInfo.reset();
        transaction->Commit();
        std::fprintf(stderr, "\r%d tickets", std::min(first + batch - 1, ticketCount));
    }
    std::fprintf(stderr, "\n");

    transaction = IBPP::TransactionFactory(database, IBPP::amWrite);
    transaction->Start();
    IBPP::Statement generators = IBPP::StatementFactory(database, transaction);
    generators->ExecuteImmediate("SET GENERATOR CustomerIDValue TO " + std::to_string(customerCount));
    generators->ExecuteImmediate("SET GENERATOR ProblemIDValue TO " + std::to_string(ticketCount));
    generators.reset();
    transaction->Commit();
}

}  // namespace SearchDataSet
