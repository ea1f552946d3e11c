#pragma once

#include <string>
#include <vector>

#include "core/Palette.h"

namespace vesk::compare {

inline constexpr int kStatusPointSize = 12;

/// A label the comparison shows and hides while it works.
struct LabelView {
    bool visible = false;
    std::string text;
    Rgb colour = palette::kWaitText;
    int pointSize = kStatusPointSize;
    bool bold = true;
};

/// What the comparison form shows besides its two grids. A new view is the form as it
/// opens: the Ready state with nothing in the lists.
struct CompareView {
    std::vector<std::string> years;   ///< Combo1
    int year = -1;                    ///< its selection
    std::vector<std::string> months;  ///< Combo2
    int month = -1;
    std::vector<bool> yearsHeld;   ///< beside years: the years holding data, marked in the list
    std::vector<bool> monthsHeld;  ///< beside months: those of the selected year holding data
    bool periodEnabled = true;     ///< Combo1 and Combo2

    bool frameVisible = true;          ///< Frame1, the blank panel before results
    bool runVisible = true;            ///< cmdRun, Compare
    bool resetVisible = false;         ///< Command5, Reset
    bool exportVisible = false;        ///< Command1, the consolidated export
    bool detailExportVisible = false;  ///< Command6, the detailed export

    std::vector<std::string> offices;  ///< Combo3: "All" and the listed offices
    int office = -1;                   ///< its selection
    std::string countText;             ///< Label11
    bool leftOutVisible = false;       ///< the left-out line and its button, after a comparison
    bool explainEnabled = false;       ///< cmdExplain, after a comparison
    std::string leftOutText;           ///< the left-out line
    /// What the chosen month lacks of its imports, or that it holds nothing and which month
    /// is the newest held; empty when it lacks nothing.
    std::string partsText;
    std::string filterText;  ///< Text1

    LabelView wait;     ///< Label9, "Please Wait...."
    LabelView loading;  ///< Label7, "Loading Details..."
    LabelView status;   ///< Label10, "Data Fetched..." blinking
};

}  // namespace vesk::compare
