#include "backup/Restore.h"

#include <cstdio>
#include <filesystem>

#include "backup/BackupWording.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "history/ImportHistory.h"
#include "store/Connection.h"
#include "store/OnlineBackup.h"

namespace vesk::backup {

namespace fs = std::filesystem;

std::string keptPath(const std::string& databasePath, const DateTime& when) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", when.year, when.month, when.day, when.hour,
                  when.minute, when.second);
    return databasePath + ".before-restore-" + stamp;
}

namespace {

// Written once the backup's contents are in, as the file is (no newer layout made for it): the
// restore is done by then, and stands when it cannot be recorded.
void recordRestore(const std::string& databasePath, const std::string& backupPath, const Restore& restore,
                   const DateTime& now, const std::string& who, const store::DelayWatcher& watcher) {
    history::Change change;
    change.action = history::Action::BackupRestored;
    change.by = who;
    change.kept = restore.kept;
    try {
        change.file = history::digestFile(backupPath);
        store::Connection db;
        db.setDelayWatcher(watcher);
        db.openWithoutUpgrade(databasePath);
        history::recordTakenChange(db, change, now);
    } catch (const Error&) {
    }
}

}  // namespace

Restore restoreDatabase(const std::string& databasePath, const std::string& backupPath, const DateTime& now,
                        const std::string& who, const store::DelayWatcher& watcher, const store::Heartbeat& heartbeat,
                        const std::optional<store::FileCheck>& checked) {
    Restore result;
    std::error_code ec;
    if (fs::equivalent(platform::fsPath(databasePath), platform::fsPath(backupPath), ec))
        throw Error(errc::kUsage, kRestoreItselfText);
    result.check = checked ? *checked : store::checkDatabaseFile(backupPath, store::CheckDepth::Quick, heartbeat);
    if (!result.check.sound()) return result;
    const bool existed = fs::exists(platform::fsPath(databasePath), ec);
    // Two restores within a second must not keep into the same name.
    const std::string first = keptPath(databasePath, now);
    std::string kept = first;
    for (int n = 2; fs::exists(platform::fsPath(kept), ec); ++n) kept = first + "-" + std::to_string(n);
    store::replaceDatabase(databasePath, backupPath, kept, watcher, heartbeat);
    result.status = Restore::Status::Restored;
    if (existed) result.kept = kept;
    recordRestore(databasePath, backupPath, result, now, who, watcher);
    return result;
}

}  // namespace vesk::backup
