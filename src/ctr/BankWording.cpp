#include "ctr/BankWording.h"

namespace vesk::ctr {

namespace {

report::ReportWording words() {
    report::ReportWording w;
    w.openFilter = "Excel Files (*.xls,*.xlsx)|*.xls;*.xlsx";
    w.invalidHeader = exclamation("Invalid file. Please select the correct file.", "Error");
    w.noDate = critical("Could not determine the date from the first row of data.");
    w.overwriteText = [](const std::string& period, const std::string&) {
        return std::string("WARNING: This will DELETE ALL existing data in the VESK database for: ") + kCrLf + kCrLf +
               period + kCrLf + kCrLf + "Are you sure you want to proceed?";
    };
    w.importedText = [](const std::string&) { return std::string("Data Imported Successfully!"); };

    w.gridErrorTitle = "";
    w.selectionRequired = exclamation("Please select the Year and Month to delete data.", "Selection Required");
    w.confirmDelete = [](const std::string& month, const std::string& year) {
        return question("Are you sure you want to delete ALL entries for " + month + " " + year + "?" + kCrLf +
                            "This action cannot be undone.",
                        "Confirm Deletion", Icon::Question, Answer::No);
    };
    w.deleted = [](std::int64_t count, const std::string& month, const std::string& year) {
        return info(
            "All entries of " + month + " " + year + " (" + std::to_string(count) + " entries) deleted successfully.",
            "Deleted");
    };
    w.nothingDeleted = [](const std::string& month, const std::string& year) {
        return exclamation("No data found for " + month + " " + year + ". Nothing was deleted.", "No Data Found");
    };
    w.deleteErrorTitle = "Delete Failed";
    w.loadFailed = [](const Error& e) {
        return critical(std::to_string(e.number()) + " - " + e.description(), "Database Connection Error");
    };
    return w;
}

}  // namespace

const report::ReportWording& bankWording() {
    static const report::ReportWording kWording = words();
    return kWording;
}

}  // namespace vesk::ctr
