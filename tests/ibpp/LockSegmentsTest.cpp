// Freeing the mutex of a shared segment whose owner ended, on segment files
// laid out as the engine lays them out, with real processes as the owners.
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "ibpp/LockSegments.h"
#include "tests/support/datafiles/TestSupport.h"

namespace {

using IBPP::LockSegments::Segment;

constexpr size_t SegmentSize = 4096;

// A segment file: the engine's head (type, header version 1) and a
// process-shared mutex at byte 16, mapped for the test to take it.
class SegmentFile {
public:
    explicit SegmentFile(const std::string& path) : path_(path)
    {
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ftruncate(fd, SegmentSize) != 0)
            throw std::runtime_error("cannot make " + path);
        head_ = static_cast<char*>(mmap(nullptr, SegmentSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
        close(fd);
        if (head_ == MAP_FAILED)
            throw std::runtime_error("cannot map " + path);
        const uint16_t words[3] = {0xff, 1, 146};
        std::memcpy(head_, words, sizeof words);
        pthread_mutexattr_t shared;
        pthread_mutexattr_init(&shared);
        pthread_mutexattr_setpshared(&shared, PTHREAD_PROCESS_SHARED);
        pthread_mutex_init(Mutex(), &shared);
        pthread_mutexattr_destroy(&shared);
    }
    ~SegmentFile() { munmap(head_, SegmentSize); }
    SegmentFile(const SegmentFile&) = delete;
    SegmentFile& operator=(const SegmentFile&) = delete;

    pthread_mutex_t* Mutex(size_t offset = 16) { return reinterpret_cast<pthread_mutex_t*>(head_ + offset); }

    // A mutex further in, as the user-mapping segment keeps one in each event.
    void AddMutexAt(size_t offset)
    {
        pthread_mutexattr_t shared;
        pthread_mutexattr_init(&shared);
        pthread_mutexattr_setpshared(&shared, PTHREAD_PROCESS_SHARED);
        pthread_mutex_init(Mutex(offset), &shared);
        pthread_mutexattr_destroy(&shared);
    }

    // A child that takes the mutex and then ends at once, or waits to be killed.
    pid_t TakenByChild(bool stays, size_t offset = 16)
    {
        int ready[2];
        if (pipe(ready) != 0)
            throw std::runtime_error("pipe failed");
        const pid_t child = fork();
        if (child == 0) {
            pthread_mutex_lock(Mutex(offset));
            [[maybe_unused]] const ssize_t written = write(ready[1], "x", 1);
            if (stays)
                for (;;)
                    pause();
            _exit(0);
        }
        char byte;
        [[maybe_unused]] const ssize_t got = read(ready[0], &byte, 1);
        close(ready[0]);
        close(ready[1]);
        return child;
    }

    bool FreeNow(size_t offset = 16)
    {
        if (pthread_mutex_trylock(Mutex(offset)) != 0)
            return false;
        pthread_mutex_unlock(Mutex(offset));
        return true;
    }

private:
    std::string path_;
    char* head_ = nullptr;
};

const Segment* Find(const std::vector<Segment>& segments, const std::string& path)
{
    for (const Segment& segment : segments)
        if (segment.file == path)
            return &segment;
    return nullptr;
}

}  // namespace

TEST(LockSegments, AMutexLeftByAnEndedProcessIsFreedAndItsWaitersGoOn)
{
    TestSupport::TempDir folder;
    const std::string path = folder.File("fb_user_mapping");
    SegmentFile segment(path);
    const pid_t owner = segment.TakenByChild(false);
    ASSERT_GT(TestSupport::WaitForExit(owner, "the child that took the mutex", 10), -1);
    ASSERT_FALSE(segment.FreeNow());

    // A process already waiting for it, as the engine's next creation would.
    const pid_t waiter = fork();
    if (waiter == 0) {
        pthread_mutex_lock(segment.Mutex());
        pthread_mutex_unlock(segment.Mutex());
        _exit(7);
    }
    usleep(100 * 1000);

    const std::vector<Segment> found = IBPP::LockSegments::RecoverAbandoned(folder.Path());
    const Segment* recovered = Find(found, path);
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->state, Segment::State::Recovered);
    EXPECT_EQ(recovered->ownerThread, owner);
    const int status = TestSupport::WaitForExit(waiter, "a process waiting for the freed mutex", 10);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
    EXPECT_TRUE(segment.FreeNow());

    // Once free it is left alone.
    const std::vector<Segment> again = IBPP::LockSegments::RecoverAbandoned(folder.Path());
    ASSERT_TRUE(Find(again, path));
    EXPECT_EQ(Find(again, path)->state, Segment::State::Free);
}

TEST(LockSegments, AMutexOfALivingProcessIsNeverTouchedAndIsNamedOnceItStaysHeld)
{
    TestSupport::TempDir folder;
    const std::string path = folder.File("fb12_trace");
    SegmentFile segment(path);
    const pid_t owner = segment.TakenByChild(true);

    IBPP::LockSegments::Watch watch(folder.Path());
    EXPECT_EQ(watch.Check(), 0);
    EXPECT_FALSE(segment.FreeNow());
    EXPECT_FALSE(watch.Stuck(std::chrono::seconds(5)));
    EXPECT_TRUE(watch.Stuck(std::chrono::seconds(0)));
    const std::string told = watch.Explain(std::chrono::seconds(0));
    EXPECT_NE(told.find(folder.Path()), std::string::npos) << told;
    EXPECT_NE(told.find("fb12_trace is held by process " + std::to_string(owner)), std::string::npos) << told;

    kill(owner, SIGKILL);
    TestSupport::WaitForExit(owner, "the child that holds the mutex", 10);
    EXPECT_EQ(watch.Check(), 1);
    EXPECT_EQ(watch.RecoveredCount(), 1);
    EXPECT_TRUE(segment.FreeNow());
    EXPECT_FALSE(watch.Stuck(std::chrono::seconds(0)));
}

TEST(LockSegments, AnEventMutexOfTheUserMappingLeftByAnEndedProcessIsFreedToo)
{
    TestSupport::TempDir folder;
    for (const char* name : {"fb_user_mapping", "fb_lock_other"}) {
        SCOPED_TRACE(name);
        SegmentFile segment(folder.File(name));
        constexpr size_t Event = 1104;
        segment.AddMutexAt(Event);
        const pid_t owner = segment.TakenByChild(false, Event);
        TestSupport::WaitForExit(owner, "the child that took the event's mutex", 10);
        IBPP::LockSegments::RecoverAbandoned(folder.Path());
        // Only the user-mapping segment is searched past its head.
        EXPECT_EQ(segment.FreeNow(Event), std::string(name) == "fb_user_mapping");
        std::filesystem::remove(folder.File(name));
    }
}

TEST(LockSegments, FilesThatAreNoSegmentsAndLinksAreLeftAlone)
{
    TestSupport::TempDir folder;
    TestSupport::WriteFile(folder.File("fb_init"), "");
    TestSupport::WriteFile(folder.File("fb_notes"), std::string(SegmentSize, 'x'));
    TestSupport::TempDir elsewhere;
    const std::string target = elsewhere.File("fb_lock_elsewhere");
    SegmentFile segment(target);
    const pid_t owner = segment.TakenByChild(false);
    TestSupport::WaitForExit(owner, "the child that took the mutex", 10);
    std::filesystem::create_symlink(target, folder.File("fb_lock_link"));

    EXPECT_TRUE(IBPP::LockSegments::RecoverAbandoned(folder.Path()).empty());
    EXPECT_FALSE(segment.FreeNow()) << "a segment reached through a link was changed";
}
