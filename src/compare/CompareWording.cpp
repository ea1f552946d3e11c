#include "compare/CompareWording.h"

#include <set>

#include "core/Amount.h"
#include "core/DateTime.h"
#include "core/Text.h"
#include "notes/NoteWording.h"
#include "pairs/HandPairs.h"
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

std::string totalRowName(std::size_t lines) { return "TOTAL (" + std::to_string(lines) + ")"; }
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

const char* pairClassTag(PairClass c) {
    switch (c) {
        case PairClass::Matched:
            return "Matched";
        case PairClass::Group:
            return "Group";
        case PairClass::Timing:
            return "Timing";
        case PairClass::AmountDiffers:
            return "Amounts differ";
        case PairClass::BankOnly:
            return "Only in VESK";
        case PairClass::OrvOnly:
            return "Only in ORV";
        case PairClass::Manual:
            return "Paired by hand";
        case PairClass::OtherOffice:
            return "Another office";
    }
    return "";
}

std::string pairClassMeaning(PairClass c, const PairingRules& rules) {
    switch (c) {
        case PairClass::Matched:
            return "Matched: the same amount on the same date on both sides";
        case PairClass::Group:
            return "Group: one entry on one side for several rows of the same date on the other";
        case PairClass::Timing:
            return rules.timingDays == 1
                       ? std::string("Timing: the same amount booked a day apart")
                       : "Timing: the same amount booked 1 to " + std::to_string(rules.timingDays) + " days apart";
        case PairClass::AmountDiffers:
            return "Amounts differ: the only VESK row and the only ORV entry of a date, with different amounts";
        case PairClass::BankOnly:
            return "Only in VESK: a VESK row that ORV has no entry for";
        case PairClass::OrvOnly:
            return "Only in ORV: an ORV entry that VESK has no row for";
        case PairClass::Manual:
            return "Paired by hand: paired by hand with the rows of its hand pair";
        case PairClass::OtherOffice:
            return "Another office: the same amount on the same date, booked under another office of the same head "
                   "office";
    }
    return "";
}

const std::vector<std::string>& explainHeaders() {
    static const std::vector<std::string> kHeaders = {"Office Name", "Kind",  "Side",       "Date",   "ID",   "Amount",
                                                      "Class",       "Group", "Other Date", "Status", "Note", "Hint"};
    return kHeaders;
}

std::vector<std::string> explainCells(const ExplainedLine& line) {
    return {line.office,
            notes::kindText(line.kind),
            notes::sideText(line.side),
            dayText(line.day),
            line.id,
            formatAmount(line.amount),
            pairClassTag(line.cls),
            line.handPair ? pairs::pairName(line.handPair)
            : line.group  ? std::to_string(line.group)
                          : "",
            line.otherDay ? dayText(*line.otherDay) : "",
            line.note ? notes::statusText(line.note->status) : "",
            line.note ? line.note->text : "",
            hintText(line.hint)};
}

std::string noteRowDetails(const ExplainedLine& line) {
    const std::string dot = " \u00b7 ";
    return line.office + dot + notes::kindText(line.kind) + dot + notes::sideText(line.side) + dot + dayText(line.day) +
           dot + formatAmount(line.amount, Grouping::Thousands) + dot + pairClassTag(line.cls);
}

std::string rowDetailText(const ExplainedLine& line) {
    const std::string hint = hintText(line.hint);
    std::string text = noteRowDetails(line) + "\nHint: " + (hint.empty() ? "none" : hint);
    if (line.note) text += "\nNote (" + std::string(notes::statusText(line.note->status)) + "): " + line.note->text;
    return text;
}

std::string explanationHeadline(const std::vector<ExplainedLine>& lines) {
    const ExplanationTotals t = explanationTotals(lines);
    const std::string dot = " \u00b7 ";
    return std::string(pairClassTag(PairClass::BankOnly)) + ": " + counted(std::int64_t(t.bankOnly), "row", "rows") +
           ", " + formatAmount(t.bankOnlySum, Grouping::Thousands) + dot + pairClassTag(PairClass::OrvOnly) + ": " +
           counted(std::int64_t(t.orvOnly), "row", "rows") + ", " + formatAmount(t.orvOnlySum, Grouping::Thousands) +
           dot + pairClassTag(PairClass::AmountDiffers) + ": " +
           counted(std::int64_t(t.differingPairs), "pair", "pairs") + ", " +
           formatAmount(t.differingSum, Grouping::Thousands) + dot +
           "Timing: " + counted(std::int64_t(t.timingPairs), "pair", "pairs") + dot +
           "Matched: " + counted(std::int64_t(t.matched), "row", "rows");
}

