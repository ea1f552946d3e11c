#pragma once

#include <string>
#include <string_view>

#include "compare/Grid.h"

namespace vesk::compare {

/// The column the office-name filter reads.
inline constexpr std::size_t kFilterColumn = 2;

/// Shows the rows whose office name begins with the text (letter case aside, blanks as
/// typed; a name shorter than the text never matches) and hides the others. Every row is
/// shown when the text is blank; the total row is always shown. Rows are never removed.
void filterRows(Grid& grid, std::string_view text);

/// The search box's text as it is to stand: upper case.
std::string filterBoxText(std::string_view typed);

}  // namespace vesk::compare
