#pragma once

#include <string>
#include <vector>

#include "sheet/Cell.h"
#include "sheet/Workbook.h"

namespace vesk::test {

/// A written workbook's sheet (the first by default) as text, row by row ("a|b|c"), trailing
/// empty cells dropped.
inline std::vector<std::string> sheetRows(const std::string& path, int index = 0) {
    auto book = sheet::Workbook::open(path);
    auto s = book->sheet(index);
    std::vector<std::string> out;
    for (int r = 1; r <= s->usedRows(); ++r) {
        std::string line;
        int last = 0;
        for (int c = 1; c <= s->usedColumns(); ++c)
            if (!s->cell(r, c).isEmpty()) last = c;
        for (int c = 1; c <= last; ++c) line += (c > 1 ? "|" : "") + sheet::cellText(s->cell(r, c));
        out.push_back(line);
    }
    return out;
}

}  // namespace vesk::test
