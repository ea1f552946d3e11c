#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace vesk::cli {

// One function per family of verbs; each appends its verbs.
void addInspectVerbs(std::vector<Verb>& verbs);
void addSampleVerbs(std::vector<Verb>& verbs);
void addOfficeVerbs(std::vector<Verb>& verbs);
void addReportVerbs(std::vector<Verb>& verbs);
void addCompareVerbs(std::vector<Verb>& verbs);
void addWhereVerbs(std::vector<Verb>& verbs);
void addHistoryVerbs(std::vector<Verb>& verbs);
void addBackupVerbs(std::vector<Verb>& verbs);
void addTrendVerbs(std::vector<Verb>& verbs);

/// export trend [FROM TO] [--out DIR]: the positional arguments start with "trend".
int exportTrend(Context& context, const Arguments& arguments);

void addReviewVerbs(std::vector<Verb>& verbs);

/// export open-items: the open items' workbook.
int exportOpenItems(Context& context, const Arguments& arguments);

/// Writes the cells as one tab-separated line.
void writeLine(std::ostream& out, const std::vector<std::string>& cells);

/// Saves an export where --out says (the desktop's output folder by default), as the forms'
/// export flow saves it, and prints its path. write puts the file into the folder given.
int saveExport(Context& context, const Arguments& arguments, const std::string& fileName,
               const std::function<std::string(const std::string& folder)>& write);

}  // namespace vesk::cli
