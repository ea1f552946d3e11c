#include "trend/TrendWording.h"

#include <cstdio>

#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "core/Amount.h"
#include "core/DateTime.h"
#include "core/Prompter.h"

namespace vesk::trend {

const std::vector<std::string>& monthHeaders() {
    static const std::vector<std::string> kHeaders = {"Month",    "Offices",        "Differing", "VESK Dep",
                                                      "ORV Dep",  "Diff Dep",       "VESK Wdl",  "ORV Wdl",
                                                      "Diff Wdl", kToExplainHeader, kOpenHeader};
    return kHeaders;
}

std::string monthText(const compare::Period& month) { return isoMonth(month); }

std::string monthLabel(const compare::Period& month) {
    return monthAbbrev(month.month) + " " + std::to_string(month.year);
}

std::string fromAfterToText(const compare::Period& from, const compare::Period& to) {
    return "FROM " + monthText(from) + " is after TO " + monthText(to) + ".";
}

std::string notAMonthText(const std::string& which, const std::string& text) {
    return which + " must be a month as YYYY-MM (1900-01 to 9999-12), not '" + text + "'";
}

std::string periodLine(const compare::Period& from, const compare::Period& to) {
    return "Period : " + monthAndYear(from) + " to " + monthAndYear(to);
}

std::string workbookFileName(const compare::Period& from, const compare::Period& to) {
    return "Trend_" + monthText(from) + "_" + monthText(to) + ".xlsx";
}

Message loadFailed(const Error& error) { return critical("Trend Error: " + error.description()); }

std::string statusText(const compare::Scope& scope, std::size_t months, std::size_t offices) {
    return compare::scopeText(scope) + "  :  " + std::to_string(months) + (months == 1 ? " month, " : " months, ") +
           std::to_string(offices) + (offices == 1 ? " office differs" : " offices differ") +
           (months == 1 ? "" : " in one or more of them");
}

std::string monthHoverText(const std::string& label, int offices, int differing, double toExplain, double open) {
    return label + "\nTo Explain: " + formatAmount(toExplain, Grouping::Thousands) +
           "\nOpen: " + formatAmount(open, Grouping::Thousands) + "\nDiffering: " + std::to_string(differing) + " of " +
           std::to_string(offices) + " offices";
}

std::string cellHoverText(const std::string& office, const std::string& label, const std::string& amount, double open) {
    return office + ", " + label + (amount.empty() ? ": agrees, or has no bank rows" : ": " + amount + " to explain") +
           "\nOpen: " + formatAmount(open, Grouping::Thousands);
}

}  // namespace vesk::trend
