#include "compare/GridFilter.h"

#include "core/Text.h"

namespace vesk::compare {

void filterRows(Grid& grid, std::string_view text) {
    const bool showAll = trim(text).empty();
    const std::string wanted = upper(text);
    for (GridRow& row : grid.rows) {
        if (showAll || row.total) {
            row.visible = true;
            continue;
        }
        const std::string_view name =
            row.cells.size() > kFilterColumn ? std::string_view(row.cells[kFilterColumn].text) : std::string_view();
        row.visible = name.size() >= wanted.size() && upper(name.substr(0, wanted.size())) == wanted;
    }
}

std::string filterBoxText(std::string_view typed) { return upper(typed); }

}  // namespace vesk::compare
