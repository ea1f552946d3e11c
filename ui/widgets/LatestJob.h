#pragma once

#include <cstdint>
#include <functional>

namespace vesk {

/// The work of one request, to run on any thread, and the ticket its outcome comes back
/// with: a screen that hands out a new ticket for each request shows only the latest's.
/// Plain C++, so the screens (which link no widget library) hand it to their windows.
template <class Outcome>
struct LatestJob {
    std::uint64_t ticket = 0;
    std::function<Outcome()> run;
};

}  // namespace vesk
