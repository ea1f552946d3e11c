#pragma once

#include <optional>
#include <string>

#include "core/DateTime.h"
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
/// the database is then as it was. The restored file's history then records the restore (the backup's name, size and
/// digest, where the former file is kept) as `who` made it `now`, unless its layout keeps no history.
Restore restoreDatabase(const std::string& databasePath, const std::string& backupPath, const DateTime& now,
                        const std::string& who, const store::DelayWatcher& watcher = {},
                        const store::Heartbeat& heartbeat = {},
                        const std::optional<store::FileCheck>& checked = std::nullopt);

}  // namespace vesk::backup
