// Calls into the engine that may wait on its shared locks (opening, creating
// and detaching a data file, the service manager, shutting down) run here,
// with a bound: the program must never wait for ever for the engine. While
// such a call waits, locks left behind by processes that ended are freed,
// which lets the call go on. Internal to the client layer.
#pragma once

#include <ibase.h>

#include <chrono>
#include <functional>
#include <string>

#include "ibpp/ibpp.h"

namespace IBPP::Client {

// Longer than any of these calls takes on a working engine, short enough that
// the user hears of a stuck one within ten seconds of asking.
constexpr std::chrono::seconds AnswerDeadline{8};

// Runs `call` on a thread of its own and waits until it returns, the handle it
// made as its result; raises the engine's error that it reports, or
// EngineNotAnswering, naming `what` and the lock folder's state, when it has
// not returned within `deadline`. The call is then left to return by itself,
// and `release` runs on its handle if it makes one after all.
FB_API_HANDLE Bounded(const std::string& what, const std::function<FB_API_HANDLE(ISC_STATUS*)>& call,
                      const std::function<void(FB_API_HANDLE)>& release = {},
                      std::chrono::steady_clock::duration deadline = AnswerDeadline);

// The same for a call that may rightly take long (reading a backup's or a
// validation's next line): it is given up only once a lock of the engine has
// been held by the same thread for `still`, or was left by an ended thread
// that this process may not free.
FB_API_HANDLE BoundedWhileMoving(const std::string& what, const std::function<FB_API_HANDLE(ISC_STATUS*)>& call,
                                 std::chrono::steady_clock::duration still = std::chrono::seconds(10));

// Whether a call was given up on: the engine may then never shut down.
bool AnyAbandoned();

// Where the client layer tells what it did by itself (a freed lock): the
// application's debug output, or standard error.
void Notice(const std::string& text);

// Frees the locks that ended processes left in the lock folder, before the
// engine is loaded, and tells of each.
void RecoverLockFolder();

}  // namespace IBPP::Client