std::string noOfficeNamedText(const std::string& name) {
    return "No office named '" + name + "' is in the office master.";
}

std::string scopeLine(ScopeWording wording, const Scope& scope) {
    const std::string& office = scope.configuredOffice;
    switch (wording) {
        case ScopeWording::Configured:
            return "Offices Under " + office;
        case ScopeWording::Differing:
            return office.empty() ? std::string("Differing offices of the division")
                                  : "Differing offices under " + office;
        case ScopeWording::HeadOffice:
            break;
    }
    return scope.headOffice ? "Offices under " + office : std::string("Offices of the division");
}

std::string filterNote(const std::string& filterText) { return " (Filter Text : " + filterText + ")"; }

std::string comparisonSheetName(ExportKind kind) {
    return kind == ExportKind::Consolidated ? "Consolidated_Difference" : "Detailed_Difference";
}

std::string comparisonTitle(ExportKind kind) {
    return kind == ExportKind::Consolidated ? "VESK - ORV Comparison - Consolidated Differences"
                                            : "VESK - ORV Comparison - Detailed Differences";
}

std::string periodLine(const ExportContext& c, const std::optional<std::string>& office) {
    std::string line = "Period : " + c.month + " " + c.year;
    if (office) line += "  |  Office: " + *office;
    return line;
}

std::string workbookFileName(ExportKind kind, const ExportContext& c) {
    return c.month + "_" + c.year + "_" + comparisonSheetName(kind) + ".xlsx";
}

std::string leftOutFileName(const ExportContext& c) {
    return c.month + "_" + c.year + "_" + kLeftOutSheetName + ".xlsx";
}

std::string fileNamePart(const std::string& name) {
    std::string out;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool bad = u < 32 || u == 127 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
                         c == '<' || c == '>' || c == '|';
        out += bad ? '_' : c;
    }
    // Windows drops a trailing dot or blank, and refuses a name whose stem is a device's.
    out = trim(out);
    while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
    if (out.empty()) return "_";
    static const std::set<std::string> kDevices = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                                   "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                                   "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    if (kDevices.count(upper(trim(out.substr(0, out.find('.')))))) out.insert(0, "_");
    return out;
}

std::string explainedFileName(const ExportContext& c) {
    std::string name = c.month + "_" + c.year + "_" + kExplainedSheetName;
    if (namesOneOffice(c)) name += "_" + fileNamePart(*c.office);
    return name + ".xlsx";
}

std::string officeListFileName(const std::string& office, const ExportContext& c, int copy) {
    const std::string part = fileNamePart(office) + (copy > 1 ? " (" + std::to_string(copy) + ")" : "");
    return part + "_" + c.month + "_" + c.year + "_To_Explain.xlsx";
}

std::string officeListsFileName(const ExportContext& c) { return "Office_Lists_" + c.month + "_" + c.year + ".xlsx"; }

std::string officeListTitle(const std::string& office, const ExportContext& c) {
    return office + " \u2014 to explain, " + c.month + " " + c.year;
}

const std::vector<std::string>& officeListsHeaders() {
    static const std::vector<std::string> kHeaders = {"Office Name", "Differing Dates", "Rows to Explain", "File"};
    return kHeaders;
}

Message officeListsSaved(const std::string& folder, std::size_t written, const std::optional<std::string>& summary,
                         const std::vector<std::string>& kept) {
    std::string text = std::to_string(written) + (written == 1 ? " office list" : " office lists") + " saved." + kCrLf +
                       "Folder : " + folder;
    if (summary) text += std::string(kCrLf) + "Summary : " + *summary;
    if (!kept.empty()) {
        text += std::string(kCrLf) + "Kept, nothing written for:";
        for (const std::string& name : kept) text += std::string(kCrLf) + name;
    }
    return info(text, "Saved");
}

