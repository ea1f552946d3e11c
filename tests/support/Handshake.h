#pragma once

#include <QSignalSpy>
#include <functional>

namespace vesk::test {

/// How long a handshake waits before it counts as never coming: a bound for a failing test,
/// never a pace the tests keep.
inline constexpr int kNeverComes = 60000;

/// Does `act`, then runs the window's events until the sender emits the signal, unless `done`
/// holds by then. The signal is emitted on the window's thread while it runs its events (a
/// worker's outcome shown, a timer), so it cannot slip between the check and the wait. True
/// when `done` holds at the end.
template <typename Sender, typename Signal>
bool handshake(const Sender* sender, Signal signal, const std::function<bool()>& done,
               const std::function<void()>& act = {}) {
    QSignalSpy spy(sender, signal);
    if (act) act();
    if (!done()) spy.wait(kNeverComes);
    return done();
}

}  // namespace vesk::test
