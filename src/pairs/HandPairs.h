#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "notes/HeldRows.h"
#include "store/Connection.h"

namespace vesk::pairs {

using notes::Kind;
using notes::RowRef;
using notes::Side;

/// The most rows of one side a hand pair holds.
inline constexpr std::size_t kMostRowsOfASide = 10;
/// The most days from a pair's earliest row to its latest.
inline constexpr long long kWidestSpanDays = 31;
/// The longest text a pair keeps, in characters (as a note's).
inline constexpr std::size_t kLongestText = 2000;

/// "M7": how a pair is named, in the listings and on the command line.
std::string pairName(int number);
/// The number a name gives ("M7", "m7"); none when it names no pair number.
std::optional<int> pairNumberNamed(const std::string& name);

/// One row of a hand pair, as it was when the pair was made.
struct PairRow {
    Side side = Side::Bank;
    std::string id;  ///< as the row spells it
    long long day = 0;
    std::string office;
    double amount = 0;
    RowRef ref() const { return {side, id, day}; }
};

enum class PairState { Held, Broken, Undone };

/// What broke a pair for good: one of its rows no longer held, or changed by an import.
struct Break {
    PairRow row;                   ///< as the pair holds it
    std::optional<double> amount;  ///< the amount the row has now; none when it is no longer held
    std::optional<Kind> kind;      ///< the kind it has now, when that changed (none: neither kind)
    bool kindChanged = false;
};

/// Rows paired by the person, deposits with receipts or withdrawals with payments.
struct HandPair {
    int number = 0;
    Kind kind = Kind::Deposit;
    std::vector<PairRow> rows;  ///< bank rows, then ORV entries, each by date and ID
    double difference = 0;      ///< the bank rows' sum less the ORV entries'
    std::string text;
    std::string by;  ///< login name
    DateTime when;   ///< when it was made
    PairState state = PairState::Held;
    std::optional<Break> broken;  ///< for a broken pair
    std::string changedBy;        ///< who undid it, or whose import or deletion broke it
    std::optional<DateTime> changed;

    /// The earliest and the latest date of its rows.
    long long firstDay() const;
    long long lastDay() const;
};

/// What a new pair asks for: its rows as a person names them ("T12", "T12@02/04/2025"; see
/// notes::parseRowText) or as a window knows them.
struct PairRequest {
    std::vector<notes::RowText> bank;
    std::vector<notes::RowText> orv;
    std::string text;
    bool acceptDifference = false;  ///< pair them although the sums differ by more than 0.01

    static PairRequest named(const std::vector<std::string>& bank, const std::vector<std::string>& orv);
    static PairRequest of(const std::vector<RowRef>& rows);
};

/// The rules a pair must keep, in the order they are checked.
enum class Rule {
    BankCount,      ///< 1 to kMostRowsOfASide bank rows
    OrvCount,       ///< 1 to kMostRowsOfASide ORV entries
    TextTooLong,    ///< the text is longer than kLongestText
    ReadOnly,       ///< the file cannot be written
    RowNotFound,    ///< a row named is none held (see notes::Found)
    HeldTwice,      ///< the data holds two rows of the side, ID and date named
    NamedTwice,     ///< a row is named twice
    NoOffice,       ///< a row of no office of the master
    NoKind,         ///< a row that is neither a deposit (receipt) nor a withdrawal (payment)
    KindsDiffer,    ///< the rows are not all of one kind
    SpanTooWide,    ///< more than kWidestSpanDays from the earliest row to the latest
    AlreadyPaired,  ///< a row already in a held hand pair
    SumsDiffer,     ///< the sums differ by more than 0.01 and the difference was not accepted
};

/// Why a pair was not made: the rule, and the row or figures it is about.
struct Refusal {
    Rule rule = Rule::BankCount;
    Side side = Side::Bank;        ///< RowNotFound: the side of the row named
    notes::RowLookup lookup;       ///< RowNotFound: what the row named came to
    std::optional<PairRow> row;    ///< the row the rule is about; SpanTooWide: the earliest
    std::optional<PairRow> other;  ///< SpanTooWide: the latest row; KindsDiffer: the first row
    std::optional<Kind> kind;      ///< KindsDiffer: the pair's kind (the first row's)
    int pair = 0;                  ///< AlreadyPaired: the held pair the row is in
    std::size_t count = 0;         ///< BankCount, OrvCount: rows named; TextTooLong: characters
    long long days = 0;            ///< SpanTooWide: from the earliest row to the latest
    double bankSum = 0;            ///< SumsDiffer
    double orvSum = 0;
};

struct MadePair {
    std::optional<HandPair> pair;  ///< as made
    std::optional<Refusal> refusal;
};

/// Pairs the rows by hand: every rule checked before anything is written, then in one
/// transaction the pair (numbered after every pair ever made) and its record in the history.
/// The stored pairing of its months is left to the history's record to invalidate.
MadePair makePair(store::Connection& db, const PairRequest& request, const std::string& who, const DateTime& when);

enum class UndoOutcome {
    Undone,
    NotAName,       ///< the text names no pair number
    NoSuchPair,     ///< no pair was ever made with the number
    AlreadyUndone,  ///< it was undone before
    ReadOnly,       ///< the file cannot be written
};

struct Undo {
    UndoOutcome outcome = UndoOutcome::Undone;
    std::optional<HandPair> pair;  ///< the pair named, when there is one
};

/// Undoes the pair named ("M7"), held or broken, and records it in the history, in one
/// transaction; its rows return to the rules. An undone pair is no longer listed.
Undo unpair(store::Connection& db, const std::string& name, const std::string& who, const DateTime& when);

/// The pairs held or broken, by number: every one, or those with a row dated in the month.
/// Empty on a file of an older layout opened as it is.
std::vector<HandPair> listPairs(store::Connection& db, std::optional<Period> month = std::nullopt);

/// A row of a held pair, as the pairing marks it.
struct ManualMark {
    int pair = 0;
    /// The earliest date of the row's counterparts (the other side's rows) that is not its own.
    std::optional<long long> otherDay;
};
/// Every row of the held pairs.
std::map<notes::RowKey, ManualMark> heldPairMarks(store::Connection& db);

/// Within the caller's transaction, after an import or a deletion changed the side's rows:
/// every held pair a row of which (of the side) is no longer held, or has another amount or
/// kind, is broken for good and the break recorded in the history. Returns the pairs broken.
std::vector<int> breakChangedPairs(store::Connection& db, Side side, const DateTime& when);

}  // namespace vesk::pairs
