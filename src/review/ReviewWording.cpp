#include "review/ReviewWording.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "compare/CompareWording.h"
#include "core/Amount.h"
#include "core/DateTime.h"
#include "notes/NoteWording.h"

namespace vesk::review {

namespace {

// The explanation's cells an open item shows too: office, kind, side, date, ID, amount, class.
constexpr std::size_t kPairingCells = 7;
// Then, past the group and other date, the note's status and text, and the hint.
constexpr std::size_t kOtherCells = 2;
constexpr std::size_t kNoteCells = 2;
constexpr std::size_t kHintCells = 1;

const char* closeStateText(CloseState state) {
    return state == CloseState::Closed ? "closed" : state == CloseState::Changed ? "changed" : "reopened";
}

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
    static const std::vector<std::string> kHeaders = {"Month",  "Office Name", "Kind",  "Side", "Date",
                                                      "ID",     "Amount",      "Class", "Age",  "Bucket",
                                                      "Status", "Note",        "Hint"};
    return kHeaders;
}

std::vector<std::string> openItemCells(const OpenItem& item) {
    const std::vector<std::string> explained = compare::explainCells(item.line);
    std::vector<std::string> cells{isoMonth(monthOfDay(item.line.day))};
    cells.insert(cells.end(), explained.begin(), explained.begin() + kPairingCells);
    cells.push_back(std::to_string(item.age));
    cells.push_back(bucketText(item.bucket));
    cells.insert(cells.end(), explained.begin() + kPairingCells + kOtherCells,
                 explained.begin() + kPairingCells + kOtherCells + kNoteCells + kHintCells);
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

Message openItemsFailed(const Error& error) { return critical("Open Items Error: " + error.description()); }

std::string asOfLine(long long asOf) { return "As of " + dayText(asOf); }

std::string openItemsFileName(long long asOf) {
    std::string day = dayText(asOf);  // dd/mm/yyyy
    for (char& c : day)
        if (c == '/') c = '-';
    return "Open_Items_" + day + ".xlsx";
}

const char* statementLineText(StatementLine line) {
    switch (line) {
        case StatementLine::Vesk:
            return notes::sideText(notes::Side::Bank);
        case StatementLine::Orv:
            return notes::sideText(notes::Side::Orv);
        case StatementLine::Difference:
            return "Difference";
        case StatementLine::NotCompared:
            return "Not compared";
        case StatementLine::Within:
            return "Within 0.01";
        case StatementLine::Timing:
            return compare::pairClassTag(compare::PairClass::Timing);
        case StatementLine::PairedByHand:
            return compare::pairClassTag(compare::PairClass::Manual);
        case StatementLine::AmountsDiffer:
            return compare::pairClassTag(compare::PairClass::AmountDiffers);
        case StatementLine::OnlyVesk:
            return compare::pairClassTag(compare::PairClass::BankOnly);
        case StatementLine::OnlyOrv:
            return compare::pairClassTag(compare::PairClass::OrvOnly);
        case StatementLine::Unexplained:
            return "Unexplained";
        case StatementLine::Open:
            return "Open";
        case StatementLine::Explained:
            return "Explained";
        case StatementLine::Resolved:
            return "Resolved";
        case StatementLine::BroughtForward:
            return "Brought forward";
        case StatementLine::Cleared:
            return "Cleared";
        case StatementLine::OtherEarlier:
            return "Other earlier items";
        case StatementLine::Arisen:
            return "Arisen";
        case StatementLine::CarriedForward:
            return "Carried forward";
    }
    return "";
}

const std::vector<std::string>& statementHeaders() {
    static const std::vector<std::string> kHeaders = {"Line", "Deposits", "Withdrawals", "Rows"};
    return kHeaders;
}

std::vector<std::string> statementCells(StatementLine line, const StatementFigures& figures, Grouping grouping) {
    return {statementLineText(line), formatAmount(figures.deposits, grouping),
            formatAmount(figures.withdrawals, grouping), figures.rows ? std::to_string(*figures.rows) : ""};
}

std::vector<std::vector<std::string>> statementRows(const MonthStatement& statement, StatementLine from,
                                                    StatementLine to, Grouping grouping) {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t l = std::size_t(from); l <= std::size_t(to); ++l)
        rows.push_back(statementCells(kStatementLines[l], statement.line(kStatementLines[l]), grouping));
    return rows;
}

const std::vector<std::string>& statementItemHeaders() {
    static const std::vector<std::string> kHeaders = {"State", "Since",  "Side",  "ID",     "Date", "Office Name",
                                                      "Kind",  "Amount", "Class", "Status", "Note", "How"};
    return kHeaders;
}

const char* clearedByText(ClearedBy how) {
    switch (how) {
        case ClearedBy::Matched:
            return "matched";
        case ClearedBy::Group:
            return "group";
        case ClearedBy::Timing:
            return "timing";
        case ClearedBy::Manual:
            return "manual";
        case ClearedBy::Explained:
            return "explained";
        case ClearedBy::Resolved:
            return "resolved";
        case ClearedBy::Changed:
            return "changed";
        case ClearedBy::NoLongerHeld:
            break;
    }
    return "no longer held";
}

std::vector<std::string> statementItemCells(const StatementItem& item) {
    const CarriedItem& i = item.item;
    const std::optional<compare::ExplainedLine>& now = item.now;
    const bool noted = now && now->note;
    std::vector<std::string> cells(kItemCellCount);
    const auto cell = [&](ItemCell c) -> std::string& { return cells[std::size_t(c)]; };
    cell(ItemCell::State) = item.state == ItemState::Cleared ? "cleared" : "carried forward";
    cell(ItemCell::Since) = isoMonth(i.since);
    cell(ItemCell::Side) = notes::sideText(i.side);
    cell(ItemCell::Id) = i.id;
    cell(ItemCell::Date) = dayText(i.day);
    cell(ItemCell::Office) = i.office;
    cell(ItemCell::Kind) = notes::kindText(i.kind);
    cell(ItemCell::Amount) = formatAmount(signedAmount(i.side, i.amount));
    cell(ItemCell::Class) = now ? compare::pairClassTag(now->cls) : "";
    cell(ItemCell::Status) = noted ? notes::statusText(now->note->status) : "";
    cell(ItemCell::Note) = noted ? now->note->text : "";
    cell(ItemCell::How) = item.how ? clearedByText(*item.how) : "";
    return cells;
}

std::vector<std::vector<std::string>> groupedItems(std::vector<std::vector<std::string>> items) {
    for (std::vector<std::string>& cells : items) {
        if (cells.size() <= std::size_t(ItemCell::Amount)) continue;
        std::string& amount = cells[std::size_t(ItemCell::Amount)];
        char* end = nullptr;
        const double value = std::strtod(amount.c_str(), &end);
        if (!amount.empty() && *end == '\0') amount = formatAmount(value, Grouping::Thousands);
    }
    return items;
}

std::string noRowsForStatementText(Period period) {
    return "No bank rows or ORV entries are held for " + monthAndYear(period) + ".";
}

std::string statementPeriodLine(Period period) {
    return "Period: " + monthAndYear(period) + " (" + dayText(firstDayOf(period)) + " to " +
           dayText(lastDayOf(period)) + ")";
}

std::string computedOnLine(const DateTime& when) {
    return "Computed on " + dayFirst(when, TimeShown::Minutes) + ", not closed";
}

std::string statementFileName(Period period) {
    return monthName(period.month) + "_" + std::to_string(period.year) + "_Statement.xlsx";
}

std::string statementHeading(Period period, const compare::Scope& scope) {
    std::string text = "Statement of " + monthAndYear(period);
    if (!scope.configuredOffice.empty()) text += " " + compare::scopeText(scope);
    return text;
}

Message statementFailed(const Error& error) { return critical("Statement Error: " + error.description()); }

namespace {

std::string closeWhenText(const DateTime& when) { return dayFirst(when, TimeShown::Minutes); }
std::string closeDayText(const DateTime& when) { return dayFirst(when, TimeShown::None); }

}  // namespace

Message reopenQuestion(const MonthClose& close) {
    return question("The month " + monthAndYear(close.period) + " was closed on " + closeDayText(close.closedAt) +
                        " by " + close.closedBy + ". Reopen it?",
                    "Reopen Month", Icon::Question, Answer::No);
}

Message closeQuestion(const MonthStatement& statement) {
    const std::size_t carried = statement.carried().size();
    return question("Close " + monthAndYear(statement.period) + "? Its statement and its " + std::to_string(carried) +
                        (carried == 1 ? " open item" : " open items") + " carried forward are kept as they are now.",
                    "Close Month", Icon::Question, Answer::No);
}

Message closeRefusedMessage(CloseRefusal why, const MonthStatement& statement, const std::optional<MonthClose>& close) {
    const std::string month = monthAndYear(statement.period);
    switch (why) {
        case CloseRefusal::AlreadyClosed:
            return exclamation(
                month + " was closed on " + closeDayText(close->closedAt) + " by " + close->closedBy + " already.",
                "Close Month");
        case CloseRefusal::LaterClosed:
            return exclamation(monthAndYear(close->period) + ", a later month, is closed: reopen it first.",
                               "Close Month");
        case CloseRefusal::NoBankRows:
            return exclamation("No bank rows are held for " + month + ": it cannot be closed.", "Close Month");
        case CloseRefusal::NoOrvEntries:
            return exclamation("No ORV entries are held for " + month + ": it cannot be closed.", "Close Month");
        case CloseRefusal::ChangedMeanwhile:
            return exclamation("The statement of " + month +
                                   " changed while you were asked (another program changed the file): nothing was "
                                   "closed. Look at the statement as it is now and close the month again.",
                               "Close Month");
        case CloseRefusal::Unexplained:
            break;
    }
    const StatementFigures& u = statement.line(StatementLine::Unexplained);
    return exclamation("The statement of " + month + " leaves Unexplained " + formatAmount(u.deposits) +
                           " deposits and " + formatAmount(u.withdrawals) + " withdrawals: it cannot be closed.",
                       "Close Month");
}

Message closedMessage(const MonthClose& close) {
    return info(monthAndYear(close.period) + " closed by " + close.closedBy + ", digest " + close.digest.substr(0, 16) +
                    ": " + std::to_string(close.carried.size()) + " items carried forward.",
                "Close Month");
}

Message notClosedMessage(Period period) {
    return exclamation(monthAndYear(period) + " is not closed.", "Reopen Month");
}

Message reopenedMessage(Period period) {
    return info(monthAndYear(period) + " reopened; its close stays on record.", "Reopen Month");
}

Error closedMeanwhileError(Period period) {
    return Error(kClosedMeanwhileError, monthAndYear(period) +
                                            " was closed by another program while you were asked: nothing was "
                                            "changed. Reopen the month, then try again.");
}

const std::vector<std::string>& closeHeaders() {
    static const std::vector<std::string> kHeaders = {
        "Month", "Closed", "By", "State", "Difference Dep", "Difference Wdl", "Carried Forward", "Digest"};
    return kHeaders;
}

std::vector<std::string> closeCells(const MonthClose& close, CloseState state) {
    const StatementFigures& diff = close.line(StatementLine::Difference);
    return {isoMonth(close.period),
            closeWhenText(close.closedAt),
            close.closedBy,
            closeStateText(state),
            formatAmount(diff.deposits),
            formatAmount(diff.withdrawals),
            std::to_string(close.carried.size()),
            close.digest};
}

std::string closedOnLine(const MonthClose& close) {
    if (close.reopenedAt)
        return "Reopened on " + closeWhenText(*close.reopenedAt) + " after it was closed on " +
               closeWhenText(close.closedAt) + " by " + close.closedBy;
    return "Closed on " + closeWhenText(close.closedAt) + " by " + close.closedBy + ", digest " +
           close.digest.substr(0, 16);
}

std::string closeNoLongerMatchesText(Period period, const DateTime& closedAt) {
    return "The close of " + monthAndYear(period) + " made on " + closeWhenText(closedAt) +
           " no longer matches its digest";
}

std::string closeOutOfChainText(Period period, const DateTime& closedAt) {
    return "The close of " + monthAndYear(period) + " made on " + closeWhenText(closedAt) +
           " does not follow the close before it";
}

namespace {

// "bank CTR", "ORV payments", "bank CTR and ORV receipts and payments": the parts named, each
// after `before`, the two ORV parts as one.
std::string partsJoined(const std::vector<MonthPart>& parts, const std::string& before = "") {
    const auto has = [&](MonthPart p) { return std::find(parts.begin(), parts.end(), p) != parts.end(); };
    std::vector<std::string> names;
    if (has(MonthPart::Bank)) names.push_back(before + "bank CTR");
    if (has(MonthPart::Receipts) && has(MonthPart::Payments))
        names.push_back(before + "ORV receipts and payments");
    else if (has(MonthPart::Receipts))
        names.push_back(before + "ORV receipts");
    else if (has(MonthPart::Payments))
        names.push_back(before + "ORV payments");
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : " and ") + n;
    return out;
}

bool lacks(const std::vector<MonthPart>& missing, MonthPart part) {
    return std::find(missing.begin(), missing.end(), part) != missing.end();
}

}  // namespace

