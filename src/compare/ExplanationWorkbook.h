#pragma once

#include <string>
#include <vector>

#include "compare/ComparisonWorkbook.h"
#include "compare/Explanation.h"
#include "core/Palette.h"

namespace vesk::compare {

/// The fill a class of explained rows has in the window and in the workbook.
Rgb pairClassColour(PairClass c);
/// What a class means, as the workbook's legend and the window's tips say it.
const char* pairClassMeaning(PairClass c);

/// The sheet of an explanation: title, period and office lines, the listing's columns after
/// "Sl.No", one row per line filled by its class, the legend below.
ExportSheet explainedSheet(const std::vector<ExplainedLine>& lines, const ExportContext& context);

/// "April_2025_Explained.xlsx" for the differing offices (context.office none or "All"),
/// "April_2025_Explained_<office>.xlsx" for one, characters a file name cannot hold as "_".
std::string explainedFileName(const ExportContext& context);

/// Writes the explanation's sheet as the other exports are written; returns its path.
std::string writeExplainedWorkbook(const std::vector<ExplainedLine>& lines, const ExportContext& context,
                                   const std::string& folder);

}  // namespace vesk::compare
