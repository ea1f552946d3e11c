#pragma once

#include <string>
#include <vector>

#include "store/Schema.h"

namespace vesk::report {

/// What tells the two monthly reports apart: their table and the shape of their files.
/// Everything else they do alike; what each says is its wording (ReportWording).
struct ReportDescription {
    store::Table table;
    int columns;             ///< file columns read from A on: 11 (A:K) or 22 (A:V)
    std::string headerB1;    ///< what B1 must hold, trimmed, exactly
    std::string dateColumn;  ///< the table's date column, which decides the month

    /// Files holding one kind of entry: the file column of the kind letter in row 2, the
    /// table column it goes to and the letters allowed ("R", "P"). No kinds: the file holds
    /// a whole month.
    int kindColumn = 0;
    std::string kindTableColumn;
    std::vector<std::string> kinds;
};

}  // namespace vesk::report
