// The search index of Find Solutions: every ticket's text in a Xapian
// database beside the data file (or in the user's cache), kept in step with
// the data file through its change log, rebuilt in the background when it is
// missing, damaged or belongs to another file.
//
// One object per data file, used from one thread (the window's); the rebuild
// runs on a thread of its own with an attachment of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace DBFrameWork {

class DBConnection;

// One hit, ready to show: Snippet is HTML (text escaped, matched words in <b>).
struct FindHit {
    int32_t ProblemID = 0;
    std::string CustomerName;
    std::string Assigned;  // month/day/year; empty when none
    std::string Technician;
    bool IsCompleted = false;
    std::string Snippet;
    // The customer's first phone number as typed; empty when none.
    std::string Phone;
};

struct FindProgress {
    bool Building = false;
    int64_t Done = 0;
    int64_t Total = 0;
    // Why the last rebuild stopped short; empty when it did not.
    std::string Failure;
};

class FindIndex {
public:
    // connection is the window's, connected; it outlives this object.
    // language names the stemmer ("english"); an unknown one falls back to english.
    FindIndex(DBConnection& connection, const std::string& folder, const std::string& language);
    // Stops a running rebuild; what it indexed so far is kept for the next start.
    ~FindIndex();
    FindIndex(const FindIndex&) = delete;
    FindIndex& operator=(const FindIndex&) = delete;

    // Checks the index against the data file; starts a rebuild (or resumes an
    // interrupted one) in the background when it does not match.
    void Open();

    // Takes in the changes since the last call (as many as CatchUp takes in at
    // once: a long backlog needs more calls), then answers the best count
    // hits, relevance first, newer tickets first among equals. Nothing for an
    // empty query or one of symbols only; during a rebuild, what is indexed so far.
    std::vector<FindHit> Search(const std::string& query, size_t count = 50);

    // Takes in the changes of the change log (spending at most about 40 ms);
    // true when none is left. Does nothing during a rebuild.
    bool CatchUp();

    FindProgress Progress();
    const std::string& GetFolder() const;

    // Where the index of a data file lives: beside it ("X.fdb.find") when its
    // folder is writable and it is not on a server, else in cacheRoot, under a
    // name of its own for each data file.
    static std::string FolderFor(const std::string& dataFile, const std::string& cacheRoot);

    struct Impl;

private:
    std::unique_ptr<Impl> Self;
};

}  // namespace DBFrameWork
