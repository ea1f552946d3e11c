#pragma once

#include "report/ReportDescription.h"

namespace vesk::ctr {

/// The bank's monthly CTR report from Finacle: table veskfinacle, columns A to K, one
/// month per file.
const report::ReportDescription& bankReport();

}  // namespace vesk::ctr
