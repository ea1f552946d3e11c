#include "compare/Amounts.h"

#include <cmath>
#include <cstdio>

namespace vesk::compare {

bool differs(double difference) { return std::fabs(difference) > kTolerance + kToleranceMargin; }

std::string toleranceLiteral() {
    char b[32];
    std::snprintf(b, sizeof b, "%.6f", kTolerance + kToleranceMargin);
    return b;
}

}  // namespace vesk::compare
