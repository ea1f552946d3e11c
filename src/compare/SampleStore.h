#pragma once

#include "sample/SampleData.h"
#include "store/Connection.h"

namespace vesk::compare {

/// Stores a month of sample data straight into the tables, each value as the imports
/// store the workbook cell (texts trimmed, numbers in plain decimal, dates as
/// yyyy-mm-dd), without writing and reading workbooks. With offices, the office master
/// is replaced and the division office made the configured office.
void storeSampleMonth(store::Connection& db, const sample::SampleData& data, bool offices);

}  // namespace vesk::compare
