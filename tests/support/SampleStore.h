#pragma once

#include "sample/SampleData.h"
#include "store/Connection.h"

namespace vesk::test {

/// Stores a month of sample data without writing and reading workbooks: each value as the
/// imports store the workbook cell (texts trimmed, numbers in plain decimal, dates as
/// yyyy-mm-dd), through the store's own insert statements. With offices, the office master
/// is replaced first, and its division office made the configured office, as the office
/// functions do it (each recorded in the history).
void storeSampleMonth(store::Connection& db, const sample::SampleData& data, bool offices);

}  // namespace vesk::test
