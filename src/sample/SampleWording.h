#pragma once

#include <string>

namespace vesk::sample {

// Why a sample cannot be made, as the command line says it.

inline constexpr const char* kTooFewOfficesText =
    "A sample needs at least 6 offices (one division office, one head office and four sub-offices for the planted "
    "differences).";
/// "A sample holds at most 5000 offices."
std::string tooManyOfficesText(int most);
/// "A sample needs at least twice as many bank rows as offices (80 for 40 offices)."
std::string tooFewRowsText(int offices);
/// "A sample holds at most 1000000 bank rows."
std::string tooManyRowsText(int most);
/// "Invalid sample month 13/2025."
std::string invalidMonthText(int year, int month);
/// The sample's folder cannot be made; `why` is empty when a file of that name is in the way.
std::string folderNotCreatedText(const std::string& folder, const std::string& why);

}  // namespace vesk::sample
