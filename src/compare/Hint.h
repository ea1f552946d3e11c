#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "notes/HeldRows.h"

namespace vesk::compare {

/// Which search found a likely counterpart for a row the rules leave unpaired, in the order
/// they are tried.
enum class HintKind {
    None,           ///< no search found one
    BookedTwice,    ///< a row of the same side, office, kind and date with an equal amount
    LateOrEarly,    ///< the other side, same office and kind, equal amount, 4 to 10 days apart
    AnotherOffice,  ///< the other side, same kind, equal amount, another office, 0 to 3 days apart
    DigitsSwapped,  ///< the other side, same office, kind and date, the same digits in another order
    DecimalPoint,   ///< the other side, same office, kind and date, 10, 100 or 1,000 times the amount
    SeveralSets,    ///< two or more sets of the other side's rows of the date sum to the amount
    AmountDiffers,  ///< the partner of an amount-differs row, and the gap
};

/// A row a hint names, as the pairing holds it.
struct HintRow {
    notes::Side side = notes::Side::Bank;
    std::string id;
    long long day = 0;  ///< days since 1970-01-01
    std::string office;
    double amount = 0;
    notes::RowRef ref() const { return {side, id, day}; }
};

/// The first search's find for a row, or none.
struct Hint {
    HintKind kind = HintKind::None;
    std::optional<HintRow> counterpart;      ///< every kind but None and SeveralSets
    long long days = 0;                      ///< the counterpart's date less the row's (LateOrEarly, AnotherOffice)
    double gap = 0;                          ///< AmountDiffers: the counterpart's amount less the row's
    std::vector<std::vector<HintRow>> sets;  ///< SeveralSets: the first two sets, each by ID
    std::size_t setCount = 0;                ///< SeveralSets: every set that sums to the amount
};

/// A row of the same side, office, kind and date as another, with an equal amount: what the
/// first search names.
struct Twin {
    std::string id;
    double amount = 0;
};

}  // namespace vesk::compare
