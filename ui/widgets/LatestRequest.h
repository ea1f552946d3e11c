#pragma once

#include <cstdint>

namespace vesk {

/// The latest of a screen's requests whose work runs off the window's thread: each request
/// takes a new ticket, and only the outcome carrying the latest ends the wait; an earlier
/// one's comes too late to show. Plain C++, as the screens link no widget library.
class LatestRequest {
  public:
    /// A new request: its ticket, the screen busy until its outcome.
    std::uint64_t start() {
        m_busy = true;
        return ++m_ticket;
    }
    /// An outcome came back: true when it is the latest request's, which ends the wait.
    bool finish(std::uint64_t ticket) {
        if (ticket != m_ticket) return false;
        m_busy = false;
        return true;
    }
    bool busy() const { return m_busy; }

  private:
    std::uint64_t m_ticket = 0;
    bool m_busy = false;
};

}  // namespace vesk
