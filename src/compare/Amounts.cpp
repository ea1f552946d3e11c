#include "compare/Amounts.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace vesk::compare {

bool differs(double difference) { return std::fabs(difference) > kTolerance + kToleranceMargin; }

std::string toleranceLiteral() {
    char b[32];
    std::snprintf(b, sizeof b, "%.6f", kTolerance + kToleranceMargin);
    return b;
}

std::string formatAmount(double amount) {
    if (!std::isfinite(amount) || std::fabs(amount) >= 1e15) {
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

}  // namespace vesk::compare
