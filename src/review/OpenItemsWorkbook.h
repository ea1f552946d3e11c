#pragma once

#include <string>

#include "compare/ExportSheet.h"
#include "review/OpenItems.h"

namespace vesk::review {

/// The sheet of the open items: the title, the as-of and scope lines, a line per bucket
/// (items and amount), then the list, each item filled as its class is in the explanation.
compare::ExportSheet openItemsSheet(const OpenItems& open);

/// Writes the sheet as the other exports are written, into the folder (created when
/// missing); returns its path. Throws Error.
std::string writeOpenItemsWorkbook(const OpenItems& open, const std::string& folder);

}  // namespace vesk::review
