#include "store/Waiting.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "store/WaitState.h"

namespace vesk::store {

namespace {

// Short waits pass unseen: a commit of another program takes a moment.
constexpr std::chrono::milliseconds kShownAfter{500};
constexpr std::chrono::milliseconds kToldEvery{1000};
constexpr std::chrono::milliseconds kLongestSleep{100};

DelayWatcher& defaultWatcher() {
    static DelayWatcher watcher;
    return watcher;
}

thread_local detail::WaitState* t_told = nullptr;

}  // namespace

DelayWatcher setDefaultDelayWatcher(DelayWatcher watcher) {
    DelayWatcher before = std::move(defaultWatcher());
    defaultWatcher() = std::move(watcher);
    return before;
}

namespace detail {

void WaitState::tell(const DelayNotice& notice) const {
    const DelayWatcher& w = watcher ? watcher : defaultWatcher();
    if (!w) return;
    try {
        w(notice);
    } catch (...) {  // showing the wait must never stop the work
    }
}

int busyHandler(void* p, int count) {
    auto* state = static_cast<WaitState*>(p);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0) {
        state->start = now;
        state->told = false;
    }
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - state->start);
    if (waited >= state->limit) {
        if (state->told) state->tell({Delay::OtherProgram, waited, true});
        state->told = false;
        t_told = nullptr;
        return 0;
    }
    if (waited >= std::min(kShownAfter, state->limit) && (!state->told || now - state->lastTold >= kToldEvery)) {
        state->told = true;
        state->lastTold = now;
        t_told = state;
        state->tell({Delay::OtherProgram, waited, false});
    }
    // From a millisecond doubling up to a tenth of a second: a short lock is caught at once,
    // a long one costs little.
    const auto sleep = std::min(kLongestSleep, std::chrono::milliseconds(1LL << std::min(count, 7)));
    std::this_thread::sleep_for(std::min(sleep, state->limit - waited));
    return 1;
}

void endWait() noexcept {
    WaitState* state = std::exchange(t_told, nullptr);
    if (!state) return;
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - state->start);
    state->told = false;
    state->tell({Delay::OtherProgram, waited, true});
}

}  // namespace detail

}  // namespace vesk::store
