#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "compare/ComparisonWorkbook.h"
#include "compare/Explanation.h"
#include "compare/Hint.h"
#include "compare/LeftOut.h"
#include "compare/MonthComparison.h"
#include "compare/Pairing.h"
#include "compare/PairingRules.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Prompter.h"

namespace vesk::compare {

// What the comparison form, its windows, its workbooks and the comparison verbs say.

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

// The grids.
inline constexpr std::array<const char*, 9> kConsolidatedHeadings = {
    "Office ID", "Facility ID", "Office Name", "VESK Dep", "ORV Dep", "Diff Dep", "VESK Wdl", "ORV Wdl", "Diff Wdl"};
inline constexpr std::array<const char*, 8> kDetailedHeadings = {"Date",     "Office Name", "VESK Dep", "ORV Dep",
                                                                 "Diff Dep", "VESK Wdl",    "ORV Wdl",  "Diff Wdl"};
/// "TOTAL (5)": the name on the total row of five lines.
std::string totalRowName(std::size_t lines);

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

// The explanation.

/// A class as every window, listing, workbook and the statement call it: "Matched", "Group",
/// "Timing", "Amounts differ", "Only in VESK", "Only in ORV", "Paired by hand".
const char* pairClassTag(PairClass c);
/// What a class means, as the workbook's legend and the window's tips say it.
std::string pairClassMeaning(PairClass c, const PairingRules& rules = {});

// What the pairing rules are called and what is said of them.

/// The rule in a clerk's words: "Timing window (days)", "Timing pairs across a month's end",
/// "Largest group", "Group candidates per date", "Pair another office's entry".
const char* ruleText(Rule rule);
/// What the rule does, for the window's help and the command line's.
const char* ruleMeaning(Rule rule);
/// The value as the listings show it: "yes" or "no", or the number.
std::string ruleValueText(Rule rule, long long value);
/// "Timing window (days) is 0 to 10; 11 was given".
std::string ruleOutOfBoundsText(Rule rule, long long value);
/// Each rule that differs, as the history keeps it: "Timing window (days): 3 → 7; Largest group: 4 → 2".
std::string rulesChangeText(const PairingRules& before, const PairingRules& after);
inline constexpr const char* kRulesNotKept =
    "This database keeps no pairing rules (it was opened as it is); open it with the program to upgrade it";
/// The columns of a listing, the command line's and the workbook's: the pairing's, then the
/// note's Status and Note.
const std::vector<std::string>& explainHeaders();
/// A line's cells, in the order of the headers: amounts with two decimals, dates dd/mm/yyyy,
/// a hand pair's number as its group (M7).
std::vector<std::string> explainCells(const ExplainedLine& line);
/// What a note is on, as its dialog names it: "Hill SO · Deposit · VESK · 09/04/2025 ·
/// 1,280.00 · Amounts differ".
std::string noteRowDetails(const ExplainedLine& line);
/// The pane under a grid of lines: the row as noteRowDetails names it, then "Hint: " and the
/// whole hint ("none" without one), then "Note (open): " and its text when it has one.
std::string rowDetailText(const ExplainedLine& line);
/// What a listing adds up to: "Only in VESK: 2 rows, 12,500.00 · Only in ORV: 1 row, 500.00
/// · Amounts differ: 1 pair, 7.50 · Timing: 2 pairs · Matched: 176 rows".
std::string explanationHeadline(const std::vector<ExplainedLine>& lines);
/// Why one office cannot be explained: the master has no office of the name.
std::string noOfficeNamedText(const std::string& name);
/// A hint in words, "" for none: "booked twice? ORV R123 has the same date and amount",
/// "ORV R123 on 07/04/2025, 5 days later", "same amount at Kamptee SO: ORV R123 on
/// 03/04/2025", "digits swapped: ORV R123 4,158.00", "decimal point: ORV R123 123.40",
/// "2 sets of ORV entries sum to it: R1+R2, R3+R4", "ORV R123 is 250.00 more".
std::string hintText(const Hint& hint);

// The exports.

/// How a workbook's scope line names the offices it lists.
enum class ScopeWording {
    Configured,  ///< "Offices Under Karwar Division": the configured office by its name, whatever its type
    Differing,   ///< "Differing offices under Hill HO"; "Differing offices of the division" when none is configured
    HeadOffice,  ///< "Offices under Hill HO" for a head office, else "Offices of the division"
};
/// The line under a workbook's period that says whose offices it lists.
std::string scopeLine(ScopeWording wording, const Scope& scope);
/// " (Filter Text : Ba)": the consolidated sheet's scope line names the search box's text.
std::string filterNote(const std::string& filterText);

/// "Consolidated_Difference", "Detailed_Difference": the sheet's name, and its file's.
std::string comparisonSheetName(ExportKind kind);
/// "VESK - ORV Comparison - Consolidated Differences" and the like.
std::string comparisonTitle(ExportKind kind);
inline constexpr const char* kLeftOutSheetName = "Left_Out";
inline constexpr const char* kLeftOutTitle = "VESK - ORV Comparison - Left Out";
inline constexpr const char* kExplainedSheetName = "Explained";
inline constexpr const char* kExplainedTitle = "VESK - ORV Comparison - Explained Differences";
/// The heading over a sheet's serial numbers.
inline constexpr const char* kSerialHeading = "Sl.No";
/// "Period : April 2025", and "Period : April 2025  |  Office: Bay SO" with an office.
std::string periodLine(const ExportContext& context, const std::optional<std::string>& office = std::nullopt);
/// "April_2025_Consolidated_Difference.xlsx", "April_2025_Detailed_Difference.xlsx".
std::string workbookFileName(ExportKind kind, const ExportContext& context);
/// "April_2025_Left_Out.xlsx".
std::string leftOutFileName(const ExportContext& context);

// The printed lists.
/// "Page 2 of 3": the foot of each printed page.
std::string printPageText(int page, int pages);
/// "Printed on 05/05/2025 10:30": beside it.
std::string printedOnText(const DateTime& when);
/// "Filter Text : Ba": under the title lines of a list printed as filtered.
std::string printFilterLine(const std::string& filterText);
/// "Columns 1 to 6 of 9", and "Columns 7 to 9 of 9, continued from page 3" on the pages of a
/// list's further columns.
std::string printColumnsText(int first, int last, int count, int continuedFrom = 0);
/// The lines of a signature's place; the blank is written on by hand.
inline constexpr const char* kSignOffName = "Name: ";
inline constexpr const char* kSignOffDesignation = "Designation: ";
inline constexpr const char* kSignOffDate = "Date: ";
inline constexpr const char* kSignOffSignature = "Signature: ";
inline constexpr const char* kSignOffBlank = "____________________";
/// The printer, or the file printed to, cannot be written.
inline constexpr const char* kPrintoutNotPrinted = "The list cannot be printed: the printer or file refused it.";
/// "April_2025_Explained.xlsx" for the differing offices (context.office none or "All"),
/// "April_2025_Explained_<office>.xlsx" for one, characters a file name cannot hold as "_".
std::string explainedFileName(const ExportContext& context);

/// The office name as part of a file name that Windows and Linux both take: / \\ : * ? " < > |
/// and control characters as "_", blanks and dots trimmed from its end (an apostrophe kept),
/// "_" before a device's name (CON, NUL, COM1 and the like); "_" for nothing.
std::string fileNamePart(const std::string& name);

// The office lists: one workbook per differing office, to send to it.

/// "Bay S.O_April_2025_To_Explain.xlsx"; copy 2 and on ("Bay S.O (2)_April...") for an office
/// whose name, made safe, another office's already took.
std::string officeListFileName(const std::string& office, const ExportContext& context, int copy = 1);
/// "Office_Lists_April_2025.xlsx": the summary of the lists written.
std::string officeListsFileName(const ExportContext& context);
/// "Bay S.O \u2014 to explain, April 2025".
std::string officeListTitle(const std::string& office, const ExportContext& context);
inline constexpr const char* kOfficeListSheetName = "To_Explain";
inline constexpr const char* kOfficeListsSheetName = "Office_Lists";
inline constexpr const char* kOfficeListsTitle = "VESK - ORV Comparison - Office Lists";
inline constexpr const char* kOfficeDatesCaption = "Differences by date";
inline constexpr const char* kOfficeRowsCaption = "Rows to explain";
inline constexpr const char* kOfficeReplyHeading = "Office's reply";
/// The summary's columns: Office Name, Differing Dates, Rows to Explain, File.
const std::vector<std::string>& officeListsHeaders();
/// How many lists went into the folder, the summary's name, and the offices whose taken files
/// were kept.
Message officeListsSaved(const std::string& folder, std::size_t written, const std::optional<std::string>& summary,
                         const std::vector<std::string>& kept);

/// Why an export's folder or file could not be made.
std::string folderNotCreatedText(const std::string& folder, const std::string& why);
std::string notSavedText(const std::string& path, const std::string& why);

Message noMismatchData();
Message noDataToExport();
/// Saved in the form's folder on the desktop.
Message savedOnDesktop(const std::string& fileName);
/// Saved in a folder the command line names (or the desktop's, when it names none).
Message savedInFolder(const std::string& folder, const std::string& fileName);
Message exportFailed(const Error& error);
/// "Print Error: " and the failure's description.
Message printFailed(const Error& error);
/// A file of the export's name is in the folder already: Yes (the default) replaces it.
Message replaceExport(const std::string& folder, const std::string& fileName);

/// The windowed program was handed a printout it cannot read.
inline constexpr const char* kPrintoutDamaged = "The pages to print arrived damaged; nothing was printed.";
/// The command line prints through the windowed program, which is not where it should be.
std::string printerMissing(const std::string& program);
/// The windowed program ended without saying it had printed.
std::string printerEnded(const std::string& how);

}  // namespace vesk::compare
