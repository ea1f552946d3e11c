#include "core/Amount.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace vesk {

namespace {

// Amounts beyond this many units (10^14 rupees) are held at it, so that a group of four
// still sums without overflow.
constexpr double kUnitLimit = 1e18;

std::string grouped(const std::string& plain) {
    const bool negative = !plain.empty() && plain[0] == '-';
    const std::size_t start = negative ? 1 : 0;
    std::size_t point = plain.find('.');
    if (point == std::string::npos) point = plain.size();
    std::string out = negative ? "-" : "";
    for (std::size_t i = start; i < point; ++i) {
        if (i > start && (point - i) % 3 == 0) out += ',';
        out += plain[i];
    }
    return out + plain.substr(point);
}

std::string plainAmount(double amount) {
    if (!std::isfinite(amount)) return std::isnan(amount) ? "NaN" : amount < 0 ? "-Infinity" : "Infinity";
    if (std::fabs(amount) >= 1e15) {
        char b[400];
        std::snprintf(b, sizeof b, "%.2f", amount);
        return b;
    }
    // The 15 significant digits a decimal reading of the double gives, as a whole number
    // times a power of ten, then rounded to hundredths in decimal.
    char b[40];
    std::snprintf(b, sizeof b, "%.14e", std::fabs(amount));
    std::int64_t digits = 0;
    const char* p = b;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') digits = digits * 10 + (*p - '0');
    const int shift = std::atoi(p + 1) - 12;  // digits * 10^shift is the amount in hundredths
    std::int64_t hundredths = digits;
    if (shift > 0) {
        for (int i = 0; i < shift; ++i) hundredths *= 10;
    } else if (shift < 0) {
        std::int64_t divisor = 1;
        for (int i = 0; i < -shift && i < 16; ++i) divisor *= 10;
        hundredths = -shift > 15 ? 0 : (digits + divisor / 2) / divisor;
    }
    const bool negative = amount < 0 && hundredths != 0;
    char out[40];
    std::snprintf(out, sizeof out, "%s%lld.%02lld", negative ? "-" : "", static_cast<long long>(hundredths / 100),
                  static_cast<long long>(hundredths % 100));
    return out;
}

}  // namespace

std::string formatAmount(double amount, Grouping grouping) {
    std::string plain = plainAmount(amount);
    return grouping == Grouping::Thousands && std::isfinite(amount) ? grouped(plain) : plain;
}

std::int64_t amountUnits(double amount) {
    const double units = std::clamp(amount * kUnitsPerRupee, -kUnitLimit, kUnitLimit);
    return std::isnan(units) ? 0 : std::llround(units);
}

bool amountsEqual(std::int64_t a, std::int64_t b) { return (a > b ? a - b : b - a) <= kToleranceUnits; }

}  // namespace vesk
