#pragma once

#include <string>
#include <vector>

namespace vesk::compare {

/// Row heights of a grid, in twips: a row the filter hides has height 0.
inline constexpr int kShownRowHeight = 255;
inline constexpr int kHiddenRowHeight = 0;

/// One cell: its text exactly as shown, and whether it is a differing amount (red
/// background, white text).
struct GridCell {
    std::string text;
    bool red = false;
};

/// One row below the header. The total row is flagged as such (yellow background and bold
/// text in every cell); an office row never is, whatever its office is called.
struct GridRow {
    std::vector<GridCell> cells;
    bool total = false;
    bool visible = true;

    int heightTwips() const { return visible ? kShownRowHeight : kHiddenRowHeight; }
};

enum class Align {
    General,     ///< numbers right, text left
    LeftCenter,  ///< left, vertically centred
};

/// A grid filled cell by cell: the header row, the column widths (0 hides a column but
/// keeps its cells) and the rows under the header, in order.
struct Grid {
    std::vector<std::string> headers;
    std::vector<int> widthsTwips;
    std::vector<Align> alignments;
    std::vector<GridRow> rows;

    std::size_t columnCount() const { return headers.size(); }
    /// An empty row of as many cells as there are columns: what a set-up grid holds.
    GridRow blankRow() const { return GridRow{std::vector<GridCell>(headers.size()), false, true}; }
    /// True when a row holds something: a set-up grid's blank row is no data.
    bool hasData() const {
        for (const GridRow& row : rows)
            for (const GridCell& cell : row.cells)
                if (!cell.text.empty()) return true;
        return false;
    }
};

}  // namespace vesk::compare
