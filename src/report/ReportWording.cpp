#include "report/ReportWording.h"

#include "core/Amount.h"
#include "core/Text.h"
#include "history/HistoryWording.h"

namespace vesk::report {

namespace {

std::string kindWord(const ReportWording& wording, const std::string& kind) {
    for (const auto& [letter, word] : wording.kindWords)
        if (letter == kind) return word;
    return {};
}

std::string period(const MonthImport& month) { return monthAndYear(month.period); }

std::string amountCell(const std::optional<double>& amount) {
    return amount ? formatAmount(*amount, Grouping::Thousands) : std::string();
}

}  // namespace

OpenFileRequest reportFileRequest(const ReportWording& wording) { return {"", wording.openFilter, ""}; }

Message replaceQuestion(const ReportWording& wording, const MonthImport& month,
                        const std::optional<DateTime>& importedBefore) {
    return history::withEarlierImport(question(wording.overwriteText(period(month), kindWord(wording, month.kind)),
                                               "Confirm Overwrite", Icon::Exclamation, Answer::No),
                                      importedBefore);
}

std::optional<Message> importMessage(const ReportWording& wording, const MonthImport& result) {
    switch (result.status) {
        case MonthImport::Status::Imported:
            return info(wording.importedText(kindWord(wording, result.kind)), "Success");
        case MonthImport::Status::InvalidHeader:
            return wording.invalidHeader;
        case MonthImport::Status::NoData:
            return exclamation("No data found in file.");
        case MonthImport::Status::NoDate:
            return wording.noDate;
        case MonthImport::Status::InvalidKind:
            return wording.invalidKind;
        case MonthImport::Status::Declined:
            break;
    }
    return std::nullopt;
}

std::string importProgress(int row, int rows) {
    return "Importing Row " + std::to_string(row) + " of " + std::to_string(rows) + "...";
}

Message masterDataMissing() { return exclamation("Import office Master Data First.", "Master Data Missing"); }

std::string unknownReportText(const std::string& given) { return "the report is ctr or orv, not '" + given + "'"; }

std::vector<std::string> summaryHeadings() {
    return {"YEAR", "MONTH", "TOTAL ENTRIES", "DEP COUNT", "DEP AMOUNT", "WDL COUNT", "WDL AMOUNT"};
}

std::vector<std::string> summaryCells(const SummaryLine& line) {
    return {line.year,
            line.month,
            std::to_string(line.entries),
            std::to_string(line.depositCount),
            amountCell(line.deposits),
            std::to_string(line.withdrawalCount),
            amountCell(line.withdrawals)};
}

Message gridFailed(const ReportWording& wording, const Error& error) {
    return critical("Grid Error: " + error.description(), wording.gridErrorTitle);
}

Message deleteFailed(const ReportWording& wording, const Error& error) {
    return critical("Error: " + error.description(), wording.deleteErrorTitle);
}

Message importFailed(const Error& error) { return critical("Import Error: " + error.description(), "Error"); }

std::string cellErrorText(const std::string& readerText, int fileRow, int column) {
    return readerText + " in row " + std::to_string(fileRow) + ", column " + columnLetters(column) + ".";
}

std::string errorValueText(int fileRow) { return "Cell holds an error value in row " + std::to_string(fileRow) + "."; }

std::string notADateText(int fileRow, std::string_view value, int column) {
    return "Data type mismatch: row " + std::to_string(fileRow) + " holds '" + excerpt(value) + "' in column " +
           columnLetters(column) + ", which is not a date.";
}

}  // namespace vesk::report
