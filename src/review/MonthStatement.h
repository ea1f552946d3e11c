#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "compare/Explanation.h"
#include "compare/MonthComparison.h"
#include "store/Connection.h"

namespace vesk::review {

/// The lines of a month's statement, in the order it shows them: what each side recorded,
/// how their difference is made up, the exceptions by their note, and the roll-forward of
/// the open items.
enum class StatementLine {
    Vesk,
    Orv,
    Difference,
    NotCompared,
    Within,
    Timing,
    PairedByHand,
    AmountsDiffer,
    OnlyVesk,
    OnlyOrv,
    Unexplained,
    Open,
    Explained,
    Resolved,
    BroughtForward,
    Cleared,
    OtherEarlier,
    Arisen,
    CarriedForward,
};
inline constexpr std::size_t kStatementLineCount = 19;
inline constexpr std::array<StatementLine, kStatementLineCount> kStatementLines = {
    StatementLine::Vesk,         StatementLine::Orv,      StatementLine::Difference,     StatementLine::NotCompared,
    StatementLine::Within,       StatementLine::Timing,   StatementLine::PairedByHand,   StatementLine::AmountsDiffer,
    StatementLine::OnlyVesk,     StatementLine::OnlyOrv,  StatementLine::Unexplained,    StatementLine::Open,
    StatementLine::Explained,    StatementLine::Resolved, StatementLine::BroughtForward, StatementLine::Cleared,
    StatementLine::OtherEarlier, StatementLine::Arisen,   StatementLine::CarriedForward};

/// The make-up's lines after the Difference, whose amounts add up to it with Unexplained.
inline constexpr std::array<StatementLine, 7> kMakeUpLines = {
    StatementLine::NotCompared,   StatementLine::Within,   StatementLine::Timing, StatementLine::PairedByHand,
    StatementLine::AmountsDiffer, StatementLine::OnlyVesk, StatementLine::OnlyOrv};

/// One line's figures. Amounts of the make-up, the notes and the roll-forward are signed: bank
/// rows counted +, ORV entries −, and Cleared's items − again. Rows count the rows (or items)
/// behind the line, negative where the line takes them away (Cleared); none for Difference and
/// Unexplained, which are amounts only.
struct StatementFigures {
    double deposits = 0;
    double withdrawals = 0;
    std::optional<long long> rows;
};

/// One row carried from a month to the next, as it was when carried.
struct CarriedItem {
    notes::Side side = notes::Side::Bank;
    std::string id;
    long long day = 0;  ///< days since 1970-01-01
    std::string office;
    notes::Kind kind = notes::Kind::Deposit;
    double amount = 0;  ///< as the row holds it, unsigned
    Period since{};     ///< the month of the first close that carried it, or its own month
};

/// What a cleared item came to.
enum class ClearedBy { Matched, Group, Timing, Manual, Explained, Resolved, Changed, NoLongerHeld };

enum class ItemState { Cleared, CarriedForward };

/// An item behind the roll-forward.
struct StatementItem {
    ItemState state = ItemState::CarriedForward;
    CarriedItem item;  ///< as carried for a cleared item, as it is now for a carried one
    /// The row as the explanation finds it now, with its note; none when no longer held.
    std::optional<compare::ExplainedLine> now;
    std::optional<ClearedBy> how;  ///< for a cleared item
};

/// A month's statement in the configured office's scope.
struct MonthStatement {
    Period period{};
    compare::Scope scope;
    std::array<StatementFigures, kStatementLineCount> lines{};
    std::vector<StatementItem> items;  ///< the cleared ones, then those carried forward
    /// The SHA-256 (64 hex digits) of the month's rows, their classes and notes: the lines up to
    /// Resolved and every row the explanation gives in the scope, so a close tells when they change.
    std::string monthDigest;

    const StatementFigures& line(StatementLine l) const { return lines[std::size_t(l)]; }
    /// False when the month holds no bank row and no ORV entry.
    bool anyRows() const;
    /// The items a close of the month carries to the next.
    std::vector<CarriedItem> carried() const;
};

/// Whether a statement takes the month's digest: a close keeps it, a listing never shows it.
enum class WithDigest { Yes, No };

/// The month's statement, the items brought forward being the open items dated before the
/// month as they are now (so none is cleared and no other earlier item is found). Throws
/// Error as the explanation does.
MonthStatement monthStatement(store::Connection& db, Period period, WithDigest digest = WithDigest::Yes);

/// The same with the items a close brought forward: those no longer open as they were are
/// cleared, and the open items dated before the month that are not among them are the other
/// earlier items.
MonthStatement monthStatement(store::Connection& db, Period period, const std::vector<CarriedItem>& brought,
                              WithDigest digest = WithDigest::Yes);

/// The version of the month's digest a close made now keeps: 1 took a row's side as the
/// listings wrote it; 2 takes the side, class and note status as stored. Both stay verifiable.
inline constexpr int kMonthDigestVersion = 2;

/// The month's digest alone, as monthStatement takes it (the roll-forward is not part of it),
/// in the version given.
std::string monthDigestOf(store::Connection& db, Period period, int version = kMonthDigestVersion);

/// An amount as the statement signs it: bank +, ORV −.
double signedAmount(notes::Side side, double amount);

}  // namespace vesk::review
