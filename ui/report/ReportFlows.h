#pragma once

#include <cstdint>
#include <string>

#include "core/DateTime.h"
#include "core/Prompter.h"
#include "report/ReportDescription.h"
#include "report/ReportMonths.h"
#include "report/ReportWording.h"
#include "store/Connection.h"

namespace vesk::report {

// Each user action on a monthly report as one flow, through whichever prompter asks (the
// form's message boxes, the terminal): the report forms and the report verbs drive the same.

/// Importing a month of the report from a workbook: the replace question, the import with a
/// progress text every progressEvery rows (and at the last), and what the person is told.
MonthImport importReport(const store::Opener& db, Prompter& prompter, const Report& report, const std::string& path,
                         int progressEvery, const Clock& now = localNow);

/// Deleting a month given as the summary shows it ("2025", "Apr"): the question, the
/// deletion and what the person is told. The number of rows deleted; 0 when the person
/// gave no month, declined, or the month held none.
std::int64_t deleteReportMonth(const store::Opener& db, Prompter& prompter, const Report& report,
                               const std::string& year, const std::string& month, const Clock& now = localNow);

}  // namespace vesk::report
