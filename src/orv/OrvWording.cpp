#include "orv/OrvWording.h"

namespace vesk::orv {

namespace {

report::ReportWording words() {
    report::ReportWording w;
    w.openFilter = "Excel Files (*.xls,*.xlsx)|*.xls;*.xlsx";
    w.kindWords = {{"R", "VESK DEPOSIT"}, {"P", "VESK WITHDRAWAL"}};
    w.invalidHeader = exclamation("Invalid file. Please select the proper file.", "Error");
    w.noDate = critical("Invalid file. Please select the proper file..");
    w.invalidKind = w.noDate;
    w.overwriteText = [](const std::string& period, const std::string& word) {
        return "WARNING: You are importing " + word + " data." + kCrLf + kCrLf + "This will DELETE existing " + word +
               " data for: " + kCrLf + period + kCrLf + kCrLf + "Are you sure you want to proceed?";
    };
    w.importedText = [](const std::string& word) { return "ORV Data (" + word + ") Imported Successfully!"; };

    w.gridErrorTitle = "Error";
    w.selectionRequired = exclamation("Please Select the Year and Month.", "Error");
    w.confirmDelete = [](const std::string& month, const std::string& year) {
        return question("Delete ALL ORV entries for " + month + " " + year + "?", "Confirm", Icon::Question,
                        Answer::No);
    };
    w.deleted = [](std::int64_t count, const std::string& month, const std::string& year) {
        return info(std::to_string(count) + " records deleted for the month " + month + " - " + year, "Deleted");
    };
    w.nothingDeleted = [](const std::string&, const std::string&) {
        return exclamation(std::string("No data found for this period.") + kCrLf + "Nothing is deleted", "No data");
    };
    w.deleteErrorTitle = "Error";
    w.loadFailed = [](const Error& e) { return critical("Database Connection Error: " + e.description(), "Error"); };
    return w;
}

}  // namespace

const report::ReportWording& orvWording() {
    static const report::ReportWording kWording = words();
    return kWording;
}

}  // namespace vesk::orv
