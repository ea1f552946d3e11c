#include "office/OfficeWording.h"

#include "history/HistoryWording.h"

namespace vesk::office {

namespace {

std::string numbered(const Error& e, const char* separator) {
    return std::to_string(e.number()) + separator + e.description();
}

}  // namespace

OpenFileRequest masterFileRequest() {
    return {"Select the ORV 2.0 Master Data File to Import",
            "Excel Files (*.xls,*.xlsx)|*.xls;*.xlsx|All files (*.*)|*.*", ""};
}

Message fileNotSelected() { return exclamation("File not selected.", "Cancelled"); }

Message masterOverwriteQuestion(const std::optional<DateTime>& importedBefore) {
    return history::withEarlierImport(
        question(std::string("The existing Office Master Data will be overwritten.") + kCrLf + "Are You Sure?",
                 "Confirm", Icon::Information),
        importedBefore);
}

std::optional<Message> masterImportRefusal(MasterImport::Status status) {
    switch (status) {
        case MasterImport::Status::InvalidFile:
            return exclamation("Invalid file selected. Cell B1 must contain 'office_name'.", "Error");
        case MasterImport::Status::Declined:
            return info("Operation Cancelled.", "Cancelled");
        case MasterImport::Status::NoData:
            return exclamation("No data found in file.");
        case MasterImport::Status::Imported:
            break;
    }
    return std::nullopt;
}

Message masterImported() { return info("Office Master Imported Successfully", "Success"); }

Message noDivisionOffice() { return exclamation("Warning: No Division Office found in the imported data."); }

std::string masterImportProgress(int row, int rows) {
    return "Importing Row " + std::to_string(row) + " / " + std::to_string(rows);
}

std::string officesAvailable(std::int64_t count) { return std::to_string(count) + " office details available."; }

std::string officesUpdated(std::int64_t count) {
    return std::to_string(count) + " office details updated successfully.";
}

Message noOffices() { return exclamation("The Office Master Data is empty! Import data first.", "No Offices Found"); }

Message noListedOffices() {
    return exclamation("Table has data, but the Query found 0 matches for HPO or PDN.", "Debug Info");
}

Message selectOfficeFirst() {
    return exclamation("Please select an office from the list first.", "Selection Required");
}

Message saveOfficeQuestion(const std::string& shownName) {
    return question("Are you sure you want to set '" + shownName + "' as your configured office?", "Confirm Save",
                    Icon::Question);
}

Message officeNotFound(const std::string& name) {
    return exclamation("The office '" + name + "' was not found in the Office Master Data. Nothing was changed.",
                       "Office Not Found");
}

Message officeSaved() { return info("Office updated successfully!", "Saved"); }

Message deleteAllQuestion() {
    return question(
        std::string("Are you sure you want to DELETE ALL office records?") + kCrLf + "This action cannot be undone.",
        "Confirm Delete", Icon::Exclamation, Answer::No);
}

Message allOfficesDeleted() { return info("All office data has been deleted successfully.", "Success"); }

Message loadFailed(const Error& error) {
    return {numbered(error, " - "), "Error", Icon::None, Buttons::Ok, Answer::Ok};
}

Message refreshFailed(const Error& error) { return critical("Error in RefreshOfficeCombo: " + error.description()); }

Message saveFailed(const Error& error) {
    return critical("Error saving configuration: " + error.description(), "Error");
}

Message deleteFailed(const Error& error) { return critical(numbered(error, " - "), "Error"); }

Message importFailed(const Error& error) { return critical("Error " + numbered(error, ": "), "Error"); }

}  // namespace vesk::office
