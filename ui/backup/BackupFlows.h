#pragma once

#include <optional>
#include <string>

#include "backup/Restore.h"
#include "core/Prompter.h"

namespace vesk::backup {

/// The flows of the menu and the command line alike, the person asked and told through
/// the prompter.

/// Refuses a backup that fails the check, asks before it replaces the database, restores
/// it and says what happened. True when it was restored.
bool restoreBackup(Prompter& prompter, const std::string& databasePath, const std::string& backupPath,
                   const DateTime& now, const store::DelayWatcher& watcher = {});

/// Copies the database to `destination`, asking first when that file exists and
/// `askBeforeReplacing` (a save dialog has asked already). Returns the copy; nullopt when
/// the person would not replace the file.
std::optional<store::CopiedDatabase> backUp(Prompter& prompter, const std::string& databasePath,
                                            const std::string& destination, bool askBeforeReplacing,
                                            const store::DelayWatcher& watcher = {});

}  // namespace vesk::backup
