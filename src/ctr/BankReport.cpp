#include "ctr/BankReport.h"

namespace vesk::ctr {

namespace {

report::ReportDescription describe() {
    report::ReportDescription r;
    r.table = store::Table::Finacle;
    r.columns = 11;
    r.headerB1 = "VALUE_DATE";
    r.dateColumn = "value_date";
    r.summaryColumns =
        "Format(value_date, 'yyyy') AS [YEAR], Format(value_date, 'mmm') AS [MONTH], "
        "Count(tran_id) AS [TOTAL ENTRIES], Sum(IIF(CASH_TRAN_TYPE='DEPOSIT', 1, 0)) AS [DEP COUNT], "
        "Sum(IIF(CASH_TRAN_TYPE='DEPOSIT', Val(TRAN_AMT), 0)) AS [DEP AMOUNT], "
        "Sum(IIF(CASH_TRAN_TYPE='WITHDRAWAL', 1, 0)) AS [WDL COUNT], Sum(IIF(CASH_TRAN_TYPE='WITHDRAWAL', "
        "Val(TRAN_AMT), 0)) AS [WDL AMOUNT], Month(value_date) AS [SortMonth]";
    r.openFilter = "Excel Files (*.xls,*.xlsx)|*.xls;*.xlsx";

    r.invalidHeader = {"Invalid file. Please select the correct file.", "Error", Icon::Exclamation};
    r.noDate = {"Could not determine the date from the first row of data.", "", Icon::Critical};
    r.overwriteText = [](const std::string& period, const std::string&) {
        return std::string("WARNING: This will DELETE ALL existing data in the VESK database for: ") + kCrLf + kCrLf +
               period + kCrLf + kCrLf + "Are you sure you want to proceed?";
    };
    r.importedText = [](const std::string&) { return std::string("Data Imported Successfully!"); };

    r.gridErrorTitle = "";
    r.selectionRequired = {"Please select the Year and Month to delete data.", "Selection Required", Icon::Exclamation};
    r.confirmDelete = [](const std::string& month, const std::string& year) {
        return Message{"Are you sure you want to delete ALL entries for " + month + " " + year + "?" + kCrLf +
                           "This action cannot be undone.",
                       "Confirm Deletion", Icon::Question, Buttons::YesNo, Answer::No};
    };
    r.deleted = [](std::int64_t count, const std::string& month, const std::string& year) {
        return Message{
            "All entries of " + month + " " + year + " (" + std::to_string(count) + " entries) deleted successfully.",
            "Deleted", Icon::Information};
    };
    r.nothingDeleted = [](const std::string& month, const std::string& year) {
        return Message{"No data found for " + month + " " + year + ". Nothing was deleted.", "No Data Found",
                       Icon::Exclamation};
    };
    r.deleteErrorTitle = "Delete Failed";
    r.loadFailed = [](const Error& e) {
        return Message{std::to_string(e.number()) + " - " + e.description(), "Database Connection Error",
                       Icon::Critical};
    };
    return r;
}

}  // namespace

const report::ReportDescription& bankReport() {
    static const report::ReportDescription kReport = describe();
    return kReport;
}

}  // namespace vesk::ctr