const char* monthPartHeader(MonthPart part) {
    switch (part) {
        case MonthPart::Bank:
            return "Bank CTR";
        case MonthPart::Receipts:
            return "ORV Receipts";
        case MonthPart::Payments:
            return "ORV Payments";
    }
    return "";
}

std::string missingPartsLine(const MonthParts& month, const std::optional<Period>& newestHeld) {
    const std::string name = monthAndYear(month.period);
    if (!month.holdsAny()) {
        if (!newestHeld) return "Nothing is imported for " + name + ", nor for any other month";
        return "Nothing is imported for " + name + ": the newest month held is " + monthAndYear(*newestHeld);
    }
    const std::vector<MonthPart> missing = month.missing();
    if (missing.empty()) return "";
    std::string parts = partsJoined(missing);
    parts[0] = char(std::toupper(static_cast<unsigned char>(parts[0])));
    const bool one = missing.size() == 1 && missing.front() == MonthPart::Bank;
    const char* what = lacks(missing, MonthPart::Bank)        ? "no office is compared"
                       : !lacks(missing, MonthPart::Payments) ? "every deposit differs"
                       : !lacks(missing, MonthPart::Receipts) ? "every withdrawal differs"
                                                              : "every office differs";
    return parts + " of " + name + (one ? " is" : " are") + " not imported: " + what;
}

