// SIGINT and SIGTERM. On its first attach the engine installs handlers of its
// own that shut every attachment down. A shutdown callback can refuse that,
// but with this engine (3.0.11) a detach after a signal that interrupted the
// thread working with the engine (asleep, not blocked in a read) spins for
// ever. So after an attach that took the signals over, the client layer takes
// them back: they stay blocked in that thread, and a thread of ours receives
// them and calls the application's interrupt handler. Internal to the client
// layer.
#pragma once

#include <csignal>

#include "ibpp/ibpp.h"

namespace IBPP::Interrupts {

// Who handled the two signals before an attach.
struct Handlers {
    struct sigaction interrupt, terminate;
};

Handlers Current();

// Replaces the handlers that the engine installed since `before` was taken.
void TakeBack(const Handlers& before);

void SetHandler(InterruptHandler handler);
bool HasHandler();

// Keeps SIGINT and SIGTERM blocked in the calling thread while it lives, so
// the threads that the engine starts meanwhile never receive them.
class EngineThreadGuard {
public:
    EngineThreadGuard();
    ~EngineThreadGuard();
    EngineThreadGuard(const EngineThreadGuard&) = delete;
    EngineThreadGuard& operator=(const EngineThreadGuard&) = delete;

private:
    sigset_t saved_;
};

// Calls the application's handler; without one, shuts the client library
// down and ends the process with the signal's default action.
void Deliver(int signal);

}  // namespace IBPP::Interrupts
