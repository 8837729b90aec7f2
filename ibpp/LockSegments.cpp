#include "ibpp/LockSegments.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/futex.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include "ibpp/LockFolder.h"

namespace IBPP::LockSegments {

namespace {

// The head of every segment file of Firebird 3 on Linux: three 16-bit words
// (type, header version 1, version), an 8-byte time stamp, then glibc's
// pthread_mutex_t (lock word, count, owner thread, users, kind, ...).
constexpr off_t MutexOffset = 16;
constexpr size_t HeadSize = 64;
constexpr uint16_t HeaderVersion = 1;
struct Head {
    uint16_t type;
    uint16_t headerVersion;
    uint16_t version;
    uint16_t padding;
    uint32_t timestamp[2];
    int32_t lockWord;
    uint32_t count;
    int32_t owner;
    uint32_t users;
    int32_t kind;
};
static_assert(offsetof(Head, lockWord) == MutexOffset, "the mutex starts at byte 16");

// glibc's kind: the bit for a mutex shared between processes, and below it
// the type, where 0 to 3 are the plain types (no robust, inheriting or
// protecting bits, which change what the lock word holds).
constexpr int32_t ProcessSharedBit = 0x80;

struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

bool ProcessFolderReadable()
{
    return access("/proc/self/status", R_OK) == 0;
}

bool ThreadExists(int thread)
{
    // /proc/<tid> answers for every thread, not only for the first of a process.
    struct stat info;
    return stat(("/proc/" + std::to_string(thread)).c_str(), &info) == 0;
}

void DescribeHolder(Segment& segment)
{
    std::ifstream status("/proc/" + std::to_string(segment.ownerThread) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Name:", 0) == 0)
            segment.ownerCommand = line.substr(line.find_first_not_of(" \t", 5));
        else if (line.rfind("Tgid:", 0) == 0)
            segment.ownerProcess = std::atoi(line.c_str() + 5);
    }
}

// A mutex that the engine takes the plain way (its robust ones it frees itself).
bool IsEngineSegment(const Head& head)
{
    return head.headerVersion == HeaderVersion && (head.kind & ProcessSharedBit) != 0 && (head.kind & 0x7f) <= 3;
}

// glibc's pthread_mutex_t as it starts: lock word, count, owner thread, users, kind.
struct MutexWords {
    int32_t lockWord;
    uint32_t count;
    int32_t owner;
    uint32_t users;
    int32_t kind;
};
static_assert(offsetof(Head, lockWord) + sizeof(MutexWords) <= sizeof(Head), "the head holds the mutex");

// The user-mapping segment keeps a mutex in each process's two events too; a
// process killed while posting one leaves it taken, and the next creation,
// which signals every process, then waits for ever with the head's mutex
// held. Only that segment is searched, and only its first pages.
constexpr const char* UserMappingName = "fb_user_mapping";
constexpr size_t UserMappingSearched = 64 * 1024;

// An event's mutex as only a taken one looks: shared, plain, locked, owned.
bool LooksLikeATakenMutex(const MutexWords& words)
{
    return words.kind == ProcessSharedBit && (words.lockWord == 1 || words.lockWord == 2) && words.count == 0 &&
        words.owner > 0;
}

// Frees the mutex at `offset` of an ended thread, in place. The owner word is
// claimed first, so that of several processes recovering at once only one
// goes on, and no thread can have taken the mutex since: its lock word never
// was free.
void Free(const std::string& path, off_t offset, Segment& segment)
{
    Descriptor file;
    file.fd = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0) {
        segment.state = Segment::State::Unrecoverable;
        segment.why = errno == EACCES || errno == EPERM ? "the file belongs to another user"
                                                        : std::string("it cannot be opened: ") + std::strerror(errno);
        return;
    }
    const size_t length = static_cast<size_t>(offset) + sizeof(MutexWords);
    void* mapped = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, file.fd, 0);
    if (mapped == MAP_FAILED) {
        segment.state = Segment::State::Unrecoverable;
        segment.why = std::string("it cannot be mapped: ") + std::strerror(errno);
        return;
    }
    auto* mutex = reinterpret_cast<MutexWords*>(static_cast<char*>(mapped) + offset);
    int expected = segment.ownerThread;
    if (__atomic_compare_exchange_n(&mutex->owner, &expected, 0, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST)) {
        mutex->count = 0;
        if (mutex->users > 0)
            --mutex->users;
        __atomic_store_n(&mutex->lockWord, 0, __ATOMIC_SEQ_CST);
        // A futex shared between processes: the waiters of every process that maps the file.
        syscall(SYS_futex, &mutex->lockWord, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
        segment.state = Segment::State::Recovered;
    } else {
        // Another process recovered it meanwhile.
        segment.state = Segment::State::Free;
    }
    munmap(mapped, length);
}

// The events' mutexes of the user-mapping segment that ended threads left taken, freed.
void FreeEventMutexes(const std::string& path, int fd, off_t size, std::vector<Segment>& segments)
{
    std::string bytes(std::min<size_t>(static_cast<size_t>(size), UserMappingSearched), '\0');
    const ssize_t got = pread(fd, bytes.data(), bytes.size(), 0);
    if (got <= 0)
        return;
    for (size_t offset = HeadSize; offset + sizeof(MutexWords) <= static_cast<size_t>(got); offset += 8) {
        MutexWords words;
        std::memcpy(&words, bytes.data() + offset, sizeof words);
        if (!LooksLikeATakenMutex(words) || ThreadExists(words.owner))
            continue;
        Segment event;
        event.file = path;
        event.ownerThread = words.owner;
        Free(path, static_cast<off_t>(offset), event);
        if (event.state == Segment::State::Recovered)
            segments.push_back(event);
    }
}

// Adds what the file is to segments, when it is an engine segment.
void Inspect(const std::string& path, std::vector<Segment>& segments)
{
    Descriptor file;
    file.fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0)
        return;
    struct stat info;
    if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < static_cast<off_t>(HeadSize))
        return;
    Head head;
    if (pread(file.fd, &head, sizeof head, 0) != static_cast<ssize_t>(sizeof head) || !IsEngineSegment(head))
        return;
    Segment segment;
    segment.file = path;
    if (head.lockWord == 0 || head.owner <= 0) {
        // Free, or being taken this very moment (the owner is written just after).
        segment.state = head.lockWord == 0 ? Segment::State::Free : Segment::State::HeldByLiving;
    } else if (segment.ownerThread = head.owner; ThreadExists(head.owner)) {
        segment.state = Segment::State::HeldByLiving;
        DescribeHolder(segment);
    } else {
        Free(path, MutexOffset, segment);
    }
    segments.push_back(segment);
    if (path.size() >= std::strlen(UserMappingName) &&
        path.compare(path.size() - std::strlen(UserMappingName), std::string::npos, UserMappingName) == 0)
        FreeEventMutexes(path, file.fd, info.st_size, segments);
}

