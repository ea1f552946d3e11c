#include "review/OpenItems.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "compare/CompareStatements.h"
#include "compare/HintSearch.h"
#include "core/Text.h"
#include "notes/Notes.h"
#include "review/ReviewStatements.h"
#include "review/StoredPairing.h"
#include "store/ExactSum.h"

namespace vesk::review {

namespace {

std::set<std::string> scopeOffices(store::Connection& db, const compare::Scope& scope) {
    std::set<std::string> out;
    const store::ResultSet rs =
        db.query(sql::scopeOfficesStatement(scope.headOffice ? compare::headOfficeScope(scope.configuredOffice) : ""));
    for (std::size_t r = 0; r < rs.rowCount(); ++r) out.insert(rs.field(r, 0).toText());
    return out;
}

bool settled(const compare::ExplainedLine& line) {
    return line.note && (line.note->status == notes::Status::Explained || line.note->status == notes::Status::Resolved);
}

// An amount-differs pair is the only bank row and the only ORV entry of its office, kind and
// date: that is its key, since the stored pairing keeps no group numbers.
using PairKey = std::tuple<std::string, notes::Kind, long long>;
PairKey pairKey(const compare::ExplainedLine& line) { return {line.office, line.kind, line.day}; }

// The amount-differs pairs of the month that a note on either row settles: the two rows are one
// difference, and stand or fall together.
std::set<PairKey> settledPairs(const std::vector<compare::ExplainedLine>& lines) {
    std::set<PairKey> out;
    for (const compare::ExplainedLine& line : lines)
        if (line.cls == compare::PairClass::AmountDiffers && settled(line)) out.insert(pairKey(line));
    return out;
}

}  // namespace

AgeBucket bucketOf(long long age) {
    if (age <= 30) return AgeBucket::UpTo30;
    if (age <= 60) return AgeBucket::UpTo60;
    if (age <= 90) return AgeBucket::UpTo90;
    return AgeBucket::Over90;
}

OpenItems openItems(store::Connection& db, long long asOf) { return openItems(db, asOf, ItemHints::With); }

OpenItems openItems(store::Connection& db, long long asOf, ItemHints hints) {
    OpenItems out;
    out.asOf = asOf;
    const compare::Scope scope = compare::comparisonScope(db);
    out.scope = scope;
    const std::set<std::string> offices = scopeOffices(db, scope);
    const notes::NoteBook book = notes::NoteBook::read(db);
    PairedMonths paired = pairedMonths(db);
    // Every month's exceptions are the candidates of every item's hint.
    std::vector<compare::ExplainedLine> exceptions;
    if (hints == ItemHints::With)
        for (const compare::Explanation& month : paired.months)
            exceptions.insert(exceptions.end(), month.lines.begin(), month.lines.end());
    const compare::HintCandidates candidates(std::move(exceptions));
    for (compare::Explanation& month : paired.months) {
        compare::attachNotes(month.lines, book);
        const std::set<PairKey> pairsSettled = settledPairs(month.lines);
        for (compare::ExplainedLine& line : month.lines) {
            if (!isException(line.cls) || line.day > asOf || settled(line) || !offices.count(line.office)) continue;
            if (line.cls == compare::PairClass::AmountDiffers && pairsSettled.count(pairKey(line))) continue;
            const long long age = asOf - line.day;
            if (hints == ItemHints::With) line.hint = candidates.hintFor(line);
            out.items.push_back({std::move(line), age, bucketOf(age)});
        }
    }
    // Each office's upper case once, not at every comparison.
    std::map<std::string, std::string> folded;
    for (const std::string& office : offices) folded.emplace(office, upper(office));
    const auto key = [&](const OpenItem& i) {
        return std::tie(i.line.day, folded.at(i.line.office), i.line.office, i.line.side, i.line.id, i.line.kind);
    };
    std::sort(out.items.begin(), out.items.end(),
              [&](const OpenItem& a, const OpenItem& b) { return key(a) < key(b); });
    return out;
}

std::array<BucketTotal, 4> bucketTotals(const std::vector<OpenItem>& items) {
    std::array<BucketTotal, 4> totals{};
    std::array<store::ExactSum, 4> sums;
    for (std::size_t b = 0; b < totals.size(); ++b) totals[b].bucket = kAgeBuckets[b];
    for (const OpenItem& i : items) {
        ++totals[std::size_t(i.bucket)].items;
        sums[std::size_t(i.bucket)].add(i.line.amount);
    }
    for (std::size_t b = 0; b < totals.size(); ++b) totals[b].amount = sums[b].total();
    return totals;
}

}  // namespace vesk::review