std::string folderNotCreatedText(const std::string& folder, const std::string& why) {
    return "Cannot create the folder " + folder + ": " + why;
}

std::string notSavedText(const std::string& path, const std::string& why) { return "Cannot save " + path + ": " + why; }

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

Message printFailed(const Error& error) { return critical("Print Error: " + error.description()); }

Message replaceExport(const std::string& folder, const std::string& fileName) {
    return question(std::string("A file of this name is already there:") + kCrLf + "Folder : " + folder + kCrLf +
                        "File : " + fileName + kCrLf + kCrLf +
                        "Replace it? Whatever was added to it since it was exported is then lost.",
                    "Replace it?", Icon::Question, Answer::Yes);
}

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

std::string printerMissing(const std::string& program) {
    return "Pages are printed by " + program + ", which is not installed beside this program; nothing was printed.";
}

std::string printerEnded(const std::string& how) {
    return "The windowed program, which prints the pages, " + how + " before it had written them; nothing was printed.";
}

std::string printPageText(int page, int pages) {
    return "Page " + std::to_string(page) + " of " + std::to_string(pages);
}

std::string printedOnText(const DateTime& when) { return "Printed on " + dayFirst(when, TimeShown::Minutes); }

std::string printFilterLine(const std::string& filterText) { return "Filter Text : " + filterText; }

std::string printColumnsText(int first, int last, int count, int continuedFrom) {
    std::string text =
        "Columns " + std::to_string(first) + " to " + std::to_string(last) + " of " + std::to_string(count);
    if (continuedFrom > 0) text += ", continued from page " + std::to_string(continuedFrom);
    return text;
}

const char* ruleText(Rule rule) {
    switch (rule) {
        case Rule::TimingDays:
            return "Timing window (days)";
        case Rule::CrossMonthEnd:
            return "Timing pairs across a month's end";
        case Rule::LargestGroup:
            return "Largest group";
        case Rule::GroupCandidates:
            return "Group candidates per date";
        case Rule::OtherOffice:
            return "Pair another office's entry";
    }
    return "";
}

const char* ruleMeaning(Rule rule) {
    switch (rule) {
        case Rule::TimingDays:
            return "How many days apart a VESK row and an ORV entry of the same amount may be booked and still pair "
                   "as timing; 0 pairs none that way.";
        case Rule::CrossMonthEnd:
            return "Whether such a pair may have one of its dates in the month before or after, as when the last "
                   "days' cash is booked on the first of the next month.";
        case Rule::LargestGroup:
            return "The most rows of one side that may add up to one entry of the other on the same date; 1 pairs "
                   "no groups.";
        case Rule::GroupCandidates:
            return "How many unpaired rows of a date the group search looks through; a date with more gets no "
                   "groups. Each step up multiplies the sets tried: 40 rows in groups of 6 are millions of sets for "
                   "each entry, and a listing of such months takes much longer.";
        case Rule::OtherOffice:
            return "Whether a row left on one side pairs with an entry of the other side booked under another "
                   "office of the same head office, on the same date and for the same amount; otherwise that is "
                   "only a hint.";
    }
    return "";
}

std::string ruleValueText(Rule rule, long long value) {
    if (isYesNo(rule)) return value != 0 ? "yes" : "no";
    return std::to_string(value);
}

std::string ruleOutOfBoundsText(Rule rule, long long value) {
    return std::string(ruleText(rule)) + " is " + ruleValueText(rule, leastValue(rule)) + " to " +
           ruleValueText(rule, mostValue(rule)) + "; " + std::to_string(value) + " was given";
}

std::string rulesChangeText(const PairingRules& before, const PairingRules& after) {
    std::string text;
    for (Rule rule : kRules) {
        const long long was = ruleValue(before, rule), is = ruleValue(after, rule);
        if (was == is) continue;
        text += (text.empty() ? "" : "; ") + std::string(ruleText(rule)) + ": " + ruleValueText(rule, was) +
                " \u2192 " + ruleValueText(rule, is);
    }
    return text;
}

}  // namespace vesk::compare
