#pragma once

#include <cstdint>
#include <string>

namespace vesk {

/// Two amounts agree when they differ by at most this much.
inline constexpr double kTolerance = 0.01;
/// Amounts are summed and paired in ten-thousandths of a rupee.
inline constexpr double kUnitsPerRupee = 10000.0;
/// The tolerance in those units: 100.
inline constexpr std::int64_t kToleranceUnits = std::int64_t(kTolerance * kUnitsPerRupee + 0.5);
/// An amount in ten-thousandths, so that sums and the tolerance are exact.
std::int64_t amountUnits(double amount);
/// True when two amounts (in ten-thousandths) differ by at most the tolerance, 0.01.
bool amountsEqual(std::int64_t a, std::int64_t b);

/// How formatAmount writes the whole part.
enum class Grouping { None, Thousands };

/// An amount with two decimals, as every grid, summary and exported workbook shows it: at
/// least one integer digit, a leading minus for negatives (never "-0.00"), thousands
/// separated by commas when asked. Rounded half away from zero on the decimal the double
/// stands for (its 15 significant digits), so 2.675 gives 2.68 and 0.125 gives 0.13.
/// Amounts of 1e15 and more are written with every digit the double holds.
std::string formatAmount(double amount, Grouping grouping = Grouping::None);

}  // namespace vesk
