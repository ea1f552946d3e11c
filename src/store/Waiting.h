#pragma once

#include <chrono>
#include <functional>

namespace vesk::store {

/// How long a statement waits for another program's transaction on the file before it
/// fails with "The database is in use by another program.".
inline constexpr std::chrono::milliseconds kBusyLimit{30000};

/// What holds a statement up.
enum class Delay {
    OtherProgram,  ///< another program (or connection) has a transaction on the file
    OwnWork,       ///< work of this program on the file comes first (see Connection::tellDelay)
    Upgrade,       ///< the file is brought up to this version's layout, once (see Connection::open)
};

/// A hold-up as it goes on: told once it has lasted a moment and then about every second,
/// and once more with `over` set when the statement goes on (or gives up).
struct DelayNotice {
    Delay delay = Delay::OtherProgram;
    std::chrono::milliseconds waited{0};
    bool over = false;
};

using DelayWatcher = std::function<void(const DelayNotice&)>;

/// Called now and then while a long piece of work goes on (a check, a copy), so that a
/// window can repaint.
using Heartbeat = std::function<void()>;

/// The watcher of every connection not given one of its own; returns the one it replaces.
/// None by default: the wait goes unseen.
DelayWatcher setDefaultDelayWatcher(DelayWatcher watcher);

/// The default watcher while it lives; the one before it comes back after.
class DefaultDelayWatcher {
  public:
    explicit DefaultDelayWatcher(DelayWatcher watcher) : m_before(setDefaultDelayWatcher(std::move(watcher))) {}
    ~DefaultDelayWatcher() { setDefaultDelayWatcher(std::move(m_before)); }
    DefaultDelayWatcher(const DefaultDelayWatcher&) = delete;
    DefaultDelayWatcher& operator=(const DefaultDelayWatcher&) = delete;

  private:
    DelayWatcher m_before;
};

}  // namespace vesk::store
