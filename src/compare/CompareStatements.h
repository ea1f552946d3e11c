#pragma once

#include <string>
#include <vector>

namespace vesk::compare {

/// Left to itself the engine indexes every bank row by facility for the joins, which costs
/// three times the scan; the master's own indexes serve them instead. Run before each.
inline constexpr const char* kPlanJoins = "PRAGMA automatic_index = OFF";
/// How a file keeps its bank rows for the comparison: month first (the current layout), or
/// as a file of an older layout that was opened as it is keeps them (office first, or in
/// no index at all). The statements reach the month's rows accordingly.
enum class BankIndex { MonthFirst, Older };

/// A condition that holds unless a row of the table has no date in the column, in which
/// case the statement fails as the comparison does (Type mismatch; Invalid use of Null).
std::string failsOnUndatedRows(const std::string& table, const std::string& column);

/// Limits the bank side to the offices under a head office: " AND m.ho_name = '...' ".
std::string headOfficeScope(const std::string& headOffice);

/// The six amounts of an office compared, in grid order, from its bank side (VESK_Deposit,
/// VESK_Withdrawal of the alias `bank`) and its ORV side (ORV_Deposit, ORV_Withdrawal of the
/// alias `orv`; Null when it has no ORV rows): a select list, ending in a blank.
std::string comparedAmountColumns(const std::string& bank = "Q1", const std::string& orv = "Q2");

/// The month's totals per office on both sides: the bank's rows of offices known to the
/// master (within the scope), with their ORV receipts and payments, ordered by office name.
std::string consolidatedStatement(int year, int month, const std::string& scope, BankIndex index);

/// The office condition of the detailed and the explaining statements for the offices.
std::string officeListCondition(const std::vector<std::string>& offices);
/// The office condition that names every office of the master.
std::string everyOfficeCondition();

/// The month's differing dates of the offices the condition names, from both sides, by
/// office name and then date.
std::string detailedStatement(const std::string& condition, int year, int month, BankIndex index);

/// What the consolidated statement leaves out of the month, grouped, each group with its
/// number of rows (Entries) and both sums. The bank rows whose facility matches no office,
/// by facility id (VESK_Deposit, VESK_Withdrawal).
std::string unknownFacilitiesStatement(int year, int month, BankIndex index);
/// The ORV entries (ORV_Deposit, ORV_Withdrawal) of offices of the scope without bank rows,
/// by office name, and those whose office id matches no office (Unknown 1), by office id.
std::string orvLeftOutStatement(int year, int month, const std::string& scope);

/// The master's spellings of an office name (?1), matched without regard to letter case.
std::string officeSpellingsStatement();

/// Days from `first` to the day before `after` ("yyyy-mm-dd" both), found through the keys
/// (year * 100 + month) of the months they lie in; with neither, every day of those months.
struct DaySpan {
    std::vector<int> monthKeys;
    std::string first, after;
    /// Of a single month, only the days firstDay to lastDay (of the month): 0 for every day.
    int firstDay = 0, lastDay = 0;
};

/// The bank rows (Row, their row id, Facility, Id, TDate as stored: a date CDate reads, Deposit 1 for a
/// deposit and 0 for a withdrawal, Amount), in no set order, and the ORV entries (OffName, then
/// Id, TDate, and Kind and Amount as stored: report::orvEntrySide reads the kind, RowView::val
/// the amount) of the offices the condition names, dated within the span.
std::string explainBankStatement(const std::string& condition, const DaySpan& span);
std::string explainOrvStatement(const std::string& condition, const DaySpan& span);
/// The facilities (Facility) of the offices (OffName) the condition names, with their head
/// office (HeadOffice): a bank row is the office's whose facility it has, letter case aside,
/// once for each such line of the master.
std::string officeFacilitiesStatement(const std::string& condition);

/// The pairing rules the division set, a row per rule; files of older layouts opened as they are
/// lack the table.
inline constexpr const char* kPairingRulesTable = "pairing_rules";
std::string pairingRulesStatement();
inline constexpr const char* kSaveRule = "INSERT OR REPLACE INTO pairing_rules (rule, value) VALUES (?, ?)";

}  // namespace vesk::compare
