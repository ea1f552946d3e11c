#pragma once

#include <cstdint>
#include <type_traits>

namespace vesk::store {

/// A sum of amounts that is exact to the cent however many are added. Values that are
/// (within rounding) multiples of 0.0001 are added as whole ten-thousandths in a 128-bit
/// integer; anything else is added with compensated (Neumaier) summation. The result is
/// the double nearest to the decimal total, so 100,000 times 1234.57 gives 123457000.
/// All-zero bytes are the empty sum: the engine hands aggregates zeroed memory. That
/// memory is only 8-byte aligned, so nothing here may need more.
class ExactSum {
  public:
    void add(std::int64_t v);
    void add(double v);

    /// Number of values added.
    std::int64_t count() const { return m_count; }
    /// True while every value added was an integer and the total fits 64 bits.
    bool isInteger() const;
    std::int64_t integerTotal() const;
    double total() const;

  private:
    __extension__ typedef __int128 Wide;

    Wide units() const;
    void addUnits(Wide v);

    unsigned char m_units[sizeof(Wide)]{};  // ten-thousandths, as bytes: see the alignment note
    double m_rest{};                        // Neumaier sum of values that are no multiple of 0.0001
    double m_restComp{};                    // its running compensation
    double m_nonFinite{};                   // infinities and NaN, which compensation would turn into NaN
    std::int64_t m_count{};
    bool m_anyReal{};
    bool m_anyRest{};
    bool m_anyNonFinite{};
};

static_assert(std::is_trivially_copyable_v<ExactSum> && std::is_trivially_destructible_v<ExactSum>);
static_assert(alignof(ExactSum) <= 8);

}  // namespace vesk::store
