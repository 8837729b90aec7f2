// The search index under kills: kill_index_driver <data file> <cache folder>
// changes one ticket after another and searches for it, which takes the
// change into the index, until it is killed. With "check" after the folders
// it opens the index as the next start does, lets it finish whatever rebuild
// that starts, and compares what it finds with what the data file holds.
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_FindIndex.h"
#include "dbframework/DBFrameWork_Ticket.h"
#include "dbframework/DBFrameWork_Transaction.h"
#include "ibpp/ibpp.h"

namespace {

using DBFrameWork::FindIndex;

// The tickets the loop changes in turn: keys 1 to 300, as the kill test stores them.
constexpr long ChangedTickets = 300;

std::set<int32_t> Found(FindIndex& index, const std::string& word)
{
    std::set<int32_t> ids;
    for (const DBFrameWork::FindHit& hit : index.Search("\"" + word + "\"", 100000))
        ids.insert(hit.ProblemID);
    return ids;
}

int Change(DBFrameWork::DBConnection& connection, FindIndex& index)
{
    std::printf("changing\n");
    std::fflush(stdout);
    for (long round = 1;; ++round) {
        const std::string marker = "marker" + std::to_string(getpid()) + "x" + std::to_string(round);
        const std::string id = std::to_string(1 + round % ChangedTickets);
        if (!DBFrameWork::RunInTransaction(connection, "Uncaught Exception in Change", [&](IBPP::Statement& statement) {
                statement->ExecuteImmediate("UPDATE Problem SET Description = '" + marker +
                                            "' WHERE ProblemID = " + id);
            }))
            return 1;
        // Taken in once the backlog is, unless a rebuild is running.
        const bool building = index.Progress().Building;
        while (!building && !index.CatchUp()) {}
        if (Found(index, marker) != std::set<int32_t>{std::stoi(id)} && !building) {
            std::printf("round %ld: %s not found\n", round, marker.c_str());
            return 1;
        }
    }
}

int Check(DBFrameWork::DBConnection& connection, FindIndex& index)
{
    if (index.Progress().Building)
        std::printf("rebuilding\n");
    for (int wait = 0; index.Progress().Building && wait < 6000; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const DBFrameWork::FindProgress progress = index.Progress();
    if (progress.Building || !progress.Failure.empty()) {
        std::printf("the rebuild did not end: %s\n", progress.Failure.c_str());
        return 1;
    }
    // A long backlog is taken in a piece at a time, as the dialog does.
    for (int piece = 0; !index.CatchUp(); ++piece)
        if (piece > 100000) {
            std::printf("the index does not catch up\n");
            return 1;
        }
    // Every ticket is found by its description's word, and by nothing else's.
    std::set<int32_t> unchanged;
    int mismatches = 0, tickets = 0;
    int32_t lastId = 0;
    const bool read = DBFrameWork::ReadTicketBatch(
        connection, 0, 1000000,
        [&](const DBFrameWork::TicketRecord& ticket) {
            ++tickets;
            if (ticket.Problem.Description.rfind("marker", 0) != 0) {
                unchanged.insert(ticket.Problem.ProblemID);
            } else if (const auto found = Found(index, ticket.Problem.Description);
                       found != std::set<int32_t>{ticket.Problem.ProblemID}) {
                ++mismatches;
                std::string ids;
                for (const int32_t id : found)
                    ids += " " + std::to_string(id);
                std::printf("ticket %d: \"%s\" finds%s\n", ticket.Problem.ProblemID, ticket.Problem.Description.c_str(),
                            ids.empty() ? " nothing" : ids.c_str());
            }
        },
        lastId);
    if (!read)
        return 1;
    if (Found(index, "sound") != unchanged) {
        ++mismatches;
        std::printf("the unchanged tickets are not what \"sound\" finds\n");
    }
    std::printf("index checked: %d tickets, %d mismatches\n", tickets, mismatches);
    return mismatches == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <data file> <cache folder> [check]\n", argv[0]);
        return 2;
    }
    const std::string dataFile = argv[1];
    int result = 1;
    {
        DBFrameWork::DBConnection connection{dataFile};
        if (!connection.Connect()) {
            std::printf("the data file could not be opened\n");
            return 1;
        }
        FindIndex index(connection, FindIndex::FolderFor(dataFile, argv[2]), "english");
        index.Open();
        result = argc > 3 ? Check(connection, index) : Change(connection, index);
    }
    IBPP::Shutdown();
    return result;
}
