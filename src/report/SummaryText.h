#pragma once

#include <string>

#include "store/Value.h"

namespace vesk::report {

/// The summary column that orders the months and is never shown.
inline constexpr int kSortMonthColumn = 7;

/// An amount as the number format "#,##0.00" shows it: 1234.5 is "1,234.50".
std::string groupedAmount(double amount);

/// Whether a summary column shows amounts: its heading, in upper case, holds "AMOUNT".
bool isAmountColumn(const std::string& heading);

/// A summary field as its grid cell shows it: amounts grouped with two decimals, the
/// rest as the engine gives them; Null shows nothing.
std::string summaryCellText(const store::Value& value, const std::string& heading);

}  // namespace vesk::report