Message stillLacksMessage(const MonthParts& month) {
    return info(monthAndYear(month.period) + " still lacks " + partsJoined(month.missing(), "the ") + ".", "Import");
}

Message closeLackingQuestion(const MonthParts& month) {
    return question(missingPartsLine(month) + ". Close " + monthAndYear(month.period) + " all the same?", "Close Month",
                    Icon::Exclamation, Answer::No);
}

Message closeBeforeEarlierQuestion(Period period, const std::vector<Period>& earlier) {
    constexpr std::size_t kNamed = 3;  // a longer list is cut to a count and the latest
    const std::string month = monthAndYear(period);
    const std::string ask = ". Close " + month + (earlier.size() == 1 ? " before it?" : " before them?");
    std::string text;
    if (earlier.size() > kNamed) {
        text = std::to_string(earlier.size()) + " months held before " + month + " are not closed, the latest " +
               monthAndYear(earlier.back());
    } else {
        for (std::size_t i = 0; i < earlier.size(); ++i)
            text += (i == 0 ? "" : i + 1 == earlier.size() ? " and " : ", ") + monthAndYear(earlier[i]);
        text += ", held before " + month + (earlier.size() == 1 ? ", is" : ", are") + " not closed";
    }
    return question(text + ask, "Close Month", Icon::Exclamation, Answer::No);
}

