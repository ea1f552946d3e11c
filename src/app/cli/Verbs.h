#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Call.h"
#include "compare/Printout.h"
#include "core/DateTime.h"

namespace vesk::cli {

// The verbs' functions, which the table (verbs()) names; each gets its parsed command line.

int runInspect(Call& call);
int runSample(Call& call);

int runImportMaster(Call& call);
int runOffices(Call& call);
int runSetOffice(Call& call);
int runDeleteOffices(Call& call);

int runImportCtr(Call& call);
int runImportOrv(Call& call);
int runSummary(Call& call);
int runDeleteMonth(Call& call);

int runCompare(Call& call);
int runDetail(Call& call);
int runUnmatched(Call& call);
int runExplain(Call& call);
int runExportConsolidated(Call& call);
int runExportDetailed(Call& call);
int runExportUnmatched(Call& call);
int runExportExplained(Call& call);
int runOfficeLists(Call& call);

int runTrend(Call& call);
int runExportTrend(Call& call);

int runNote(Call& call);
int runNotes(Call& call);
int runOpenItems(Call& call);
int runExportOpenItems(Call& call);
int runStatement(Call& call);
int runExportStatement(Call& call);
int runClose(Call& call);
int runReopen(Call& call);
int runCloses(Call& call);
int runMonths(Call& call);
int runSignOff(Call& call);
int runRules(Call& call);
int runRulesSet(Call& call);
int runRulesTry(Call& call);

int runPair(Call& call);
int runUnpair(Call& call);
int runPairs(Call& call);

int runHistory(Call& call);

int runCheck(Call& call);
int runBackup(Call& call);
int runRestore(Call& call);
int runDailyBackups(Call& call);
int runPassphraseSet(Call& call);
int runPassphraseChange(Call& call);
int runPassphraseRemove(Call& call);

int runWhere(Call& call);
int runHelp(Call& call);

/// The month that the arguments from the first name: YEAR (1900 to 9999), then MONTH (1 to 12
/// or its name); throws UsageError for anything else.
Period periodArguments(const Call& call, std::size_t first);

/// Says on standard error what the month lacks of its imports, as the comparison form's line
/// says it; nothing when it lacks nothing, nor (unless emptyToo) when it holds nothing.
void warnOfMissingParts(Call& call, Period period, bool emptyToo = true);

/// Writes the cells as one tab-separated line.
void writeLine(std::ostream& out, const std::vector<std::string>& cells);

/// Saves an export where --out says (the desktop's output folder by default), as the forms'
/// export flow saves it, and prints its path. write puts the file into the folder given. The
/// print of an export (--pdf FILE) writes the printout's pages to FILE instead.
int saveExport(Call& call, const std::string& fileName,
               const std::function<std::string(const std::string& folder)>& write,
               const std::function<compare::Printout()>& printout);

/// Writes the printout's pages to a PDF at path through the windowed program, which the
/// command line, having no windows of its own, starts unseen for it. Throws Error.
void printToPdf(const compare::Printout& printout, const std::string& path);

}  // namespace vesk::cli
