// Find Solutions over the search benchmark's 100,000 tickets: the full index
// build, its size and the program's peak memory meanwhile, the median time
// from query text to the first 50 ranked hits with snippets, the same
// question asked of the engine alone (CONTAINING, unranked), the look for
// changes before a search, a save with the index kept in step against one
// without, and a ticket given a 1 MB log taken into the index. Works on a
// copy of the cached data file; prints figures only.
#include <QApplication>
#include <QDir>
#include <QTextEdit>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <thread>
#include <unistd.h>

#include "app/MainUnit.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/SearchDataSet.h"
#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FileStore.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_ReadTransaction.h"
#include "dbframework/DBFrameWork_Ticket.h"
#include "dbframework/DBFrameWork_Transaction.h"
#include "dialogs/Interaction.h"
#include "tests/support/controls/Controls.h"

namespace fs = std::filesystem;
using BenchSupport::Median;
using BenchSupport::TimeMs;

namespace {

const std::string Folder = "/tmp/velmora-bench-find";
constexpr int Queries = 200;
constexpr int Saves = 15;

struct DataSet {
    std::string cacheFolder;  // holds Data/Solutions.fdb
    int tickets;
    int customers;
    int engineQueries;
};

std::string Marker(const DataSet& set)
{
    return set.cacheFolder + "/complete-find-" + std::to_string(set.tickets);
}

bool IsCached(const DataSet& set)
{
    if (set.tickets == SearchDataSet::TicketCount)
        return SearchDataSet::IsCached();
    return fs::exists(Marker(set));
}

void BuildDataSet(const DataSet& set)
{
    fs::remove_all(set.cacheFolder);
    fs::create_directories(set.cacheFolder);
    if (chdir(set.cacheFolder.c_str()) != 0)
        throw std::runtime_error("cannot enter " + set.cacheFolder);
    std::fprintf(stderr, "Building the data set in %s ...\n", set.cacheFolder.c_str());
    const double ms = TimeMs([&] {
        TMainForm creator(ProgramPaths::InFolder(QDir::currentPath()));
        SearchDataSet::Fill(creator.GetConnection()->GetDatabase(), set.tickets, set.customers);
    });
    if (set.tickets == SearchDataSet::TicketCount)
        SearchDataSet::MarkCached();
    else
        std::ofstream(Marker(set)) << set.tickets << " tickets\n";
    std::printf("data set of %d tickets generated and cached in %s in %.1f s\n", set.tickets, set.cacheFolder.c_str(),
                ms / 1000);
}

// The peak resident size of this process in MB since the last reset.
double PeakMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    return 0;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

uint64_t FolderBytes(const fs::path& folder)
{
    uint64_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            bytes += entry.file_size();
    return bytes;
}

// Words of four letters or more from the descriptions, resolutions and
// comments of random tickets; every fourth query has two of them.
std::vector<std::string> DrawQueries(DBFrameWork::DBConnection& connection, int tickets)
{
    std::mt19937 random(77);
    std::vector<std::string> queries;
    while (queries.size() < Queries) {
        DBFrameWork::TicketRecord ticket;
        const int32_t id = static_cast<int32_t>(1 + random() % tickets);
        if (DBFrameWork::ReadTicket(connection, id, ticket) != DBFrameWork::TicketRead::Found)
            continue;
        const std::string text = ticket.Problem.Description + " " + ticket.Problem.Resolution + " " +
            ticket.Problem.Comment;
        std::vector<std::string> words;
        std::string word;
        for (const char c : text + " ") {
            if (std::isalpha(static_cast<unsigned char>(c))) {
                word += c;
            } else {
                if (word.size() >= 4)
                    words.push_back(word);
                word.clear();
            }
        }
        if (words.empty())
            continue;
        std::string query = words[random() % words.size()];
        if (queries.size() % 4 == 3)
            query += " " + words[random() % words.size()];
        queries.push_back(query);
    }
    return queries;
}

int EngineScan(DBFrameWork::DBConnection& connection, const std::string& word)
{
    int rows = 0;
    DBFrameWork::RunRead(connection, "bench", [&](IBPP::Statement& statement) {
        statement->Prepare("SELECT ProblemID FROM Problem WHERE Description CONTAINING ? "
                           "OR Resolution CONTAINING ? OR Comment CONTAINING ?");
        for (int parameter = 1; parameter <= 3; ++parameter)
            statement->Set(parameter, word);
        statement->Execute();
        while (statement->Fetch())
            ++rows;
    });
    return rows;
}

void SetTriggers(DBFrameWork::DBConnection& connection, bool active)
{
    for (const char* trigger : {"FindChange_Problem", "FindChange_SystemInfo", "FindChange_Customer"})
        DBFrameWork::RunInTransaction(connection, "bench", [&](IBPP::Statement& statement) {
            statement->ExecuteImmediate(std::string("ALTER TRIGGER ") + trigger + (active ? " ACTIVE" : " INACTIVE"));
        });
}

// A log of `bytes` bytes whose one rare word lies near its end.
std::string BenchLog(size_t bytes, int round)
{
    std::string log;
    const std::string line = "2024-05-01 10:00:00 INFO setup step completed, continuing with the next package\n";
    const std::string rare = "error 0x8007" + std::to_string(1000 + round) + " writing the registry\n";
    while (log.size() + line.size() + rare.size() <= bytes)
        log += line;
    return log + rare + std::string(bytes - log.size() - rare.size(), ' ');
}

// A ticket given a 1 MB log each round (the last one taken off): the time the
// index takes to take it in (read from the data file and indexed), and a
// search for its rare word.
void MeasureLargeLog(DBFrameWork::DBConnection& connection, DBFrameWork::FindIndex& index)
{
    const int32_t problemId = 1234;
    DBFrameWork::TicketRecord ticket;
    ticket.Problem.ProblemID = problemId;
    std::vector<double> takeIn, find;
    bool named = true;
    for (int round = 0; round < 7; ++round) {
        ticket.RemovedFiles.clear();
        if (!ticket.Files.empty())
            ticket.RemovedFiles.push_back(ticket.Files.front().FileID);
        DBFrameWork::TicketFileRecord file;
        file.Name = "setup-" + std::to_string(round) + ".log";
        file.MediaType = "text/plain";
        file.Content = std::make_shared<const std::string>(BenchLog(1048576, round));
        ticket.Files = {file};
        if (!DBFrameWork::SaveFiles(connection, ticket, "bench", false)) {
            std::printf("the log could not be stored\n");
            return;
        }
        takeIn.push_back(TimeMs([&] {
            while (!index.CatchUp()) {}
        }));
        std::vector<DBFrameWork::FindHit> hits;
        const std::string word = "0x8007" + std::to_string(1000 + round);
        find.push_back(TimeMs([&] { hits = index.Search(word + " "); }));
        named = named && hits.size() == 1 && hits[0].ProblemID == problemId &&
            hits[0].Snippet.find(file.Name) != std::string::npos;
    }
    std::printf("a ticket given a 1 MB log, taken into the index (read and indexed): median %.1f ms over %zu; "
                "a search for a word near the log's end: median %.2f ms; found with the log named: %s\n",
                Median(takeIn), takeIn.size(), Median(find), named ? "yes" : "NO");
}

// Every figure for one data set; the last line sums it up.
void Measure(const DataSet& set)
{
    if (!IsCached(set))
        BuildDataSet(set);
    // A copy of its own: the cached file stays as it was generated.
    fs::remove_all(Folder);
    fs::create_directories(Folder + "/Data");
    fs::copy_file(set.cacheFolder + "/Data/Solutions.fdb", Folder + "/Data/Solutions.fdb");
    if (chdir(Folder.c_str()) != 0)
        throw std::runtime_error("cannot enter " + Folder);

    TMainForm form(ProgramPaths::InFolder(QDir::currentPath()));
    DBFrameWork::DBConnection& connection = *form.GetConnection();
    const double dataMb = fs::file_size("Data/Solutions.fdb") / 1e6;
    std::printf("data file %s/Data/Solutions.fdb: %d tickets, %.0f MB\n", Folder.c_str(), set.tickets, dataMb);

    // What the build spends on reading alone.
    {
        DBFrameWork::DBConnection reader(connection.GetPath());
        reader.Connect();
        int32_t position = 0, last = 0;
        size_t bytes = 0;
        const double readMs = TimeMs([&] {
            for (;;) {
                int count = 0;
                DBFrameWork::ReadTicketBatch(
                    reader, position, 2500,
                    [&](const DBFrameWork::TicketRecord& ticket) {
                        bytes += ticket.Problem.Description.size() + ticket.SystemInfo.Report.size();
                        ++count;
                    },
                    last);
                if (count == 0)
                    break;
                position = last;
            }
        });
        reader.Disconnect();
        std::printf("reading every ticket as the build does: %.1f s (%.0f MB of text)\n", readMs / 1000, bytes / 1e6);
    }

    // The full build, as the program starts it: in the background.
    ResetPeak();
    const double startPeak = PeakMb();
    DBFrameWork::FindIndex* index = nullptr;
    const double buildMs = TimeMs([&] {
        index = form.GetFindIndex();
        while (index->Progress().Building)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    const DBFrameWork::FindProgress built = index->Progress();
    if (!built.Failure.empty())
        std::printf("index build failed: %s\n", built.Failure.c_str());
    const bool large = set.tickets > SearchDataSet::TicketCount;
    std::printf("full index build: %.1f s for %lld tickets%s\n", buildMs / 1000, static_cast<long long>(built.Done),
                large ? "" : " (limit 60 s)");
    std::printf("peak memory of the program during the rebuild: %.0f MB (%.0f MB before it; limit 300 MB)\n", PeakMb(),
                startPeak);
    const double indexMb = FolderBytes(index->GetFolder()) / 1e6;
    std::printf("index size: %.0f MB, %.0f%% of the data file's %.0f MB\n", indexMb, 100 * indexMb / dataMb, dataMb);

    const std::vector<std::string> queries = DrawQueries(connection, set.tickets);
    index->Search(queries[0]);  // the first search opens the tables
    std::vector<double> find;
    size_t hits = 0;
    for (const std::string& query : queries)
        find.push_back(TimeMs([&] { hits += index->Search(query, 50).size(); }));
    const double findMs = Median(find);
    std::sort(find.begin(), find.end());
    std::printf("query to 50 ranked hits with snippets: median %.2f ms, 90th percentile %.2f ms, over %d queries "
                "(%.1f hits each; limit %d ms)\n",
                findMs, find[find.size() * 9 / 10], Queries, static_cast<double>(hits) / Queries, large ? 50 : 20);

    std::vector<double> engine;
    int rows = 0;
    for (int i = 0; i < set.engineQueries; ++i) {
        const std::string word = queries[static_cast<size_t>(i)].substr(0, queries[static_cast<size_t>(i)].find(' '));
        engine.push_back(TimeMs([&] { rows += EngineScan(connection, word); }));
    }
    const double engineMs = Median(engine);
    std::printf("engine alone, CONTAINING over description, resolution and comment, unranked: median %.0f ms over "
                "%d of the queries (%.0f rows each); ratio %.0fx\n",
                engineMs, set.engineQueries, static_cast<double>(rows) / set.engineQueries, engineMs / findMs);

    std::vector<double> looks;
    for (int i = 0; i < 1000; ++i)
        looks.push_back(TimeMs([&] { index->CatchUp(); }));
    std::printf("look for changes before a search, none there: median %.3f ms\n", Median(looks));

    // A save of one ticket through the window, with and without the change log
    // and the index taking the change in.
    if (!form.OpenStoredProblem(4321))
        std::printf("ticket 4321 could not be opened\n");
    QTextEdit* problemEdit = Control<QTextEdit>(form, "ProblemRichEdit");
    const QString original = problemEdit->toPlainText();
    int edit = 0;
    const auto save = [&](bool withIndex) {
        problemEdit->setPlainText(original + " change " + QString::number(++edit));
        return TimeMs([&] {
            if (!form.SaveProblem())
                std::printf("save failed\n");
            if (withIndex)
                index->CatchUp();
        });
    };
    // Rounds alternate so that a slow stretch of the machine hits all three alike.
    std::vector<double> without, logged, kept;
    for (int round = 0; round < 4; ++round) {
        SetTriggers(connection, false);
        for (int i = 0; i < Saves; ++i)
            without.push_back(save(false));
        SetTriggers(connection, true);
        for (int i = 0; i < Saves; ++i)
            logged.push_back(save(false));
        index->CatchUp();
        for (int i = 0; i < Saves; ++i)
            kept.push_back(save(true));
    }
    const double withoutMs = Median(without), loggedMs = Median(logged), keptMs = Median(kept);
    std::printf("save with the change log written (the index takes it in at the next search): median %.2f ms, "
                "without: %.2f ms, %.2fx (limit 1.2x)\n",
                loggedMs, withoutMs, loggedMs / withoutMs);
    std::printf("save and the index taking it in at once: median %.2f ms, %.2fx the save without\n", keptMs,
                keptMs / withoutMs);
    const auto found = index->Search("change " + std::to_string(edit) + " ");
    std::printf("the last save is found: %s\n", !found.empty() && found[0].ProblemID == 4321 ? "yes" : "NO");
    MeasureLargeLog(connection, *index);
    std::printf("find: %.2f ms median over %d tickets, %.0fx faster than the engine scan\n", findMs, set.tickets,
                engineMs / findMs);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Interaction::NameApplication();
    BenchSupport::PrintingBackend backend;
    Interaction::SetBackend(&backend);
    try {
        // The larger set first, so that the last line is the one for 100,000 tickets.
        if (argc > 1 && std::string(argv[1]) == "--million") {
            Measure({"/tmp/velmora-bench-find-million", 1000000, 400000, 5});
            std::printf("\n");
        } else {
            std::printf("1,000,000 tickets: not measured in this run (find_bench --million)\n");
        }
        Measure({SearchDataSet::CacheFolder(), SearchDataSet::TicketCount, SearchDataSet::CustomerCount, 15});
    } catch (const std::exception& error) {
        std::printf("failed: %s\n", error.what());
        return 1;
    }
    Interaction::SetBackend(nullptr);
    return 0;
}
