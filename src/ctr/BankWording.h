#pragma once

#include "ctr/BankReport.h"
#include "report/ReportWording.h"

namespace vesk::ctr {

/// What the bank CTR report's form and verbs say.
const report::ReportWording& bankWording();

/// The bank CTR report with its wording: what its form and its verbs work with.
inline report::Report bankCtr() { return {bankReport(), bankWording()}; }

}  // namespace vesk::ctr
