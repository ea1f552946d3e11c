#pragma once

#include <optional>

#include "core/DateTime.h"

namespace vesk::sheet {

// A workbook's date serial as a calendar date, rounded to the nearest second.
// nullopt for serials no spreadsheet shows as a date (negative, or past 9999-12-31).
std::optional<DateTime> serialToDate(double serial, bool date1904);

}  // namespace vesk::sheet
