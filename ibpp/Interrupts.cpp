#include "ibpp/Interrupts.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "ibpp/ClientLibrary.h"

namespace IBPP::Interrupts {

namespace {

std::atomic<InterruptHandler> applicationHandler{nullptr};
int wakeUp[2] = {-1, -1};

void* HandlerAddress(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) ? reinterpret_cast<void*>(action.sa_sigaction)
                                          : reinterpret_cast<void*>(action.sa_handler);
}

// Signal context: only hands the signal number on.
void OnSignal(int signal)
{
    const int saved = errno;
    const char number = static_cast<char>(signal);
    if (write(wakeUp[1], &number, 1) < 0) {
        // A full pipe already holds a signal to deliver.
    }
    errno = saved;
}

// The watching thread, and a child started with fork(), take the signals.
void UnblockSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

void Watch()
{
    UnblockSignals();
    for (;;) {
        char number;
        const ssize_t count = read(wakeUp[0], &number, 1);
        if (count == 1)
            Deliver(number);
        else if (count < 0 && errno != EINTR)
            return;
    }
}

bool StartWatching()
{
    if (wakeUp[0] >= 0)
        return true;
    pthread_atfork(nullptr, nullptr, UnblockSignals);
    if (pipe2(wakeUp, O_CLOEXEC) != 0)
        return false;
    fcntl(wakeUp[1], F_SETFL, O_NONBLOCK);
    std::thread(Watch).detach();
    return true;
}

void TakeBackOne(int signal, const struct sigaction& before)
{
    struct sigaction now;
    if (sigaction(signal, nullptr, &now) != 0)
        return;
    const void* current = HandlerAddress(now);
    if (current == reinterpret_cast<void*>(OnSignal) || current == HandlerAddress(before))
        return;
    if (!StartWatching())
        return;  // the engine's handler stays; the shutdown callback still keeps the attachments
    struct sigaction ours = {};
    ours.sa_handler = OnSignal;
    ours.sa_flags = SA_RESTART;
    sigemptyset(&ours.sa_mask);
    sigaction(signal, &ours, nullptr);
    // The signal must reach the watching thread, never the one that works with
    // the engine: a detach after a signal that interrupted that thread spun.
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, signal);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
}

}  // namespace

Handlers Current()
{
    Handlers handlers = {};
    sigaction(SIGINT, nullptr, &handlers.interrupt);
    sigaction(SIGTERM, nullptr, &handlers.terminate);
    return handlers;
}

void TakeBack(const Handlers& before)
{
    TakeBackOne(SIGINT, before.interrupt);
    TakeBackOne(SIGTERM, before.terminate);
}

void SetHandler(InterruptHandler handler)
{
    applicationHandler.store(handler);
}

EngineThreadGuard::EngineThreadGuard()
{
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &blocked, &saved_);
}

EngineThreadGuard::~EngineThreadGuard()
{
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

bool HasHandler()
{
    return applicationHandler.load() != nullptr;
}

void Deliver(int signal)
{
    if (InterruptHandler handler = applicationHandler.load()) {
        handler(signal);
        return;
    }
    IBPP::Shutdown();
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    raise(signal);
}

}  // namespace IBPP::Interrupts
