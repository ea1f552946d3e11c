#pragma once

#include <string>
#include <vector>

#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/Explanation.h"
#include "core/Palette.h"

namespace vesk::compare {

/// The fill a class of explained rows has in the window and in the workbook.
Rgb pairClassColour(PairClass c);

/// The sheet of an explanation: title, period and office lines, the listing's columns after
/// "Sl.No", one row per line filled by its class, the legend below.
ExportSheet explainedSheet(const std::vector<ExplainedLine>& lines, const ExportContext& context);

/// Writes the explanation's sheet as the other exports are written; returns its path.
std::string writeExplainedWorkbook(const std::vector<ExplainedLine>& lines, const ExportContext& context,
                                   const std::string& folder);

}  // namespace vesk::compare
