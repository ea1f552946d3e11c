#include "compare/CompareWording.h"

#include "compare/ComparisonWorkbook.h"
#include "core/Amount.h"
#include "core/DateTime.h"
#include "notes/NoteWording.h"
#include "store/ExactSum.h"

namespace vesk::compare {

namespace {

std::string counted(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

double both(const LeftOutList& list) {
    store::ExactSum sum;
    sum.add(list.total.first);
    sum.add(list.total.second);
    return sum.total();
}

}  // namespace

std::string scopeText(const Scope& scope) {
    return scope.headOffice ? "(Offices Under " + scope.configuredOffice + ")" : "(" + scope.configuredOffice + ")";
}

Message comparisonCompleted(const MonthComparison& result, const Scope& scope) {
    return info(
        "Comparison Completed " + scopeText(scope) +
            (result.offices.empty() ? std::string(". No Differences found.")
                                    : ". Differences found in " + std::to_string(result.offices.size()) + " Offices."),
        "Result");
}

Message noRecords() {
    return info(std::string("No records found.") + kCrLf +
                    "Please ensure that the ORV and VESK data are imported for the selected month.",
                "No Data");
}

Message selectPeriod() { return exclamation("Please select both Year and Month."); }

std::string differingCount(std::size_t offices) {
    return offices > 0 ? std::to_string(offices) + " Offices" : std::string();
}

Message comparisonFailed(const Error& error) { return critical("Error: " + error.description()); }

Message connectionFailed(const Error& error) { return critical("Connection Error: " + error.description()); }

std::string yearNotANumber(const std::string& text) { return "YEAR must be a number, not '" + text + "'"; }

std::string yearOutOfRange(int first, int last) {
    return "YEAR must be from " + std::to_string(first) + " to " + std::to_string(last);
}

std::string notAMonth(const std::string& text) {
    return "MONTH must be 1 to 12 or a month's full name, not '" + text + "'";
}

std::string notInOfficeList(const std::string& wanted) {
    return "'" + wanted + "' is not in the office list: " + kAllOffices + " or an office that differs";
}

std::string notInOfficeMaster(const std::string& name) {
    return "'" + name + "' is not an office of the office master";
}

std::string noRowsToExplain(const std::optional<std::string>& office, const Period& period) {
    return "No rows to explain for " + office.value_or("the differing offices") + " in " + monthAndYear(period) + ".";
}

const LeftOutLabels& leftOutLabels(LeftOutKind kind) {
    static const LeftOutLabels kUnknownFacility{"Bank rows with unknown facility ids",
                                                {"Facility ID", "Rows", "Deposits", "Withdrawals"},
                                                "bank-unknown-facility"};
    static const LeftOutLabels kOrvOnly{"Offices with ORV entries but no bank rows",
                                        {"Office Name", "Entries", "Receipts", "Payments"},
                                        "orv-only-office"};
    static const LeftOutLabels kUnknownOffice{
        "ORV entries with unknown office ids", {"Office ID", "Entries", "Receipts", "Payments"}, "orv-unknown-office"};
    switch (kind) {
        case LeftOutKind::UnknownFacility:
            return kUnknownFacility;
        case LeftOutKind::OrvOnlyOffice:
            return kOrvOnly;
        case LeftOutKind::UnknownOffice:
            break;
    }
    return kUnknownOffice;
}

std::string leftOutLine(const LeftOut& leftOut) {
    if (leftOut.empty()) return "Left out: nothing.";
    const LeftOutList& facilities = leftOut.unknownFacilities;
    std::string line = "Left out: ";
    if (!facilities.groups.empty())
        line += counted(facilities.total.count, "bank row", "bank rows") + " (" +
                formatAmount(both(facilities), Grouping::Thousands) + ") with unknown facility ids";
    const LeftOutList& orvOnly = leftOut.orvOnlyOffices;
    const LeftOutList& unknown = leftOut.unknownOffices;
    if (!orvOnly.groups.empty() || !unknown.groups.empty()) {
        store::ExactSum amount;
        amount.add(both(orvOnly));
        amount.add(both(unknown));
        if (!facilities.groups.empty()) line += ", ";
        line += counted(orvOnly.total.count + unknown.total.count, "ORV entry", "ORV entries") + " (" +
                formatAmount(amount.total(), Grouping::Thousands) + ")";
    }
    return line;
}

std::string leftOutTotal(LeftOutKind kind, const LeftOutList& list) {
    const LeftOutLabels& labels = leftOutLabels(kind);
    return std::string("Total: ") + labels.headers[1] + " " + std::to_string(list.total.count) + ", " +
           labels.headers[2] + " " + formatAmount(list.total.first) + ", " + labels.headers[3] + " " +
           formatAmount(list.total.second);
}

Message noMismatchData() { return exclamation("No mismatch data available to export.", "No data"); }

Message noDataToExport() { return exclamation("No data to export."); }

Message savedOnDesktop(const std::string& fileName) {
    return info(std::string("File successfully saved to Desktop.") + kCrLf + "Folder : " + kOutputFolderName + kCrLf +
                    "File : " + fileName,
                "Saved");
}

Message savedInFolder(const std::string& folder, const std::string& fileName) {
    return info(std::string("File saved.") + kCrLf + "Folder : " + folder + kCrLf + "File : " + fileName, "Saved");
}

Message exportFailed(const Error& error) { return critical("Export Error: " + error.description()); }

std::string hintText(const Hint& hint) {
    const auto amount = [](double a) { return formatAmount(a, Grouping::Thousands); };
    const auto name = [](const HintRow& row) { return notes::rowName(row.side, row.id); };
    switch (hint.kind) {
        case HintKind::None:
            break;
        case HintKind::BookedTwice:
            return "booked twice? " + name(*hint.counterpart) + " has the same date and amount";
        case HintKind::LateOrEarly:
            return name(*hint.counterpart) + " on " + dayText(hint.counterpart->day) + ", " +
                   std::to_string(hint.days < 0 ? -hint.days : hint.days) + " days " +
                   (hint.days < 0 ? "earlier" : "later");
        case HintKind::AnotherOffice:
            return "same amount at " + hint.counterpart->office + ": " + name(*hint.counterpart) + " on " +
                   dayText(hint.counterpart->day);
        case HintKind::DigitsSwapped:
            return "digits swapped: " + name(*hint.counterpart) + " " + amount(hint.counterpart->amount);
        case HintKind::DecimalPoint:
            return "decimal point: " + name(*hint.counterpart) + " " + amount(hint.counterpart->amount);
        case HintKind::SeveralSets: {
            std::string sets;
            for (const std::vector<HintRow>& set : hint.sets) {
                std::string ids;
                for (const HintRow& row : set) ids += (ids.empty() ? "" : "+") + row.id;
                sets += (sets.empty() ? "" : ", ") + ids;
            }
            const bool bank =
                !hint.sets.empty() && !hint.sets.front().empty() && hint.sets.front().front().side == notes::Side::Bank;
            return std::to_string(hint.setCount) + " sets of " + (bank ? "VESK rows" : "ORV entries") +
                   " sum to it: " + sets;
        }
        case HintKind::AmountDiffers:
            return name(*hint.counterpart) + " is " + amount(hint.gap < 0 ? -hint.gap : hint.gap) + " " +
                   (hint.gap < 0 ? "less" : "more");
    }
    return "";
}

}  // namespace vesk::compare
