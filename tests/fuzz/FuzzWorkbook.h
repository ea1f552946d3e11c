#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/DateTime.h"

// What the workbook fuzz targets share: reading a workbook from bytes as an import reads
// it, and the containers that let a fuzzer reach the readers behind them.
namespace vesk::fuzz {

// Opens the bytes as a workbook and reads every sheet and every cell of its used area (up
// to a bound), as the imports and `inspect` do, and each sheet again row by row as an import
// streams it (all columns, and the first three), which must hand over the same cells. The program's own error is a
// clean refusal; anything else escapes, and a cell or a message that breaks the readers' promises aborts.
void readWorkbook(const std::string& name, std::string bytes);

// A zip package holding these parts, stored (not deflated), built in memory.
std::string zipPackage(const std::vector<std::pair<std::string, std::string_view>>& parts);

// A compound document whose one stream "Workbook" holds these bytes.
std::string compoundDocument(std::string_view workbookStream);

// A date a calendar has (the 1900 date system's 29 February 1900 too), with a time of a day.
bool isRealDate(const DateTime& d);

// Stops the run with a message when a promise is broken; libFuzzer keeps the input.
[[noreturn]] void broken(const std::string& what);

}  // namespace vesk::fuzz
