#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Prompter.h"
#include "history/ImportHistory.h"

namespace vesk::history {

// What the history says, in the History windows and on the command line alike.

/// "Bank CTR import", "ORV month deletion", ...
std::string actionText(Action action);
/// "April 2025"; "" when the change has no period.
std::string periodText(const Change& change);
/// The file's name, the office chosen for a configured office change, for a note's change its
/// row's ID and status ("T123: new → Open", "T123: Open → Explained"), for a hand pair's its
/// number and what was done ("M7: VESK T1 with ORV R5, R6"), for a close or reopening who made it,
/// for a passphrase's change what was done ("Passphrase set"), for a restore the backup's name, for
/// the sign-offs' change the names before and after ("Checked by: none → Mohan, Inspector").
std::string nameText(const Change& change);

/// The question asked before an import, with a line before its last one that says when the
/// same file was imported before; unchanged when it never was.
Message withEarlierImport(Message question, const std::optional<DateTime>& earlier);

/// "the form is ctr, orv, master, pairs, closes or database, not 'x'": a form the history does not keep.
std::string unknownFormText(const std::string& given);

// Why the history or a file cannot be read.
inline constexpr const char* kNamelessActionText = "An action without a name";
std::string cannotOpenText(const std::string& path, const std::string& why);
std::string cannotReadText(const std::string& path);
inline constexpr const char* kNoDigestText = "SHA-256 is not available";
inline constexpr const char* kDigestFailedText = "SHA-256 failed";

/// A History window's headings: "Time", "Who", "What", "Period", "Detail", "File".
std::vector<std::string> historyHeadings();
/// What the change did: for an import, a deletion or a close its rows and sums ("3 rows, deposits
/// 1,234.87, withdrawals 250.25"; receipts and payments for ORV, items for a close), the office
/// made the configured one, for a note's, a hand pair's, a passphrase's or the sign-offs' change what nameText says,
/// and for a restore where the database as it was is kept.
std::string detailText(const Change& change);
/// "r1.xlsx, 5123 bytes, SHA-256 ba78…" (the whole digest); "" when the change read no file.
std::string fileText(const Change& change);
/// "Import ORV Data - History": a History window's title, and its printout's.
std::string historyTitle(const std::string& formTitle);
/// "This form's changes", or with `all` "Every change to the file": the printout's second line.
std::string historyListLine(bool all);
/// "History": the printout's sheet.
inline constexpr const char* kHistorySheetName = "History";
/// The records could not be read.
Message historyFailed(const Error& error);

}  // namespace vesk::history
