#pragma once

#include <compare>

namespace vesk {

/// A colour as red, green and blue from 0 to 255.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    auto operator<=>(const Rgb&) const = default;
};

/// The colours the program's windows and exported workbooks share.
namespace palette {
inline constexpr Rgb kDifference{255, 0, 0};  ///< a differing amount's background
inline constexpr Rgb kDifferenceText{255, 255, 255};
inline constexpr Rgb kTotal{255, 255, 0};          ///< the total row; the status labels' background
inline constexpr Rgb kWaitText{192, 0, 0};         ///< "Please Wait...." and the like
inline constexpr Rgb kFetchedText{0, 100, 0};      ///< "Data Fetched..."
inline constexpr Rgb kMarkedText{255, 0, 0};       ///< the blinking label's marked look
inline constexpr Rgb kProgressText{0, 0, 192};     ///< the import's row count
inline constexpr Rgb kLoadingBack{128, 255, 128};  ///< "Loading Details..."
inline constexpr Rgb kButton{255, 224, 192};       ///< every command button
}  // namespace palette

}  // namespace vesk
