#pragma once

#include <string>

namespace vesk {

/// How formatAmount writes the whole part.
enum class Grouping { None, Thousands };

/// An amount with two decimals, as every grid, summary and exported workbook shows it: at
/// least one integer digit, a leading minus for negatives (never "-0.00"), thousands
/// separated by commas when asked. Rounded half away from zero on the decimal the double
/// stands for (its 15 significant digits), so 2.675 gives 2.68 and 0.125 gives 0.13.
/// Amounts of 1e15 and more are written with every digit the double holds.
std::string formatAmount(double amount, Grouping grouping = Grouping::None);

}  // namespace vesk