const std::vector<std::string>& monthsHeaders() {
    static const std::vector<std::string> kHeaders = {"Month",
                                                      monthPartHeader(MonthPart::Bank),
                                                      monthPartHeader(MonthPart::Receipts),
                                                      monthPartHeader(MonthPart::Payments),
                                                      "Close",
                                                      "Open"};
    return kHeaders;
}

std::vector<std::string> monthsCells(const HeldMonth& month) {
    std::vector<std::string> cells{isoMonth(month.parts.period)};
    for (MonthPart p : kMonthParts) {
        const HeldPart& part = month.parts.part(p);
        if (!part.held)
            cells.emplace_back("missing");
        else if (part.importedAt)
            cells.push_back(part.file + " (" + dayFirst(*part.importedAt, TimeShown::Minutes) + ")");
        else
            cells.emplace_back("held");
    }
    cells.emplace_back(month.close ? closeStateText(*month.close) : "not closed");
    cells.push_back(formatAmount(month.open));
    return cells;
}

const char* signOffRoleText(SignOffRole role) {
    switch (role) {
        case SignOffRole::Prepared:
            return "Prepared by";
        case SignOffRole::Checked:
            return "Checked by";
        case SignOffRole::Approved:
            return "Approved by";
    }
    return "";
}

namespace {

std::string signOffField(SignOffRole role, bool designation) {
    return std::string("The ") + (designation ? "designation" : "name") + " of " + signOffRoleText(role);
}

std::string signedAs(const compare::SignOff& s) {
    if (s.name.empty() && s.designation.empty()) return "none";
    if (s.designation.empty()) return s.name;
    return s.name + ", " + s.designation;
}

}  // namespace

std::string signOffTooLongText(SignOffRole role, bool designation, std::size_t length) {
    return signOffField(role, designation) + " has " + std::to_string(length) + " characters; at most " +
           std::to_string(kLongestSignOffText) + " fit its place on the statement.";
}

std::string signOffControlText(SignOffRole role, bool designation) {
    return signOffField(role, designation) +
           " holds a control character (a tab or line break, say), which the statement cannot print.";
}

std::string signOffsChangeText(const std::vector<compare::SignOff>& before,
                               const std::vector<compare::SignOff>& after) {
    std::string text;
    for (std::size_t r = 0; r < before.size() && r < after.size(); ++r) {
        if (before[r].name == after[r].name && before[r].designation == after[r].designation) continue;
        text += (text.empty() ? "" : "; ") + std::string(signOffRoleText(kSignOffRoles[r])) + ": " +
                signedAs(before[r]) + " \u2192 " + signedAs(after[r]);
    }
    return text;
}

