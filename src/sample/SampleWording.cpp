#include "sample/SampleWording.h"

namespace vesk::sample {

std::string tooManyOfficesText(int most) { return "A sample holds at most " + std::to_string(most) + " offices."; }

std::string tooFewRowsText(int offices) {
    return "A sample needs at least twice as many bank rows as offices (" + std::to_string(2 * offices) + " for " +
           std::to_string(offices) + " offices).";
}

std::string tooManyRowsText(int most) { return "A sample holds at most " + std::to_string(most) + " bank rows."; }

std::string invalidMonthText(int year, int month) {
    return "Invalid sample month " + std::to_string(month) + "/" + std::to_string(year) + ".";
}

std::string folderNotCreatedText(const std::string& folder, const std::string& why) {
    return "Cannot create the folder " + folder + ": " +
           (why.empty() ? std::string("a file of that name exists") : why);
}

}  // namespace vesk::sample
