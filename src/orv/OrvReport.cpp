#include "orv/OrvReport.h"

namespace vesk::orv {

namespace {

report::ReportDescription describe() {
    report::ReportDescription r;
    r.table = store::Table::Orv;
    r.columns = 22;
    r.headerB1 = "try_posting_date";
    r.dateColumn = "try_posting_date";
    r.summaryColumns =
        "Format(try_posting_date, 'yyyy') AS [YEAR], Format(try_posting_date, 'mmm') AS [MONTH], "
        "Count(treasury_tran_id) AS [TOTAL ENTRIES], Sum(IIF(UCase(Left(receipt_or_payment, 1))='R', 1, "
        "0)) AS [DEP COUNT], Sum(IIF(UCase(Left(receipt_or_payment, 1))='R', Val(tot_amount), "
        "0)) AS [DEP AMOUNT], Sum(IIF(UCase(Left(receipt_or_payment, 1))='P', 1, 0)) AS [WDL COUNT], "
        "Sum(IIF(UCase(Left(receipt_or_payment, 1))='P', Val(tot_amount), 0)) AS [WDL AMOUNT], "
        "Month(try_posting_date) AS [SortMonth]";
    r.openFilter = "Excel Files (*.xls,*.xlsx)|*.xls;*.xlsx";

    r.kindColumn = 9;  // I
    r.kindTableColumn = "credit_or_debit";
    r.kinds = {{"R", "VESK DEPOSIT"}, {"P", "VESK WITHDRAWAL"}};

    r.invalidHeader = {"Invalid file. Please select the proper file.", "Error", Icon::Exclamation};
    r.noDate = {"Invalid file. Please select the proper file..", "", Icon::Critical};
    r.invalidKind = r.noDate;
    r.overwriteText = [](const std::string& period, const std::string& word) {
        return "WARNING: You are importing " + word + " data." + kCrLf + kCrLf + "This will DELETE existing " + word +
               " data for: " + kCrLf + period + kCrLf + kCrLf + "Are you sure you want to proceed?";
    };
    r.importedText = [](const std::string& word) { return "ORV Data (" + word + ") Imported Successfully!"; };

    r.gridErrorTitle = "Error";
    r.selectionRequired = {"Please Select the Year and Month.", "Error", Icon::Exclamation};
    r.confirmDelete = [](const std::string& month, const std::string& year) {
        return Message{"Delete ALL ORV entries for " + month + " " + year + "?", "Confirm", Icon::Question,
                       Buttons::YesNo, Answer::No};
    };
    r.deleted = [](std::int64_t count, const std::string& month, const std::string& year) {
        return Message{std::to_string(count) + " records deleted for the month " + month + " - " + year, "Deleted",
                       Icon::Information};
    };
    r.nothingDeleted = [](const std::string&, const std::string&) {
        return Message{std::string("No data found for this period.") + kCrLf + "Nothing is deleted", "No data",
                       Icon::Exclamation};
    };
    r.deleteErrorTitle = "Error";
    r.loadFailed = [](const Error& e) {
        return Message{"Database Connection Error: " + e.description(), "Error", Icon::Critical};
    };
    return r;
}

}  // namespace

const report::ReportDescription& orvReport() {
    static const report::ReportDescription kReport = describe();
    return kReport;
}

}  // namespace vesk::orv