Message signOffsFailed(const Error& error) {
    if (error.number() == errc::kUsage || error.number() == store::kReadOnlyError)
        return exclamation(error.description(), kSignOffTitle);
    return critical("Sign-off Error: " + error.description(), kSignOffTitle);
}

Message setRulesQuestion(const compare::PairingRules& before, const compare::PairingRules& after) {
    return question("Set the pairing rules? " + compare::rulesChangeText(before, after) +
                        ". Every month is paired by them from now on, in both programs.",
                    "Pairing Rules", Icon::Question, Answer::No);
}

Message rulesSetMessage(const std::vector<Period>& reopened) {
    std::string text = "Pairing rules set.";
    if (!reopened.empty()) {
        text += " Reopened with them:";
        for (std::size_t i = 0; i < reopened.size(); ++i) text += (i ? ", " : " ") + monthAndYear(reopened[i]);
        text += "; their closes stay on record.";
    }
    return info(text, "Pairing Rules");
}

Message rulesUnchangedMessage() {
    return info("The pairing rules are already these: nothing was set.", "Pairing Rules");
}

std::string rulesSetByText(const std::optional<RulesSetting>& setting) {
    if (!setting) return "Never set: the defaults";
    return "Set by " + setting->by + " on " + dayFirst(setting->when, TimeShown::Minutes);
}

namespace {

Message rulesFailure(const char* doing, const Error& error) {
    const std::string text = std::string(doing) + error.description();
    if (error.number() == errc::kUsage || error.number() == store::kReadOnlyError)
        return exclamation(text, kRulesTitle);
    return critical(text, kRulesTitle);
}

// "timing 3, group 1"; "" for none.
std::string trialPairsText(const std::map<compare::PairClass, std::size_t>& pairs) {
    std::string text;
    for (const auto& [cls, count] : pairs)
        text += (text.empty() ? "" : ", ") + std::string(compare::pairClassKey(cls)) + " " + std::to_string(count);
    return text;
}

std::string countOf(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

Message rulesReadFailed(const Error& error) { return rulesFailure("The pairing rules could not be read: ", error); }
Message rulesTrialFailed(const Error& error) { return rulesFailure("The trial of the rules failed: ", error); }
Message rulesSetFailed(const Error& error) { return rulesFailure("The pairing rules were not set: ", error); }

const std::vector<std::string>& trialHeaders() {
    static const std::vector<std::string> headers{"Month",
                                                  "Pairs gained",
                                                  "Pairs lost",
                                                  "Rows changed",
                                                  "Unpaired deposits before",
                                                  "Unpaired deposits after",
                                                  "Unpaired withdrawals before",
                                                  "Unpaired withdrawals after",
                                                  "Close"};
    return headers;
}

std::vector<std::string> trialCells(const MonthTrial& m, Grouping grouping) {
    return {isoMonth(m.month),
            trialPairsText(m.gained),
            trialPairsText(m.lost),
            std::to_string(m.rowsChanged),
            formatAmount(m.before.deposits, grouping),
            formatAmount(m.after.deposits, grouping),
            formatAmount(m.before.withdrawals, grouping),
            formatAmount(m.after.withdrawals, grouping),
            m.closed ? (m.changes() ? "closed, would change" : "closed") : ""};
}

const std::vector<std::string>& changedRowHeaders() {
    static const std::vector<std::string> headers{"Office Name", "Kind",   "Side",   "Date",
                                                  "ID",          "Amount", "Before", "After"};
    return headers;
}

std::vector<std::string> changedRowCells(const ChangedRow& r, Grouping grouping) {
    return {r.before.office,
            notes::kindText(r.before.kind),
            notes::sideText(r.before.side),
            dayText(r.before.day),
            r.before.id,
            formatAmount(r.before.amount, grouping),
            compare::pairClassTag(r.before.cls),
            compare::pairClassTag(r.after)};
}

std::string trialSummaryText(const RulesTrial& trial) {
    std::size_t changed = 0;
    for (const MonthTrial& m : trial.months) changed += m.rowsChanged;
    return countOf(changed, "row", "rows") + " of " + countOf(trial.months.size(), "month", "months") +
           " would change; nothing was written.";
}

std::string trialStoppedText(std::size_t done, std::size_t total) {
    return "Stopped after " + std::to_string(done) + " of " + countOf(total, "month", "months") +
           "; nothing was written.";
}

}  // namespace vesk::review
