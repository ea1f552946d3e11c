#pragma once

#include <array>
#include <string>
#include <vector>

#include "compare/PairingRules.h"
#include "core/Amount.h"
#include "core/Error.h"
#include "core/Prompter.h"
#include "review/MonthClose.h"
#include "review/MonthParts.h"
#include "review/MonthStatement.h"
#include "review/OpenItems.h"
#include "review/RulesTrial.h"
#include "review/SignOffs.h"

namespace vesk::review {

/// "0-30", "31-60", "61-90", "over 90": the Bucket column.
const char* bucketText(AgeBucket bucket);
/// "0–30 days", "31–60 days", "61–90 days", "over 90 days": as the headline names a bucket.
std::string bucketWords(AgeBucket bucket);

/// The columns of the open items: Month, Office Name, Kind, Side, Date, ID, Amount, Class,
/// Age, Bucket, Status, Note.
const std::vector<std::string>& openItemHeaders();
/// An item's cells in the order of the headers: Month as YYYY-MM, the date dd/mm/yyyy, the
/// amount with two decimals, the class as the explanation names it.
std::vector<std::string> openItemCells(const OpenItem& item);

/// What each bucket adds up to: "0–30 days: 12 items, 45,000.00 · 31–60 days: 1 item, 5.00 · ...".
std::string openItemsHeadline(const std::vector<OpenItem>& items);

/// "--as-of takes a date dd/mm/yyyy, not 'someday'".
std::string notAnAsOfDate(const std::string& given);

/// "No open items as of 05/06/2025."
std::string noOpenItemsText(long long asOf);
/// "Open Items Error: " and the failure's description: the listing failed.
Message openItemsFailed(const Error& error);

// The workbook.
inline constexpr const char* kOpenItemsSheetName = "Open Items";
inline constexpr const char* kOpenItemsTitle = "VESK - ORV Comparison - Open Items";
/// "As of 31/05/2025": the line under the title.
std::string asOfLine(long long asOf);
/// The captions of the workbook's two lists, and the headings of the first.
inline constexpr const char* kAgesCaption = "Open items by age";
inline constexpr std::array<const char*, 3> kAgesHeadings = {"Age", "Items", "Amount"};
inline constexpr const char* kItemsCaption = "Open items";
/// "Open_Items_31-05-2025.xlsx".
std::string openItemsFileName(long long asOf);

// The statement of a month.
/// "VESK", "ORV", "Difference", "Not compared", ... "Carried forward": the Line column.
const char* statementLineText(StatementLine line);
/// Line, Deposits, Withdrawals, Rows.
const std::vector<std::string>& statementHeaders();
/// A line's cells: its name, the amounts as compare prints them (the window groups their
/// thousands), the rows (empty where none).
std::vector<std::string> statementCells(StatementLine line, const StatementFigures& figures,
                                        Grouping grouping = Grouping::None);
/// The cells of the statement's lines from..to: one of its blocks as every view shows it.
std::vector<std::vector<std::string>> statementRows(const MonthStatement& statement, StatementLine from,
                                                    StatementLine to, Grouping grouping = Grouping::None);
/// An item's cells, in the order the statement lists them.
enum class ItemCell { State, Since, Side, Id, Date, Office, Kind, Amount, Class, Status, Note, How };
inline constexpr std::size_t kItemCellCount = std::size_t(ItemCell::How) + 1;
/// State, Since, Side, ID, Date, Office Name, Kind, Amount, Class, Status, Note, How.
const std::vector<std::string>& statementItemHeaders();
/// "matched", "group", "timing", "manual", "explained", "resolved", "changed", "no longer held".
const char* clearedByText(ClearedBy how);
/// An item's cells: State "cleared" or "carried forward", Since YYYY-MM, the amount signed as
/// the statement signs it, Class and Status as they are now, How for a cleared item.
std::vector<std::string> statementItemCells(const StatementItem& item);
/// The items' cells with their amounts' thousands separated, as the window and the printout
/// show them; a closed month's items are kept as text, so the amount is read back from it.
std::vector<std::vector<std::string>> groupedItems(std::vector<std::vector<std::string>> items);
/// "No bank rows or ORV entries are held for April 2025."
std::string noRowsForStatementText(Period period);

// The statement's workbook.
inline constexpr const char* kStatementSheetName = "Statement";
inline constexpr const char* kStatementItemsSheetName = "Items";
inline constexpr const char* kStatementTitle = "VESK - ORV Reconciliation Statement";
/// "Period: April 2025 (01/04/2025 to 30/04/2025)"
std::string statementPeriodLine(Period period);
inline constexpr const char* kStatementCaption = "Statement";
inline constexpr const char* kRollForwardCaption = "Roll-forward of open items";
inline constexpr const char* kStatementItemsCaption = "Items behind the roll-forward";
/// "Computed on 05/05/2025 10:30, not closed"
std::string computedOnLine(const DateTime& when);
/// "April_2025_Statement.xlsx".
std::string statementFileName(Period period);

// The Statement window.
/// "Statement of April 2025 (Offices Under Hill HO)": the window's heading.
std::string statementHeading(Period period, const compare::Scope& scope);
/// What the window says while its work runs.
inline constexpr const char* kStatementComputing = "Computing the statement....";
inline constexpr const char* kStatementClosing = "Closing the month....";
inline constexpr const char* kStatementReopening = "Reopening the month....";
/// "Statement Error: " and the failure's description: the statement, or the close or
/// reopening before it, failed.
Message statementFailed(const Error& error);

// The closes of months.
/// "The month April 2025 was closed on 05/05/2025 by ravi. Reopen it?": asked before a closed
/// month's rows change, and by reopen.
Message reopenQuestion(const MonthClose& close);
/// "Close April 2025? Its statement and its 3 open items carried forward are kept as they are now."
Message closeQuestion(const MonthStatement& statement);
/// Why the month cannot be closed; the close in the way for the first two reasons.
Message closeRefusedMessage(CloseRefusal why, const MonthStatement& statement, const std::optional<MonthClose>& close);
/// "April 2025 closed by ravi, digest 1a2b...: 3 items carried forward."
Message closedMessage(const MonthClose& close);
/// "April 2025 is not closed."
Message notClosedMessage(Period period);
/// "April 2025 reopened; its close stays on record."
Message reopenedMessage(Period period);
/// The change a closed month refuses when it was closed after the person was asked.
inline constexpr long kClosedMeanwhileError = errc::kDatabaseBase + 1101;
/// "April 2025 was closed by another program while you were asked: nothing was changed. ..."
Error closedMeanwhileError(Period period);

// Setting the pairing rules.

/// "Set the pairing rules? Timing window (days): 3 → 7. The months' pairing changes with them."
Message setRulesQuestion(const compare::PairingRules& before, const compare::PairingRules& after);
/// "Pairing rules set." and the months reopened with them, when any.
Message rulesSetMessage(const std::vector<Period>& reopened);
Message rulesUnchangedMessage();
/// "Set by NAME on dd/mm/yyyy hh:mm", or "Never set: the defaults".
std::string rulesSetByText(const std::optional<RulesSetting>& setting);
/// "Pairing Rules": the window's title and that of its messages.
inline constexpr const char* kRulesTitle = "Pairing Rules";
/// Why the rules could not be read, tried or set, after what was being done; a refusal (a file
/// opened as it is) with the exclamation, anything else as an error.
Message rulesReadFailed(const Error& error);
Message rulesTrialFailed(const Error& error);
Message rulesSetFailed(const Error& error);

// What a trial of the rules would change.
/// Month, Pairs gained, Pairs lost, Rows changed, Unpaired deposits before and after, Unpaired
/// withdrawals before and after, Close.
const std::vector<std::string>& trialHeaders();
/// "2025-04", "timing 3, group 1", ...; Close is "closed", "closed, would change" or "". The
/// window groups the amounts' thousands; the command line's stay plain for scripts.
std::vector<std::string> trialCells(const MonthTrial& month, Grouping grouping = Grouping::None);
/// Office Name, Kind, Side, Date, ID, Amount, Before, After.
const std::vector<std::string>& changedRowHeaders();
std::vector<std::string> changedRowCells(const ChangedRow& row, Grouping grouping = Grouping::None);
/// "12 rows of 3 months would change; nothing was written."
std::string trialSummaryText(const RulesTrial& trial);
/// "Stopped after 2 of 24 months; nothing was written."
std::string trialStoppedText(std::size_t done, std::size_t total);
/// The columns of closes: Month, Closed, By, State, Difference Dep, Difference Wdl, Carried
/// Forward, Digest.
const std::vector<std::string>& closeHeaders();
std::vector<std::string> closeCells(const MonthClose& close, CloseState state);
/// "Closed on 05/05/2025 10:30 by ravi, digest 1a2b3c4d5e6f7a8b", or "Reopened on ... after it
/// was closed on ... by ...": what the statement of a closed month is.
std::string closedOnLine(const MonthClose& close);
/// The faults check names in the chain of closes.
std::string closeNoLongerMatchesText(Period period, const DateTime& closedAt);
std::string closeOutOfChainText(Period period, const DateTime& closedAt);

// What a month holds of its imports.
/// "Bank CTR", "ORV Receipts", "ORV Payments": the months listing's columns.
const char* monthPartHeader(MonthPart part);
/// What the month lacks and what that does to its comparison ("ORV payments of October 2026
/// are not imported: every withdrawal differs"); for a month holding nothing, that nothing is
/// imported for it and which month held is the newest. Empty when it lacks nothing.
std::string missingPartsLine(const MonthParts& month, const std::optional<Period>& newestHeld = std::nullopt);
/// "October 2026 still lacks the ORV payments.": told after an import when it does.
Message stillLacksMessage(const MonthParts& month);
/// Asked before a month that lacks a part is closed; No by default.
Message closeLackingQuestion(const MonthParts& month);
/// Asked before a month is closed while months held before it are not; No by default.
Message closeBeforeEarlierQuestion(Period period, const std::vector<Period>& earlier);
/// Month, Bank CTR, ORV Receipts, ORV Payments, Close, Open.
const std::vector<std::string>& monthsHeaders();
/// A part's cell is "missing", the file and time of its latest import, or "held" when no
/// import is recorded; Close is the state of its last close ("not closed" when none); Open
/// as compare prints amounts.
std::vector<std::string> monthsCells(const HeldMonth& month);

// The names that sign a printed statement.
/// "Prepared by", "Checked by", "Approved by".
const char* signOffRoleText(SignOffRole role);
/// A name or designation refused: "The name of Checked by has 61 characters; at most 60 fit its
/// place on the statement." and the like for a control character.
std::string signOffTooLongText(SignOffRole role, bool designation, std::size_t length);
std::string signOffControlText(SignOffRole role, bool designation);
/// A file of an older layout opened as it is keeps none.
inline constexpr const char* kSignOffsNotKept =
    "The database file is of an older layout opened as it is: it keeps no sign-offs, so none were saved.";
/// What the history keeps of a change: each role that changed, "Prepared by: Ravi, Clerk → Asha,
/// Clerk" (none where it was or became empty), joined by "; ".
std::string signOffsChangeText(const std::vector<compare::SignOff>& before, const std::vector<compare::SignOff>& after);
/// The Sign-off dialog's title, and what it says when the names could not be read or saved: why,
/// for a refusal; "Sign-off Error: " and the failure's description for anything else.
inline constexpr const char* kSignOffTitle = "Sign-off";
Message signOffsFailed(const Error& error);

}  // namespace vesk::review
