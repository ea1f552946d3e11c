#include "compare/Explanation.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "compare/CompareStatements.h"
#include "core/Amount.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "store/ExactSum.h"

namespace vesk::compare {

namespace {

// Rows this many days either side of the month take part, so that a shift across the
// month's end is found.
constexpr long long kWindowDays = kTimingDays;

std::vector<int> windowKeys(Period p) {
    const int before = p.month == 1 ? monthKey(p.year - 1, 12) : monthKey(p.year, p.month - 1);
    const int after = p.month == 12 ? monthKey(p.year + 1, 1) : monthKey(p.year, p.month + 1);
    return {before, monthKey(p.year, p.month), after};
}

// The day of a date as CDate gives it: "yyyy-mm-dd" with or without a time.
long long dayOf(const store::Value& v) {
    const std::optional<DateTime> d = parseDateText(v.toText());
    if (!d) throw Error(errc::kTypeMismatch, "Type mismatch");
    return daysFromCivil(d->year, d->month, d->day);
}

struct Row {
    ExplainSide side;
    PairEntry entry;
    double amount;
};

// One office's rows of one kind.
struct Bucket {
    std::vector<Row> bank;
    std::vector<Row> orv;
};
using Buckets = std::map<std::pair<std::string, ExplainKind>, Bucket>;

void readRows(store::Connection& db, const std::string& sql, ExplainSide side, long long first, long long last,
              Buckets& buckets) {
    const store::ResultSet rs = db.query(sql);
    const std::size_t office = rs.columnIndex("OffName"), id = rs.columnIndex("Id"), date = rs.columnIndex("TDate"),
                      kind = rs.columnIndex("Kind"), amount = rs.columnIndex("Amount");
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        const long long day = dayOf(rs.field(r, date));
        if (day < first - kWindowDays || day > last + kWindowDays) continue;
        const double value = rs.field(r, amount).toNumber();
        const ExplainKind k = rs.field(r, kind).toNumber() == 1 ? ExplainKind::Deposit : ExplainKind::Withdrawal;
        Bucket& bucket = buckets[{rs.field(r, office).toText(), k}];
        (side == ExplainSide::Bank ? bucket.bank : bucket.orv)
            .push_back({side, {rs.field(r, id).toText(), day, amountUnits(value)}, value});
    }
}

std::vector<PairEntry> entriesOf(const std::vector<Row>& rows) {
    std::vector<PairEntry> out;
    out.reserve(rows.size());
    for (const Row& r : rows) out.push_back(r.entry);
    return out;
}

bool listedBefore(const ExplainedLine& a, const ExplainedLine& b) {
    const std::string ua = upper(a.office), ub = upper(b.office);
    return std::tie(ua, a.office, a.kind, a.day, a.side, a.id) < std::tie(ub, b.office, b.kind, b.day, b.side, b.id);
}

// Numbers the groups 1, 2, ... in the order the lines show them.
void numberGroups(std::vector<ExplainedLine>& lines) {
    std::map<int, int> numbers;
    for (ExplainedLine& line : lines) {
        if (line.group == 0) continue;
        auto [it, added] = numbers.try_emplace(line.group, int(numbers.size()) + 1);
        line.group = it->second;
    }
}

std::string countOf(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::optional<std::string> masterOfficeName(store::Connection& db, const std::string& name) {
    const store::ResultSet rs = db.query(officeSpellingsStatement(), {trim(name)});
    std::optional<std::string> found;
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        std::string spelling = rs.field(r, 0).toText();
        if (spelling == trim(name)) return spelling;
        if (!found) found = std::move(spelling);
    }
    return found;
}

Explanation explainOffices(store::Connection& db, Period period, const std::vector<std::string>& offices) {
    Explanation result;
    result.period = period;
    if (offices.empty()) return result;
    const long long first = daysFromCivil(period.year, period.month, 1);
    const long long last = daysFromCivil(period.year, period.month, daysInMonth(period.year, period.month));
    const std::string condition = officeListCondition(offices);
    const std::vector<int> keys = windowKeys(period);
    db.execute(kPlanJoins);
    Buckets buckets;
    readRows(db, explainBankStatement(condition, keys), ExplainSide::Bank, first, last, buckets);
    readRows(db, explainOrvStatement(condition, keys), ExplainSide::Orv, first, last, buckets);

    int groupBase = 0;
    for (auto& [key, bucket] : buckets) {
        const PairingResult paired = pairEntries(entriesOf(bucket.bank), entriesOf(bucket.orv), first, last);
        auto add = [&](const std::vector<Row>& rows, const std::vector<PairOutcome>& outcomes) {
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const Row& row = rows[i];
                if (row.entry.day < first || row.entry.day > last) continue;
                const PairOutcome& o = outcomes[i];
                ExplainedLine line{key.first,    key.second, row.side, row.entry.day,
                                   row.entry.id, row.amount, o.cls,    o.pair < 0 ? 0 : groupBase + o.pair + 1,
                                   std::nullopt};
                if (o.cls == PairClass::Timing) line.otherDay = o.otherDay;
                result.lines.push_back(std::move(line));
            }
        };
        add(bucket.bank, paired.bank);
        add(bucket.orv, paired.orv);
        groupBase += paired.pairs;
    }
    std::stable_sort(result.lines.begin(), result.lines.end(), listedBefore);
    numberGroups(result.lines);
    return result;
}

