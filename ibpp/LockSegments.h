// The engine keeps the state it shares between processes in files of its lock
// folder, each mapped into every process that uses it and guarded by a
// process-shared mutex at the head of the file. The engine's mutexes are not
// robust: a process killed while holding one leaves it taken for good, and as
// long as another process keeps that file open the engine never lays it out
// afresh, so every later taker (a database creation, a restore) waits for ever.
// This finds such a mutex and frees it, as the engine itself would free a
// robust one whose owner died; it never touches a mutex whose owner lives.
// Internal to the client layer.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace IBPP::LockSegments {

// The folder the engine will use: FIREBIRD_LOCK, else its built-in default.
std::string EngineLockFolder();

struct Segment {
    enum class State {
        Free,  // nobody holds its mutex
        HeldByLiving,  // a thread that still runs holds it
        Recovered,  // it was held by a thread that no longer exists; now free
        Unrecoverable  // held by a thread that no longer exists, and this process may not free it
    };
    std::string file;
    State state = State::Free;
    int ownerThread = 0;
    int ownerProcess = 0;  // the holder's process, when it lives
    std::string ownerCommand;  // its command name, when it lives
    std::string why;  // for Unrecoverable: what stops this process
};

// Looks at every engine segment of the folder and frees the mutexes left by
// threads that ended. Files of other kinds, and files it cannot read, are left alone.
std::vector<Segment> RecoverAbandoned(const std::string& folder);

// Watches a folder across repeated checks while a call into the engine waits,
// to tell a mutex that is only busy from one that no longer moves.
class Watch {
public:
    explicit Watch(std::string folder);

    // Frees what ended threads left; answers how many mutexes it freed this time.
    int Check();

    // Whether a mutex has been held by the same thread for `still` at every
    // check, or was left by an ended thread that this process may not free.
    bool Stuck(std::chrono::steady_clock::duration still) const;

    // What a user needs to hear when the engine stopped answering: the folder,
    // the mutexes that have not moved for `still`, and what to do about them.
    std::string Explain(std::chrono::steady_clock::duration still) const;

    int RecoveredCount() const { return recovered_; }
    const std::string& Folder() const { return folder_; }

private:
    struct Held {
        Segment segment;
        std::chrono::steady_clock::time_point since;
    };
    std::string folder_;
    std::map<std::string, Held> held_;  // by file, for the mutexes taken at the last check
    int recovered_ = 0;
};

}  // namespace IBPP::LockSegments
