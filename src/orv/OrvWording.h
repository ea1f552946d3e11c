#pragma once

#include "orv/OrvReport.h"
#include "report/ReportWording.h"

namespace vesk::orv {

/// What the ORV report's form and verbs say.
const report::ReportWording& orvWording();

/// The ORV report with its wording: what its form and its verbs work with.
inline report::Report orvReports() { return {orvReport(), orvWording()}; }

}  // namespace vesk::orv