Explanation explainMonth(store::Connection& db, Period period, const ExplainTarget& target) {
    if (!target.office) {
        const MonthComparison compared = compareMonth(db, period, comparisonScope(db));
        return explainOffices(db, period, compared.officeNames());
    }
    const std::optional<std::string> name = masterOfficeName(db, *target.office);
    if (!name) throw Error(errc::kUsage, "No office named '" + *target.office + "' is in the office master.");
    return explainOffices(db, period, {*name});
}

std::vector<ExplainedLine> listedLines(const std::vector<ExplainedLine>& lines, bool withMatched,
                                       std::optional<long long> day) {
    std::vector<ExplainedLine> out;
    for (const ExplainedLine& line : lines) {
        if (!withMatched && (line.cls == PairClass::Matched || line.cls == PairClass::Group)) continue;
        if (day && line.day != *day) continue;
        out.push_back(line);
    }
    numberGroups(out);
    return out;
}

const std::vector<std::string>& explainHeaders() {
    static const std::vector<std::string> kHeaders = {"Office Name", "Kind",  "Side",  "Date",      "ID",
                                                      "Amount",      "Class", "Group", "Other Date"};
    return kHeaders;
}

std::string dayText(long long day) { return dayFirst(dateOfDay(day)); }

std::vector<std::string> explainCells(const ExplainedLine& line) {
    return {line.office,
            line.kind == ExplainKind::Deposit ? "Deposit" : "Withdrawal",
            line.side == ExplainSide::Bank ? "Bank" : "ORV",
            dayText(line.day),
            line.id,
            formatAmount(line.amount),
            pairClassTag(line.cls),
            line.group ? std::to_string(line.group) : "",
            line.otherDay ? dayText(*line.otherDay) : ""};
}

std::string explanationHeadline(const std::vector<ExplainedLine>& lines) {
    std::size_t bankOnly = 0, orvOnly = 0, matched = 0;
    store::ExactSum bankOnlySum, orvOnlySum;
    std::map<int, store::ExactSum> differing;  // group: bank minus ORV
    std::set<int> timing;
    for (const ExplainedLine& line : lines) {
        switch (line.cls) {
            case PairClass::BankOnly:
                ++bankOnly;
                bankOnlySum.add(line.amount);
                break;
            case PairClass::OrvOnly:
                ++orvOnly;
                orvOnlySum.add(line.amount);
                break;
            case PairClass::AmountDiffers:
                differing[line.group].add(line.side == ExplainSide::Bank ? line.amount : -line.amount);
                break;
            case PairClass::Timing:
                timing.insert(line.group);
                break;
            case PairClass::Matched:
            case PairClass::Group:
                ++matched;
                break;
        }
    }
    store::ExactSum differingSum;
    for (const auto& [group, d] : differing) differingSum.add(d.total() < 0 ? -d.total() : d.total());
    const std::string dot = " \u00b7 ";
    return "Only in bank: " + countOf(bankOnly, "row", "rows") + ", " +
           formatAmount(bankOnlySum.total(), Grouping::Thousands) + dot +
           "Only in ORV: " + countOf(orvOnly, "row", "rows") + ", " +
           formatAmount(orvOnlySum.total(), Grouping::Thousands) + dot +
           "Amounts differ: " + countOf(differing.size(), "pair", "pairs") + ", " +
           formatAmount(differingSum.total(), Grouping::Thousands) + dot +
           "Timing: " + countOf(timing.size(), "pair", "pairs") + dot + "Matched: " + countOf(matched, "row", "rows");
}

}  // namespace vesk::compare
