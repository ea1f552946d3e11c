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
// What an explained row is: light fills that leave the text readable.
inline constexpr Rgb kMatched{226, 239, 218};
inline constexpr Rgb kGroup{221, 235, 247};
inline constexpr Rgb kTiming{255, 242, 204};
inline constexpr Rgb kAmountDiffers{252, 228, 214};
inline constexpr Rgb kBankOnly{255, 199, 206};
inline constexpr Rgb kOrvOnly{230, 214, 242};
inline constexpr Rgb kManual{208, 224, 227};
inline constexpr Rgb kOtherOffice{237, 226, 208};
// The trend's chart, in the window and in its workbook: amounts as columns, counts as a line.
inline constexpr Rgb kTrendColumns{192, 80, 77};
inline constexpr Rgb kTrendLine{31, 73, 125};
}  // namespace palette

}  // namespace vesk
