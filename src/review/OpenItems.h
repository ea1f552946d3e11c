#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "compare/Explanation.h"
#include "store/Connection.h"

namespace vesk::review {

/// How long an item has been open.
enum class AgeBucket { UpTo30, UpTo60, UpTo90, Over90 };
inline constexpr std::array<AgeBucket, 4> kAgeBuckets = {AgeBucket::UpTo30, AgeBucket::UpTo60, AgeBucket::UpTo90,
                                                         AgeBucket::Over90};
/// The bucket of an age in days: 0 to 30, 31 to 60, 61 to 90, over 90.
AgeBucket bucketOf(long long age);

/// A row that does not pair, or whose pair's amounts differ, and that no note settles.
struct OpenItem {
    compare::ExplainedLine line;  ///< with its note, when one is on it
    long long age = 0;            ///< days from the row's date to the as-of date
    AgeBucket bucket = AgeBucket::UpTo30;
};

/// What is open as of a day, in the configured office's scope.
struct OpenItems {
    long long asOf = 0;           ///< days since 1970-01-01
    compare::Scope scope;         ///< the configured office's
    std::vector<OpenItem> items;  ///< by date, office name (letter case aside), bank before ORV, ID
};

/// The open items as of a day: of every month the data holds and every office of the master
/// within the configured office's scope, the lines the pairing leaves bank-only, orv-only or
/// amount-differs, unless their note (or, for amount-differs, their partner's) says Explained or
/// Resolved, each with its hint (the
/// candidates: every month's exceptions). Rows dated after the as-of day were not open yet
/// and are left out. Throws Error as the explanation does.
OpenItems openItems(store::Connection& db, long long asOf);

/// Whether the items carry their hints; the statement shows none.
enum class ItemHints { With, Without };
OpenItems openItems(store::Connection& db, long long asOf, ItemHints hints);

/// What one bucket adds up to.
struct BucketTotal {
    AgeBucket bucket = AgeBucket::UpTo30;
    std::size_t items = 0;
    double amount = 0;
};
std::array<BucketTotal, 4> bucketTotals(const std::vector<OpenItem>& items);

}  // namespace vesk::review
