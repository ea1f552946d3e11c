#pragma once

#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "store/Connection.h"

namespace vesk::notes {

/// Where a row comes from: the bank's CTR report or ORV.
enum class Side { Bank, Orv };
/// "bank", "orv": as stored and as the command line names the side.
const char* sideKey(Side side);
/// The side a command line names, in any letter case.
std::optional<Side> sideNamed(const std::string& name);

/// Deposits go with receipts, withdrawals with payments.
enum class Kind { Deposit, Withdrawal };
/// "deposit", "withdrawal": as stored.
const char* kindKey(Kind kind);
std::optional<Kind> kindNamed(const std::string& key);

/// A row is its side, its ID and its date: IDs repeat over time, so one ID can name a row of
/// March and another of April.
struct RowRef {
    Side side = Side::Bank;
    std::string id;     ///< tran_id or treasury_tran_id, as the row spells it
    long long day = 0;  ///< days since 1970-01-01
};

/// A row's identity as it compares: the ID in upper case, as the rows compare IDs.
struct RowKey {
    Side side = Side::Bank;
    std::string id;
    long long day = 0;
    auto operator<=>(const RowKey&) const = default;
};
RowKey rowKey(Side side, const std::string& id, long long day);
RowKey rowKey(const RowRef& row);

/// A row the data holds.
struct HeldRow {
    Side side = Side::Bank;
    std::string id;
    long long day = 0;
    std::string office;        ///< the master's office; "" when no office has the row
    double amount = 0;         ///< as the comparison reads it
    std::optional<Kind> kind;  ///< none for a row that is neither kind
    RowRef ref() const { return {side, id, day}; }
};

/// A row as a person names it: "T12", or "T12@02/04/2025" for the one of that date. Text
/// after the last '@' that is no date leaves the whole text the ID.
struct RowText {
    std::string id;
    std::optional<long long> day;
};
RowText parseRowText(const std::string& text);

/// The held rows of the side whose ID is the one given (letter case aside), by date.
std::vector<HeldRow> heldRowsWithId(store::Connection& db, Side side, const std::string& id);

/// The held rows of the side whose IDs the statement's list names (see
/// sql::heldRowsStatement), by ID in upper case.
std::vector<HeldRow> heldRowsOfIds(store::Connection& db, Side side, const std::string& ids);

/// What a row named by a person comes to.
enum class Found {
    Row,        ///< exactly one row (or one date of rows) is meant
    Unknown,    ///< no held row has the ID
    Ambiguous,  ///< held rows of several dates have the ID, and none was given
    NotOnDate,  ///< rows have the ID, none of the date given
};

struct RowLookup {
    Found found = Found::Unknown;
    RowText asked;
    std::vector<HeldRow> rows;     ///< Found::Row: the rows of that date (more than one: held twice)
    std::vector<long long> dates;  ///< the dates the ID is held on, for Ambiguous and NotOnDate
};

/// The held row of the side a person names (see parseRowText).
RowLookup findRow(store::Connection& db, Side side, const std::string& text);
RowLookup findRow(store::Connection& db, Side side, const RowText& asked);
/// The distinct days of the rows, in order.
std::vector<long long> daysOf(const std::vector<HeldRow>& rows);

}  // namespace vesk::notes
