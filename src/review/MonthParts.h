#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "review/MonthClose.h"
#include "store/Connection.h"

namespace vesk::review {

/// The three imports that make a month whole: the bank's CTR report, the ORV receipts (its
/// deposits) and the ORV payments (its withdrawals).
enum class MonthPart { Bank, Receipts, Payments };
inline constexpr std::array<MonthPart, 3> kMonthParts = {MonthPart::Bank, MonthPart::Receipts, MonthPart::Payments};

/// One part of a month: whether the month holds its rows, and the import that brought them.
struct HeldPart {
    bool held = false;
    std::string file;                    ///< the file of its latest import; empty when none is recorded
    std::optional<DateTime> importedAt;  ///< when that import was made
};

/// What a month holds of its imports, by the month the imports take their rows in (the bank's
/// value date, the ORV posting date; receipts and payments as the comparison tells them).
struct MonthParts {
    Period period{};
    std::array<HeldPart, 3> parts{};

    const HeldPart& part(MonthPart p) const { return parts[std::size_t(p)]; }
    bool holdsAny() const;
    /// The parts it lacks, in the order of kMonthParts.
    std::vector<MonthPart> missing() const;
};

/// What the month holds. Throws Error.
MonthParts monthParts(store::Connection& db, Period period);

/// Every month that holds any part, in order. Throws Error.
std::vector<MonthParts> heldMonthParts(store::Connection& db);

/// The newest month that holds all three parts; else the newest held; none when nothing is.
/// Throws Error.
std::optional<Period> newestWholeMonth(store::Connection& db);

/// The months held before the month that no close stands for, in order. Throws Error.
std::vector<Period> earlierMonthsNotClosed(store::Connection& db, Period period);

/// A month held as the months listing shows it: its parts, its last close and what stays open.
struct HeldMonth {
    MonthParts parts;
    std::optional<CloseState> close;  ///< of its last close; none when it was never closed
    /// Its open items (dated in it, as open items lists them today) with their amounts
    /// added up unsigned.
    double open = 0;
};

/// Every month that holds any part, in order. Throws Error as the explanation does.
std::vector<HeldMonth> monthsOverview(store::Connection& db);

}  // namespace vesk::review
