#pragma once

#include <string>

#include "store/Value.h"

namespace vesk::report {

/// The summary column that orders the months and is never shown.
inline constexpr int kSortMonthColumn = 7;

/// Whether a summary column shows amounts: its heading, in upper case, holds "AMOUNT".
bool isAmountColumn(const std::string& heading);

/// A summary field as its grid cell shows it: amounts with two decimals and thousands
/// separated ("1,234.50"), the
/// rest as the engine gives them; Null shows nothing.
std::string summaryCellText(const store::Value& value, const std::string& heading);

}  // namespace vesk::report
