#pragma once

#include <cstdint>
#include <vector>

namespace vesk::sample {

/// A small seeded generator (splitmix64) whose sequence is the same on every platform
/// and standard library, so a seed always gives the same sample files.
class Random {
  public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    /// A whole number from lo to hi, both included.
    std::int64_t between(std::int64_t lo, std::int64_t hi) {
        return lo + std::int64_t(next() % std::uint64_t(hi - lo + 1));
    }
    int between(int lo, int hi) { return int(between(std::int64_t(lo), std::int64_t(hi))); }

    /// True with the given chance in percent.
    bool chance(int percent) { return between(0, 99) < percent; }

    template <class T>
    const T& pick(const std::vector<T>& items) {
        return items[std::size_t(between(0, int(items.size()) - 1))];
    }

    template <class T>
    void shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[std::size_t(between(0, int(i) - 1))]);
    }

  private:
    std::uint64_t m_state;
};

}  // namespace vesk::sample
