#pragma once

#include <string>
#include <vector>

#include "report/ReportMonths.h"
#include "report/ReportStatements.h"

namespace vesk::test {

/// A summary's lines as text, a missing amount shown as Null.
inline std::vector<std::string> summaryRows(const std::vector<report::SummaryLine>& lines) {
    const auto amount = [](const std::optional<double>& v) { return v ? store::Value(*v).toText() : "Null"; };
    std::vector<std::string> out;
    for (const report::SummaryLine& l : lines)
        out.push_back(l.year + " | " + l.month + " | " + std::to_string(l.entries) + " | " +
                      std::to_string(l.depositCount) + " | " + amount(l.deposits) + " | " +
                      std::to_string(l.withdrawalCount) + " | " + amount(l.withdrawals));
    return out;
}

/// The summary as the full statement gives it from every row, without what is kept.
inline std::vector<std::string> summaryFromRows(store::Connection& c, const report::ReportDescription& r) {
    return summaryRows(report::summaryLines(c.query(report::summaryStatement(r))));
}

}  // namespace vesk::test
