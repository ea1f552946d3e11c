#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "core/Amount.h"

namespace vesk::compare {

/// The six amounts of a row in grid order: bank deposits, ORV receipts, their difference,
/// bank withdrawals, ORV payments, their difference (bank minus ORV).
using Amounts = std::array<double, 6>;
inline constexpr std::size_t kDepositDifference = 2;
inline constexpr std::size_t kWithdrawalDifference = 5;

/// Added to the tolerance so that the noise of subtracting two exact sums (100.01 - 100.00
/// gives 0.010000000000005) does not turn an agreement into a difference. Far below a paisa.
inline constexpr double kToleranceMargin = 1e-6;

/// True when a difference (bank minus ORV) counts: its absolute value exceeds the tolerance.
bool differs(double difference);

/// The tolerance as the statements compare with it: "0.010001".
std::string toleranceLiteral();

}  // namespace vesk::compare