std::string Describe(const Segment& segment)
{
    std::string name = segment.file.substr(segment.file.rfind('/') + 1);
    switch (segment.state) {
    case Segment::State::HeldByLiving:
        return name + " is held by process " + std::to_string(segment.ownerProcess) +
            (segment.ownerCommand.empty() ? "" : " (" + segment.ownerCommand + ")");
    case Segment::State::Unrecoverable:
        return name + " was left locked by a process that ended, and cannot be freed: " + segment.why;
    default:
        return name;
    }
}

}  // namespace

std::string EngineLockFolder()
{
    const char* variable = std::getenv(LockFolder::Variable);
    return variable && *variable ? variable : LockFolder::SharedFolder;
}

std::vector<Segment> RecoverAbandoned(const std::string& folder)
{
    std::vector<Segment> segments;
    // Without /proc a living owner cannot be told from an ended one.
    if (!ProcessFolderReadable())
        return segments;
    std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), closedir);
    if (!listing)
        return segments;
    while (const dirent* entry = readdir(listing.get())) {
        if (std::strncmp(entry->d_name, "fb", 2) != 0)
            continue;
        Inspect(folder + "/" + entry->d_name, segments);
    }
    return segments;
}

Watch::Watch(std::string folder) : folder_(std::move(folder))
{}

int Watch::Check()
{
    const auto now = std::chrono::steady_clock::now();
    std::map<std::string, Held> held;
    int freed = 0;
    for (const Segment& segment : RecoverAbandoned(folder_)) {
        if (segment.state == Segment::State::Recovered) {
            ++freed;
            continue;
        }
        if (segment.state == Segment::State::Free)
            continue;
        const auto before = held_.find(segment.file);
        const bool same = before != held_.end() && before->second.segment.ownerThread == segment.ownerThread;
        held[segment.file] = Held{segment, same ? before->second.since : now};
    }
    held_ = std::move(held);
    recovered_ += freed;
    return freed;
}

bool Watch::Stuck(std::chrono::steady_clock::duration still) const
{
    const auto now = std::chrono::steady_clock::now();
    for (const auto& entry : held_)
        if (now - entry.second.since >= still || entry.second.segment.state == Segment::State::Unrecoverable)
            return true;
    return false;
}

std::string Watch::Explain(std::chrono::steady_clock::duration still) const
{
    const auto now = std::chrono::steady_clock::now();
    std::string stuck;
    bool unrecoverable = false;
    for (const auto& [file, held] : held_) {
        if (now - held.since < still && held.segment.state != Segment::State::Unrecoverable)
            continue;
        unrecoverable = unrecoverable || held.segment.state == Segment::State::Unrecoverable;
        stuck += (stuck.empty() ? "" : "; ") + Describe(held.segment);
    }
    std::string text = "The database engine's lock folder is " + folder_ + ". ";
    if (stuck.empty())
        return text + "None of its locks is held by a process that ended.";
    text += "Its locks do not let go: " + stuck + ". ";
    if (unrecoverable)
        return text +
            "Ask the administrator to end every program that uses the database engine on this computer "
            "and to remove that file.";
    return text +
        "End that process, or every program that uses the database engine on this computer, "
        "and start again.";
}

}  // namespace IBPP::LockSegments
