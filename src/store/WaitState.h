#pragma once

// Inside the store only: how a connection's handle waits for another program's
// transaction, and tells its watcher.

#include <chrono>

#include "store/Waiting.h"

namespace vesk::store::detail {

/// The waiting of one connection, shared by its handle, so that statements outliving the
/// Connection still wait the same way.
struct WaitState {
    DelayWatcher watcher;  ///< empty: the process's default
    std::chrono::milliseconds limit = kBusyLimit;

    /// The watcher's, else the default's; nothing when there is neither.
    void tell(const DelayNotice& notice) const;

    // The wait in progress.
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point lastTold;
    bool told = false;
};

/// The engine's busy handler over a WaitState: sleeps a little and asks again until the
/// limit, telling the watcher once the wait has lasted a moment.
int busyHandler(void* state, int count);

/// Tells the watcher that the wait this thread told of is over. Every call into the
/// engine that may wait ends with it: once the call returns the wait is over either way.
void endWait() noexcept;

/// Calls endWait when it goes, on every path out of a call into the engine.
class WaitEnd {
  public:
    WaitEnd() = default;
    ~WaitEnd() { endWait(); }
    WaitEnd(const WaitEnd&) = delete;
    WaitEnd& operator=(const WaitEnd&) = delete;
};

}  // namespace vesk::store::detail
