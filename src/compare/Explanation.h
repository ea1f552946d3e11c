#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compare/Hint.h"
#include "compare/MonthComparison.h"
#include "compare/Pairing.h"
#include "notes/Notes.h"
#include "store/Connection.h"
#include "store/ExactSum.h"

namespace vesk::compare {

using ExplainKind = notes::Kind;
using ExplainSide = notes::Side;

/// One bank row or ORV entry of the month and why it pairs, or does not.
struct ExplainedLine {
    std::string office;
    ExplainKind kind = ExplainKind::Deposit;
    ExplainSide side = ExplainSide::Bank;
    long long day = 0;  ///< days since 1970-01-01
    std::string id;     ///< tran_id or treasury_tran_id
    double amount = 0;
    PairClass cls = PairClass::BankOnly;
    int group = 0;  ///< shared by the lines paired together, from 1; 0 for none
    /// A timing pair's counterpart's day; for a row paired by hand, the earliest date of its
    /// counterparts that is not its own.
    std::optional<long long> otherDay;
    std::optional<notes::Note> note;  ///< the note on the row, when there is one
    int handPair = 0;                 ///< a manual line's hand pair (M7: 7); 0 for none
    std::optional<Twin> twin;         ///< an unpaired line's row booked twice (see Twin), when there is one
    Hint hint;                        ///< an unpaired line's likely counterpart, once the hints are attached

    notes::RowRef ref() const { return {side, id, day}; }
};

/// Which offices to explain: every office the month's comparison lists, or one office.
struct ExplainTarget {
    std::optional<std::string> office;  ///< none: the differing offices
    static ExplainTarget differing() { return {}; }
    static ExplainTarget one(std::string name) { return {std::move(name)}; }
};

/// A month's rows, paired.
struct Explanation {
    Period period;
    std::vector<ExplainedLine> lines;  ///< every row dated in the month, in listing order
    PairingRules rules;                ///< the rules they were paired by
};

/// The master's spelling of an office name given in any letter case; none when no office
/// of the master has it.
std::optional<std::string> masterOfficeName(store::Connection& db, const std::string& name);

/// Pairs the month's bank rows of the offices with their ORV entries, deposits with
/// receipts and withdrawals with payments, taking the rows of the 3 days before and after
/// the month too: the rows of held hand pairs first (class manual), then the rules pair what
/// is left. Lines by office name (letter case aside), deposits first, date, bank before ORV,
/// id; group numbers in the order the lines show them. Unpaired lines carry their twin; the
/// hints are attached apart (see attachHints). Throws Error (a date that is no date: Type
/// mismatch).
Explanation explainOffices(store::Connection& db, Period period, const std::vector<std::string>& offices);

/// A `keep` that keeps every line.
inline bool everyClass(PairClass) { return true; }

/// A row of the month as the pairing classes it.
struct CountedRow {
    PairClass cls = PairClass::BankOnly;
    ExplainSide side = ExplainSide::Bank;
    ExplainKind kind = ExplainKind::Deposit;
    double amount = 0;
};
using RowCounter = std::function<void(const CountedRow&)>;

/// The same, with each row of the month handed to `count` (when given) and only the lines
/// `keep` accepts built: for what adds the month up without listing its matched rows. Rows are
/// counted office by office, in no set order.
Explanation explainOffices(store::Connection& db, Period period, const std::vector<std::string>& offices,
                           bool (*keep)(PairClass), const RowCounter& count);

/// Every office of the master explained, month by month, keeping only the lines `keep`
/// accepts and no notes; the rows of neighbouring months are read once for all of them.
/// One explanation per month given, in that order; group numbers unique within a month.
std::vector<Explanation> explainEveryOffice(store::Connection& db, const std::vector<Period>& months,
                                            bool (*keep)(PairClass));

/// A row of the month whose pairing one set of rules changes against another: its line under the
/// first (no notes, no twin) and its class under the second.
struct ChangedLine {
    ExplainedLine before;
    PairClass after = PairClass::BankOnly;
};

/// What pairing by one set of rules changes against another in a month of some offices.
struct PairingDifference {
    std::map<PairClass, std::size_t> gained;  ///< pairs the second set makes that the first does not, by class
    std::map<PairClass, std::size_t> lost;    ///< pairs of the first set the second does not make
    std::size_t rowsChanged = 0;              ///< rows whose class or partners differ
    std::vector<ChangedLine> rows;            ///< when asked for: each such row, in no set order
    /// The amounts left on one side only under each set: deposits and receipts, then
    /// withdrawals and payments.
    std::array<store::ExactSum, 2> unpairedBefore, unpairedAfter;
};

/// Given a month (its index among the months) of one of `shares` shares of the offices and what
/// the second rules change in it; false stops the weighing, no further month being paired.
using WeighedEach = std::function<bool(std::size_t month, std::size_t shares, const PairingDifference& difference)>;

/// Every office of the master paired month by month under both sets of rules, each month's rows
/// read once (with the wider window of the two), and weighed: a row changes when its class, or
/// the rows it pairs with, differ. The offices are weighed in shares, each on a connection and
/// thread of its own: `each` is called once per share and month, from the share's thread, one
/// call at a time. Writes nothing.
void weighRules(store::Connection& db, const std::vector<Period>& months, const PairingRules& first,
                const PairingRules& second, bool withRows, const WeighedEach& each);

/// Puts the notes of the book on the lines whose rows they are on.
void attachNotes(std::vector<ExplainedLine>& lines, const notes::NoteBook& book);

/// The target's offices explained: for the differing ones, those the month's comparison
/// lists within the configured office's scope. Throws Error when the one office is not in
/// the master.
Explanation explainMonth(store::Connection& db, Period period, const ExplainTarget& target);

/// The other lines the rules paired the row with (an amount-differs partner, the rest of a
/// group or of a timing pair), as the row's month explains its office; none for a row paired by
/// hand or left on its own, or no longer held.
std::vector<ExplainedLine> pairedWith(store::Connection& db, const notes::RowRef& row);

/// The lines a listing shows: all, or without the matched, grouped and hand-paired ones;
/// with one date only when given. Group numbers run again from 1 in the order shown.
std::vector<ExplainedLine> listedLines(const std::vector<ExplainedLine>& lines, bool withMatched,
                                       std::optional<long long> day = std::nullopt);

using vesk::dayText;

/// What a listing adds up to: the rows on one side only and their sums, the pairs whose
/// amounts differ and the sum of their differences (each taken without its sign), the
/// timing pairs, and the matched and grouped rows.
struct ExplanationTotals {
    std::size_t bankOnly = 0;
    double bankOnlySum = 0;
    std::size_t orvOnly = 0;
    double orvOnlySum = 0;
    std::size_t differingPairs = 0;
    double differingSum = 0;
    std::size_t timingPairs = 0;
    std::size_t matched = 0;
};
ExplanationTotals explanationTotals(const std::vector<ExplainedLine>& lines);

}  // namespace vesk::compare
