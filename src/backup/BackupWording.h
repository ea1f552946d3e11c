#pragma once

#include <string>
#include <vector>

#include "backup/Rekey.h"
#include "backup/Restore.h"
#include "core/Error.h"
#include "core/Prompter.h"
#include "store/DatabaseCheck.h"
#include "store/OnlineBackup.h"
#include "store/Waiting.h"

namespace vesk::backup {

// What the menu and the command line say of checking, backing up and restoring the
// database, in one place.

/// The check in lines: "ok" alone for a sound file, else what is wrong, one line each,
/// the first naming the file.
std::vector<std::string> checkLines(const std::string& path, const store::FileCheck& check);
/// The check as the menu shows it.
Message checkMessage(const std::string& path, const store::FileCheck& check);

/// Asked before an existing file is replaced by a backup.
Message replaceBackupQuestion(const std::string& destination);
/// "The database was backed up to 'FILE' (12.3 MB)."
std::string backedUpText(const std::string& destination, const store::CopiedDatabase& copy);
/// The same, as the menu and the command line tell it.
Message backedUp(const std::string& destination, const store::CopiedDatabase& copy);
/// The name a backup is offered under: "ZETTools-2026-01-06.db".
std::string suggestedBackupName(const std::string& databasePath, const DateTime& today);

/// Asked before a backup replaces the database.
Message restoreQuestion(const std::string& databasePath, const std::string& backupPath);
/// What a restore did, or why it refused the file.
Message restoreMessage(const std::string& backupPath, const Restore& restore);

/// "Daily backups are on: ..." or "... off ..." for the database.
std::string dailyBackupsText(const std::string& databasePath, bool on);
/// "give on or off, not 'x'": a state the daily backups do not have.
std::string unknownDailyBackupsState(const std::string& given);
/// Why a change did not go ahead: today's copy could not be made.
std::string dailyBackupFailedText(const std::string& copy, const std::string& reason);
/// What the switch file that turns the daily copies off says to whoever opens it.
std::string offSwitchText();
/// Why the switch could not be turned.
std::string notRemovedText(const std::string& file, const std::string& why);
std::string notWrittenText(const std::string& file);

/// A restore refused: the file named is the database itself.
/// What the status line says while the file is cared for.
inline constexpr const char* kCheckingText = "Checking the database file...";
inline constexpr const char* kCheckingBackupText = "Checking the backup...";
inline constexpr const char* kRestoringText = "Restoring the backup...";
inline constexpr const char* kBackingUpText = "Backing up the database...";
inline constexpr const char* kRekeyingText = "Encrypting the database with the new key...";

inline constexpr const char* kRestoreItselfText = "The file to restore is the database file itself";

/// What a person is told while a statement is held up: "Waiting up to 30 s for another
/// program to finish with the database...", or, while the program's own work on the file
/// comes first (today's backup is the only such work), "Keeping today's backup of the database...".
std::string delayText(const store::DelayNotice& notice);

/// A failure of a handler of the menu, under its title ("Error: ...").
Message careFailed(const std::string& title, const Error& error);

/// What a passphrase is asked with: the current one of the file, the new one, the new one again
/// (`orRemove`: leaving it empty removes the passphrase).
std::string currentPassphrasePrompt(const std::string& path);
std::string newPassphrasePrompt(bool orRemove = false);
std::string repeatPassphrasePrompt();
/// A new passphrase refused; nothing was changed.
Message passphraseTooShort();
Message passphrasesDiffer();
/// Set asked of a file that has a passphrase, change or remove of one that has none.
Message hasPassphraseAlready(const std::string& path);
Message hasNoPassphrase(const std::string& path);
/// Asked before the passphrase goes.
Message removePassphraseQuestion(const std::string& path);
/// What set, change and remove did, with what became of the daily copies beside the file.
enum class PassphraseChange { Set, Changed, Removed };
Message passphraseChanged(PassphraseChange change, const std::string& path, const Rekeyed& done);
/// The database did not take the new key (see store::kNotRekeyedText).
std::string notRekeyedText(const std::string& path);
/// The window's start gave up: the passphrase was not given, or was wrong each time.
Message passphraseNotGiven(const std::string& path);
Message passphraseWrongEachTime(const std::string& path, int tries);

/// The titles of the menu's messages.
inline constexpr const char* kCheckTitle = "Check Database";
inline constexpr const char* kBackupTitle = "Back Up Database";
inline constexpr const char* kRestoreTitle = "Restore Database";
inline constexpr const char* kPassphraseTitle = "Passphrase";

}  // namespace vesk::backup
