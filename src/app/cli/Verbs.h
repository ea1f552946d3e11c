#pragma once

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

}  // namespace vesk::cli
