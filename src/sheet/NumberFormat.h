#pragma once

#include <string_view>

namespace vesk::sheet {

// Whether a number format shows its value as a date or time. Built-in formats go by id;
// any other by its code: a day, month, year, hour or second part outside quotes, brackets
// and escapes makes a date ([h], [mm], [ss] elapsed times count too).
bool isDateFormat(int numFmtId, std::string_view code);

// The same test for a built-in format id alone (no code known).
bool isBuiltInDateFormat(int numFmtId);

}  // namespace vesk::sheet
