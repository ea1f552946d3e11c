#pragma once

#include <string>

#include "core/Amount.h"

namespace vesk::compare {

/// Two amounts agree when they differ by at most this much.
inline constexpr double kTolerance = 0.01;
/// Added to the tolerance so that the noise of subtracting two exact sums (100.01 - 100.00
/// gives 0.010000000000005) does not turn an agreement into a difference. Far below a paisa.
inline constexpr double kToleranceMargin = 1e-6;

/// True when a difference (bank minus ORV) counts: its absolute value exceeds the tolerance.
bool differs(double difference);

/// The tolerance as the statements compare with it: "0.010001".
std::string toleranceLiteral();

}  // namespace vesk::compare
