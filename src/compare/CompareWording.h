#pragma once

#include <array>
#include <optional>
#include <string>

#include "compare/Hint.h"
#include "compare/LeftOut.h"
#include "compare/MonthComparison.h"
#include "core/Error.h"
#include "core/Prompter.h"

namespace vesk::compare {

// What the comparison form, its windows and the comparison verbs say.

/// "(Division)" or "(Offices Under Hill HO)", as the completion message names the scope.
std::string scopeText(const Scope& scope);
/// "Comparison Completed (Division). Differences found in 5 Offices." and the like.
Message comparisonCompleted(const MonthComparison& result, const Scope& scope);
/// A month without bank rows (of the scope's offices).
Message noRecords();
Message selectPeriod();
/// The count under the consolidated grid: "5 Offices"; "" when none differs.
std::string differingCount(std::size_t offices);
/// A comparison, a detailed comparison or an explanation failed.
Message comparisonFailed(const Error& error);
Message connectionFailed(const Error& error);

/// The office list's first entry, which stands for every differing office.
inline constexpr const char* kAllOffices = "All";

// What the comparison verbs refuse.

/// "YEAR must be a number, not 'abc'".
std::string yearNotANumber(const std::string& text);
/// "YEAR must be from 1900 to 9999".
std::string yearOutOfRange(int first, int last);
/// "MONTH must be 1 to 12 or a month's full name, not '13'".
std::string notAMonth(const std::string& text);
/// An office the month's office list does not hold.
std::string notInOfficeList(const std::string& wanted);
/// An office name no office of the master has.
std::string notInOfficeMaster(const std::string& name);
/// "No rows to explain for Bay S.O in April 2025." (for the differing offices, when none is named).
std::string noRowsToExplain(const std::optional<std::string>& office, const Period& period);

// The status labels' texts.
inline constexpr const char* kPleaseWait = "Please Wait....";
inline constexpr const char* kLoadingDetails = "Loading Details...";
inline constexpr const char* kDataFetched = "Data Fetched...";
inline constexpr const char* kExportWait = "Pls Wait...";

/// How a list of what the comparison leaves out is shown, exported and printed: its caption
/// ("Bank rows with unknown facility ids"), its four column headings and the word that
/// starts its lines on the command line ("bank-unknown-facility").
struct LeftOutLabels {
    const char* caption;
    std::array<const char*, 4> headers;
    const char* tag;
};
const LeftOutLabels& leftOutLabels(LeftOutKind kind);
/// "Left out: 1 bank row (999.00) with unknown facility ids, 2 ORV entries (3,777.00)", or
/// "Left out: nothing." The ORV part counts both ORV lists.
std::string leftOutLine(const LeftOut& leftOut);
/// "Total: Rows 5, Deposits 1015.00, Withdrawals 1000.50".
std::string leftOutTotal(LeftOutKind kind, const LeftOutList& list);

/// A hint in words, "" for none: "booked twice? ORV R123 has the same date and amount",
/// "ORV R123 on 07/04/2025, 5 days later", "same amount at Kamptee SO: ORV R123 on
/// 03/04/2025", "digits swapped: ORV R123 4,158.00", "decimal point: ORV R123 123.40",
/// "2 sets of ORV entries sum to it: R1+R2, R3+R4", "ORV R123 is 250.00 more".
std::string hintText(const Hint& hint);

// The exports.
Message noMismatchData();
Message noDataToExport();
/// Saved in the form's folder on the desktop.
Message savedOnDesktop(const std::string& fileName);
/// Saved in a folder the command line names (or the desktop's, when it names none).
Message savedInFolder(const std::string& folder, const std::string& fileName);
Message exportFailed(const Error& error);

}  // namespace vesk::compare
