#pragma once

#include <string>
#include <vector>

namespace vesk::trend {

/// A cell of the office map.
struct MapCell {
    std::string text;   ///< its To Explain, "" where the office agrees or has no bank rows
    double shade = 0;   ///< 0 for none, up to 1 for the map's largest amount
    std::string hover;  ///< what hovering over it shows
};

struct MapRow {
    std::string office;
    std::vector<MapCell> cells;  ///< one per month shown
    std::string open;            ///< the last column: its open items over the months shown
};

/// What the trend window shows.
struct TrendView {
    std::vector<std::string> months;  ///< cboFrom and cboTo: every month the data holds, "Apr 2025"
    int from = -1;                    ///< their selections
    int to = -1;
    bool loading = false;    ///< a load runs: the choices wait for it
    std::string statusText;  ///< lblStatus, over the chart

    std::vector<std::string> categories;  ///< chtTrend: the months shown
    std::vector<double> toExplain;        ///< its columns
    std::vector<int> differing;           ///< its line
    std::string emptyText;                ///< the line on an empty chart; "" when it shows months

    std::vector<MapRow> map;  ///< grdMap: an office a row, the months shown its columns, then Open
    bool exportEnabled = false;
};

}  // namespace vesk::trend
