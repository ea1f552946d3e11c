#pragma once

#include <optional>
#include <string>

#include "core/DateTime.h"
#include "core/Prompter.h"
#include "store/DatabaseCheck.h"
#include "store/OnlineBackup.h"
#include "store/Waiting.h"

namespace vesk::backup {

/// What restoring a backup did.
struct Restore {
    enum class Status {
        Restored,  ///< the database holds the backup's contents; the former file is kept
        Refused,   ///< the file is no sound database of the program: nothing changed
    };
    Status status = Status::Refused;
    store::FileCheck check;  ///< what checking the backup found
    std::string kept;        ///< Restored: where the former database now is ("" when there was none)
};

/// "<database>.before-restore-yyyymmdd-hhmmss", where the database is kept when a backup
/// replaces it.
std::string keptPath(const std::string& databasePath, const DateTime& when);

/// Checks the backup whole (it must open with the program's key and pass the check), unless
/// `checked` holds that check already; when it passes, keeps the database file as keptPath ("-2", "-3" after it when
/// the name is taken) and replaces it with the backup's contents in one step. Throws Error when the replacement fails:
/// the database is then as it was.
Restore restoreDatabase(const std::string& databasePath, const std::string& backupPath, const DateTime& now,
                        const store::DelayWatcher& watcher = {}, const store::Heartbeat& heartbeat = {},
                        const std::optional<store::FileCheck>& checked = std::nullopt);

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
