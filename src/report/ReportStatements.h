#pragma once

#include <string>

#include "report/ReportDescription.h"

namespace vesk::report {

/// Deletes the rows of a month given as the summary shows it: the month's abbreviation
/// (any letter case) and the year as texts, both bound.
std::string deleteShownMonthStatement(const ReportDescription& report);

/// Deletes the rows of a month by number (month, year bound), and of one kind (a third
/// bound value) when the report's files hold one kind each.
std::string deleteImportedMonthStatement(const ReportDescription& report, bool ofKind);

}  // namespace vesk::report
