#pragma once

#include <string>

#include "core/DateTime.h"
#include "review/MonthStatement.h"

namespace vesk::review {

/// Writes the month's statement as the other exports are written, into the folder (created
/// when missing): on its first sheet the title, period and scope lines, the statement and the
/// roll-forward as two blocks and the line saying when it was computed; on the second the
/// items behind the roll-forward. A4 portrait, one page wide. Returns its path. Throws Error.
std::string writeStatementWorkbook(const MonthStatement& statement, const DateTime& computed,
                                   const std::string& folder);

}  // namespace vesk::review
