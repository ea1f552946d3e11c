#pragma once

#include <array>
#include <string>
#include <vector>

namespace vesk::store {

/// The four tables of the database file.
enum class Table { Master, YourOffice, Finacle, Orv };

inline constexpr std::array<Table, 4> kAllTables = {Table::Master, Table::YourOffice, Table::Finacle, Table::Orv};

/// The table's name as created: "mastertable", "Youroffice", "veskfinacle", "orvtable".
const char* tableName(Table table);

/// The table's columns in file order; imports insert by position, so this order is the
/// order of the workbook columns. mastertable columns 6..83 are named after their
/// workbook column letter (col_f ... col_ce), orvtable columns 10..22 likewise.
const std::vector<std::string>& tableColumns(Table table);

/// The statements that create the four tables (every column text compared without
/// regard to letter case) and their first indexes: the layout of files made before
/// layout versions were recorded (version 0).
std::vector<std::string> schemaStatements();

/// The layout that adds the totals per office and month (see migrationStatements).
inline constexpr int kOfficeTotalsLayout = 3;
/// The layout version that adds the notes on rows and what the pairing found per month.
inline constexpr int kNotesLayout = 4;

/// The layout version that keeps a month's bank rows together in the comparison's index
/// (MonthKey(Tran_Date) leading): its statements then reach the month's rows office by
/// office through it.
inline constexpr int kMonthFirstBankLayout = 5;

/// The layout version that keeps a note per row (its side, ID and date, as IDs repeat over
/// time), the pairs made by hand, and each stored exception's twin (a row booked twice).
inline constexpr int kHandPairsLayout = 6;

/// The layout version that keeps, for each report table, its number of rows, its highest
/// row id and how many changes its rows have seen (the table row_marks), by triggers that
/// every program writing the file runs: what is kept per month is then known to be current
/// without counting the rows.
inline constexpr int kRowMarksLayout = 7;

/// The layout version that keeps the closes of months: each close's statement lines and items
/// as they were closed, the digest of the month's rows and the close's own digest, chained to
/// the close before it.
inline constexpr int kClosesLayout = 8;

/// The layout version whose bank comparison index holds each row's ID as well: the pairing
/// then reads a month's bank rows from the index alone, never from the table's pages.
inline constexpr int kBankRowIdsLayout = 9;

/// The layout version whose history keeps who made each change in a column of its own (by) and
/// the hand pair or close a change is about in another (subject), where earlier layouts kept
/// a close's login in office and a pair's name in tran_id; and whose closes keep the version of
/// their month digest's formula (digest_version).
inline constexpr int kHistoryByLayout = 10;

/// The layout version that keeps the names that sign a printed statement (the table sign_offs).
inline constexpr int kSignOffsLayout = 11;

/// The layout version that keeps the pairing rules the division sets (the table pairing_rules).
inline constexpr int kPairingRulesLayout = 12;

/// The layout version whose month indexes of the bank rows and the ORV entries hold each row's
/// day of the month after its office: the pairing reads the few days of a month beside the
/// ones it pairs without reading the rest of that month.
inline constexpr int kDayIndexLayout = 13;

/// The layout version this program writes into PRAGMA user_version: the newest above.
inline constexpr int kSchemaVersion = kDayIndexLayout;

/// What a file of a newer layout than kSchemaVersion is, in a few words: "saved by a newer
/// version of the program (...)", with both layouts.
std::string newerLayoutText(int layout);

/// What brings a file of layout version `from` up to kSchemaVersion: additions only
/// (indexes and tables of their own: version 1 the month indexes and summaries, version 2
/// the history of changes, kOfficeTotalsLayout the totals per office and month, kNotesLayout
/// the notes and the stored pairing, kMonthFirstBankLayout the bank's comparison index month
/// first, kHandPairsLayout the notes per row and the hand pairs, kRowMarksLayout the rows'
/// marks and their triggers, kClosesLayout the closes of months, kBankRowIdsLayout the bank's
/// comparison index with the rows' IDs, kHistoryByLayout the history's own columns for who and
/// what and the closes' digest version, kSignOffsLayout the statement's sign-offs,
/// kPairingRulesLayout the pairing rules, kDayIndexLayout the day in the month indexes), never a
/// change to the four tables' columns. Empty when it is current.
std::vector<std::string> migrationStatements(int from);

/// The table of the reports' sums per office and month and its index (see
/// migrationStatements): in the file, or (temporary) for one connection only, for a file
/// that cannot take them.
std::vector<std::string> officeTotalsStatements(bool temporary);

/// The report tables whose rows the triggers of kRowMarksLayout mark.
inline constexpr std::array<Table, 2> kMarkedTables = {Table::Finacle, Table::Orv};

/// "INSERT INTO table (every column in order) VALUES (?, ...)": one row bound by position,
/// or with rows > 1 that many rows, one after the other (row r's column c is ?(r * columns + c + 1)).
std::string insertStatement(Table table, int rows = 1);

}  // namespace vesk::store
