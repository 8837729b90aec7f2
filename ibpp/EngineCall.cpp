#include "ibpp/EngineCall.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "ibpp/ClientLibrary.h"
#include "ibpp/Interrupts.h"
#include "ibpp/LockSegments.h"

namespace IBPP {

namespace {

std::mutex noticeMutex;
NoticeHandler noticeHandler;

std::mutex waitMutex;
WaitHandler waitHandler;
std::thread::id waitThread;

}  // namespace

void SetWaitHandler(WaitHandler handler)
{
    std::lock_guard<std::mutex> lock(waitMutex);
    waitHandler = std::move(handler);
    waitThread = std::this_thread::get_id();
}

void SetNoticeHandler(NoticeHandler handler)
{
    std::lock_guard<std::mutex> lock(noticeMutex);
    noticeHandler = std::move(handler);
}

}  // namespace IBPP

namespace IBPP::Client {

namespace {

// Recovery is tried once the call has had the time a working engine needs.
constexpr std::chrono::milliseconds FirstLook{300};
constexpr std::chrono::milliseconds LookEvery{100};

std::atomic<int> abandonedCalls{0};

// Shared by the waiting caller and the thread that makes the call, which may
// outlive the caller's wait.
struct PendingCall {
    std::function<FB_API_HANDLE(ISC_STATUS*)> call;
    std::function<void(FB_API_HANDLE)> release;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    FB_API_HANDLE handle = 0;
    std::exception_ptr error;
};

void MakeCall(const std::shared_ptr<PendingCall>& pending)
{
    ISC_STATUS_ARRAY status = {};
    const FB_API_HANDLE handle = pending->call(status);
    std::exception_ptr error;
    // Formatted here: the texts the status vector points to belong to this thread.
    if (status[0] == 1 && status[1] != 0) {
        try {
            Raise(status);
        } catch (...) {
            error = std::current_exception();
        }
    }
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (pending->abandoned) {
        lock.unlock();
        if (handle != 0 && !error && pending->release)
            pending->release(handle);
        return;
    }
    pending->handle = error ? 0 : handle;
    pending->error = error;
    pending->done = true;
    pending->finished.notify_all();
}

std::string Seconds(std::chrono::steady_clock::duration duration)
{
    return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
}

void TellRecovered(int count, const std::string& folder)
{
    if (count > 0)
        Notice("Freed " + std::to_string(count) + " lock(s) that a process which ended had left taken in the " +
               "database engine's lock folder " + folder);
}

void WhileWaiting()
{
    WaitHandler handler;
    {
        std::lock_guard<std::mutex> lock(waitMutex);
        if (waitThread != std::this_thread::get_id())
            return;
        handler = waitHandler;
    }
    if (handler)
        handler();
}

// Waits for the call; `givenUp` answers, from what the watch has seen, the
// reason to give up waiting, or nothing to go on.
FB_API_HANDLE
Await(const std::function<FB_API_HANDLE(ISC_STATUS*)>& call, const std::function<void(FB_API_HANDLE)>& release,
      const std::function<std::string(std::chrono::steady_clock::duration, const LockSegments::Watch&)>& givenUp)
{
    auto pending = std::make_shared<PendingCall>();
    pending->call = call;
    pending->release = release;
    {
        // The engine's threads started by the call inherit the blocked signals.
        Interrupts::EngineThreadGuard blocked;
        std::thread(MakeCall, pending).detach();
    }
    const auto start = std::chrono::steady_clock::now();
    LockSegments::Watch watch(LockSegments::EngineLockFolder());
    std::unique_lock<std::mutex> lock(pending->mutex);
    while (!pending->finished.wait_for(lock, LookEvery, [&] { return pending->done; })) {
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waited < FirstLook)
            continue;
        lock.unlock();
        TellRecovered(watch.Check(), watch.Folder());
        WhileWaiting();
        const std::string reason = givenUp(waited, watch);
        lock.lock();
        if (pending->done)
            break;
        if (!reason.empty()) {
            pending->abandoned = true;
            ++abandonedCalls;
            throw EngineNotAnswering(reason);
        }
    }
    if (pending->error)
        std::rethrow_exception(pending->error);
    return pending->handle;
}

}  // namespace

FB_API_HANDLE Bounded(const std::string& what, const std::function<FB_API_HANDLE(ISC_STATUS*)>& call,
                      const std::function<void(FB_API_HANDLE)>& release, std::chrono::steady_clock::duration deadline)
{
    return Await(call, release, [&](std::chrono::steady_clock::duration waited, const LockSegments::Watch& watch) {
        if (waited < deadline)
            return std::string();
        return what + ": the database engine did not answer within " + Seconds(deadline) + " seconds. " +
            watch.Explain(deadline / 2);
    });
}

FB_API_HANDLE BoundedWhileMoving(const std::string& what, const std::function<FB_API_HANDLE(ISC_STATUS*)>& call,
                                 std::chrono::steady_clock::duration still)
{
    return Await(call, {}, [&](std::chrono::steady_clock::duration waited, const LockSegments::Watch& watch) {
        if (waited < still || !watch.Stuck(still))
            return std::string();
        return what + ": the database engine did not answer within " + Seconds(waited) + " seconds. " +
            watch.Explain(still);
    });
}

bool AnyAbandoned()
{
    return abandonedCalls.load() > 0;
}

void Notice(const std::string& text)
{
    std::lock_guard<std::mutex> lock(noticeMutex);
    if (noticeHandler) {
        noticeHandler(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

void RecoverLockFolder()
{
    const std::string folder = LockSegments::EngineLockFolder();
    int recovered = 0;
    for (const LockSegments::Segment& segment : LockSegments::RecoverAbandoned(folder)) {
        if (segment.state == LockSegments::Segment::State::Recovered)
            ++recovered;
        else if (segment.state == LockSegments::Segment::State::Unrecoverable)
            Notice("The database engine's lock folder " + folder + " holds " + segment.file +
                   ", left locked by a process that ended; it cannot be freed: " + segment.why);
    }
    TellRecovered(recovered, folder);
}

}  // namespace IBPP::Client
