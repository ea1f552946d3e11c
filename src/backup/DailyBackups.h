#pragma once

#include <optional>
#include <string>
#include <vector>

#include "history/ImportHistory.h"
#include "store/Connection.h"

namespace vesk::backup {

/// How many daily copies are kept; the oldest go.
inline constexpr int kDailyBackupsKept = 7;

/// Whether the database gets its daily copy. On unless turned off; the switch is a file in
/// the database's backups folder, so both programs and every user of the file share it.
bool dailyBackupsOn(const std::string& databasePath);
/// Turns the daily copies on or off for the database. Throws Error when the switch cannot
/// be written.
void setDailyBackups(const std::string& databasePath, bool on);

/// The day's copy: "<folder>/backups/<name>-yyyy-mm-dd.db" for "<folder>/<name>.db".
std::string dailyBackupPath(const std::string& databasePath, const DateTime& day);

/// The daily copies of the database there are, oldest first.
std::vector<std::string> dailyBackups(const std::string& databasePath);

/// Before a change: when the daily copies are on and today has none yet, copies the
/// database the connection has open into the backups folder (telling the connection's
/// delay watcher), the oldest removed first so that the newest kDailyBackupsKept are left.
/// Returns the copy made. Throws Error when the copy cannot be made, or an old one removed:
/// the change must then not go ahead.
std::optional<std::string> keepDailyBackup(store::Connection& db, const DateTime& today);

/// keepDailyBackup on the clock's day, before every write transaction of this process;
/// what the programs install with store::setBeforeWrite.
store::BeforeWrite dailyBackupHook(Clock now = localNow);

}  // namespace vesk::backup
