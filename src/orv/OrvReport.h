#pragma once

#include "report/ReportDescription.h"

namespace vesk::orv {

/// ORV 2.0's monthly accounting report: table orvtable, columns A to V, one month of
/// receipts ("R" in I2) or of payments ("P") per file.
const report::ReportDescription& orvReport();

}  // namespace vesk::orv
