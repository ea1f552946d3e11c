#include "store/ExactSum.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace vesk::store {

namespace {

constexpr double kScale = 10000.0;
constexpr int kDecimals = 4;
constexpr std::int64_t kUnitsPerOne = 10000;
// Beyond this the scaled value no longer fits 64 bits comfortably; such amounts go the
// compensated way.
constexpr double kMaxScaled = 9.0e18;

}  // namespace

ExactSum::Wide ExactSum::units() const {
    Wide v;
    std::memcpy(&v, m_units, sizeof v);
    return v;
}

void ExactSum::addUnits(Wide v) {
    v += units();
    std::memcpy(m_units, &v, sizeof v);
}

void ExactSum::add(std::int64_t v) {
    addUnits(static_cast<Wide>(v) * kUnitsPerOne);
    ++m_count;
}

void ExactSum::add(double v) {
    ++m_count;
    m_anyReal = true;
    if (!std::isfinite(v)) {
        m_anyNonFinite = true;
        m_nonFinite += v;
        return;
    }
    const double scaled = v * kScale;
    if (std::fabs(scaled) < kMaxScaled) {
        const double whole = std::nearbyint(scaled);
        // The decimal the value stands for is recovered when the scaled value lies within
        // the representation and multiplication errors (a few ulps) of a whole number.
        if (std::fabs(scaled - whole) <= std::fabs(scaled) * (4 * DBL_EPSILON)) {
            addUnits(static_cast<Wide>(static_cast<std::int64_t>(whole)));
            return;
        }
    }
    m_anyRest = true;
    const double t = m_rest + v;
    if (std::fabs(m_rest) >= std::fabs(v))
        m_restComp += (m_rest - t) + v;
    else
        m_restComp += (v - t) + m_rest;
    m_rest = t;
}

bool ExactSum::isInteger() const {
    if (m_anyReal) return false;
    const Wide whole = units() / kUnitsPerOne;
    return whole >= std::numeric_limits<std::int64_t>::min() && whole <= std::numeric_limits<std::int64_t>::max();
}

std::int64_t ExactSum::integerTotal() const { return static_cast<std::int64_t>(units() / kUnitsPerOne); }

double ExactSum::total() const {
    if (m_anyNonFinite) return m_nonFinite;
    // The decimal text of the units read back gives the correctly rounded double.
    char digits[64];
    char* end = digits + sizeof digits;
    char* p = end;
    const Wide all = units();
    const bool negative = all < 0;
    Wide u = negative ? -all : all;
    int written = 0;
    while (u != 0 || written <= kDecimals) {
        if (written == kDecimals) *--p = '.';
        *--p = static_cast<char>('0' + static_cast<int>(u % 10));
        u /= 10;
        ++written;
    }
    if (negative) *--p = '-';
    double exact = 0;
    std::from_chars(p, end, exact);
    if (!m_anyRest) return exact;
    return exact + (m_rest + m_restComp);
}

}  // namespace vesk::store
