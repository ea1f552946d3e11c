#pragma once

#include <string>

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

/// An amount as the grids show it, pattern "0.00": at least one integer digit, two
/// decimals, no grouping, a leading minus for negatives (never "-0.00"). Rounded half away
/// from zero on the amount's 15 significant digits, so 1.005 gives 1.01.
std::string formatAmount(double amount);

}  // namespace vesk::compare
