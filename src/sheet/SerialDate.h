#pragma once

#include <optional>
#include <string_view>

#include "core/DateTime.h"

namespace vesk::sheet {

// A workbook's date serial as a calendar date, rounded to the nearest second.
// nullopt for serials no spreadsheet shows as a date (negative, or past 9999-12-31).
std::optional<DateTime> serialToDate(double serial, bool date1904);

// The value of a date cell written as text (t="d"): an ISO 8601 date, date and time, or a
// time alone ("10:10:10", on 1899-12-30 as a bare time serial reads); fractions of a second
// and a zone ("Z", "+05:30") are dropped, the time kept as written. Any other text is read
// as parseDateText reads it. nullopt when it is no date.
std::optional<DateTime> cellDateText(std::string_view text);

}  // namespace vesk::sheet
