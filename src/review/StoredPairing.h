#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "compare/Explanation.h"
#include "store/Connection.h"

namespace vesk::review {

/// The classes a month leaves open: what does not pair, and a pair whose amounts differ.
bool isException(compare::PairClass cls);

/// The months the data holds: those of the bank rows' transaction dates and of the ORV
/// entries' posting dates, in order.
std::vector<compare::Period> heldMonths(store::Connection& db);

/// What the pairing finds in every month the data holds, for every office of the master:
/// the lines of the exceptions (no notes on them), by month.
struct PairedMonths {
    std::vector<compare::Explanation> months;
    std::size_t paired = 0;  ///< months paired afresh by this call
    std::size_t reused = 0;  ///< months taken as stored
    /// Every month is stored as paired here: asked again, they are read, not paired again.
    bool kept = false;
};

/// Where the file's rows stand: the newest change the history records that can alter a pairing,
/// and the highest row ids of the bank rows, the ORV entries and the office master. Two reads
/// that find the same mark read the same rows, as far as the stored pairing trusts it (a change
/// nobody recorded shows in the row ids).
struct RowsMark {
    std::int64_t lastChange = 0;
    std::int64_t bankRow = 0, orvRow = 0, masterRow = 0;
    bool operator==(const RowsMark&) const = default;
};
RowsMark rowsMark(store::Connection& db);

/// The exceptions of every month. A month's are stored in the file and taken again while
/// the history records no change that could alter them since: no import or deletion of a
/// month within two of it (a bank row's transaction date may lie in the month beside its
/// file's, and the pairing reads the days either side of the month), and no change of the
/// office master. Rows changed without a record (the highest row ids moved while the
/// history did not) make every month be paired again. Months paired afresh are stored when
/// the file can be written. Throws Error as the explanation does.
PairedMonths pairedMonths(store::Connection& db);

/// Brings the stored pairing of every month up to date as pairedMonths does, reading nothing
/// stored back; nothing within a transaction or on a file that keeps none. A statement calls it
/// before its read snapshot, inside which nothing can be stored.
void storePairing(store::Connection& db);

/// The exceptions of the months given, in that order (consecutive or not, held or not), as
/// pairedMonths finds them: stored months that stand are taken, the others paired afresh and
/// stored (the held ones) when the connection can write and holds no transaction open. A month
/// that holds no rows has no lines: nothing is read for it. `beforePairing`, when given, is
/// called once before any held month is paired afresh: work to start beside the pairing, which
/// keeps every core busy a while.
PairedMonths pairedMonths(store::Connection& db, const std::vector<compare::Period>& months,
                          const std::function<void()>& beforePairing = {});

/// The same, every month paired afresh and nothing stored: what pairedMonths must equal.
PairedMonths freshlyPairedMonths(store::Connection& db);

}  // namespace vesk::review
