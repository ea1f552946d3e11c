#include "review/ReviewWording.h"

#include <cstdio>

#include "compare/CompareWording.h"
#include "core/Amount.h"
#include "core/DateTime.h"

namespace vesk::review {

namespace {

// The explanation's cells an open item shows too: office, kind, side, date, ID, amount, class.
constexpr std::size_t kPairingCells = 7;
// And the note's status and text, its last two.
constexpr std::size_t kNoteCells = 2;

}  // namespace

const char* bucketText(AgeBucket bucket) {
    switch (bucket) {
        case AgeBucket::UpTo30:
            return "0-30";
        case AgeBucket::UpTo60:
            return "31-60";
        case AgeBucket::UpTo90:
            return "61-90";
        case AgeBucket::Over90:
            return "over 90";
    }
    return "";
}

std::string bucketWords(AgeBucket bucket) {
    switch (bucket) {
        case AgeBucket::UpTo30:
            return "0\u201330 days";
        case AgeBucket::UpTo60:
            return "31\u201360 days";
        case AgeBucket::UpTo90:
            return "61\u201390 days";
        case AgeBucket::Over90:
            return "over 90 days";
    }
    return "";
}

const std::vector<std::string>& openItemHeaders() {
    static const std::vector<std::string> kHeaders = {"Month",  "Office Name", "Kind", "Side",   "Date",   "ID",
                                                      "Amount", "Class",       "Age",  "Bucket", "Status", "Note"};
    return kHeaders;
}

std::vector<std::string> openItemCells(const OpenItem& item) {
    int y = 0, m = 0, d = 0;
    civilFromDays(item.line.day, y, m, d);
    char month[16];
    std::snprintf(month, sizeof month, "%04d-%02d", y, m);
    const std::vector<std::string> explained = compare::explainCells(item.line);
    std::vector<std::string> cells{month};
    cells.insert(cells.end(), explained.begin(), explained.begin() + kPairingCells);
    cells.push_back(std::to_string(item.age));
    cells.push_back(bucketText(item.bucket));
    cells.insert(cells.end(), explained.end() - kNoteCells, explained.end());
    return cells;
}

std::string openItemsHeadline(const std::vector<OpenItem>& items) {
    std::string text;
    for (const BucketTotal& t : bucketTotals(items)) {
        if (!text.empty()) text += " \u00b7 ";
        text += bucketWords(t.bucket) + ": " + std::to_string(t.items) + (t.items == 1 ? " item, " : " items, ") +
                formatAmount(t.amount, Grouping::Thousands);
    }
    return text;
}

std::string notAnAsOfDate(const std::string& given) { return "--as-of takes a date dd/mm/yyyy, not '" + given + "'"; }

std::string noOpenItemsText(long long asOf) { return "No open items as of " + dayText(asOf) + "."; }

std::string asOfLine(long long asOf) { return "As of " + dayText(asOf); }

std::string openItemsFileName(long long asOf) {
    std::string day = dayText(asOf);  // dd/mm/yyyy
    for (char& c : day)
        if (c == '/') c = '-';
    return "Open_Items_" + day + ".xlsx";
}

std::string unknownClassText(const std::string& tag) {
    return "The stored pairing holds an unknown class '" + tag + "'";
}

}  // namespace vesk::review
