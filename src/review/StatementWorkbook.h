#pragma once

#include <string>
#include <vector>

#include "compare/Printout.h"
#include "core/DateTime.h"
#include "review/MonthClose.h"
#include "review/MonthStatement.h"

namespace vesk::review {

/// Writes the month's statement as the other exports are written, into the folder (created
/// when missing): on its first sheet the title, period and scope lines, the statement and the
/// roll-forward as two blocks and the line saying what it is (when computed, or closed); on the
/// second the items behind the roll-forward, given as their cells (as a close keeps them). A4
/// portrait, one page wide. Returns its path. Throws Error.
std::string writeStatementWorkbook(const MonthStatement& statement, const std::vector<std::vector<std::string>>& items,
                                   const std::string& stateLine, const std::string& folder);

/// What the statement puts on paper: what its workbook holds (the statement and the
/// roll-forward as the first sheet's two lists, the state line under them; the items on the
/// second), closed by the sign-off block.
compare::Printout statementPrintout(const ShownStatement& shown, std::vector<compare::SignOff> signOffs,
                                    std::string printedAt);

}  // namespace vesk::review
