#include "backup/BackupFlows.h"

#include <filesystem>

#include "backup/BackupWording.h"
#include "core/Platform.h"
#include "history/ImportHistory.h"
#include "store/Connection.h"

namespace vesk::backup {

namespace fs = std::filesystem;

bool restoreBackup(Prompter& prompter, const std::string& databasePath, const std::string& backupPath,
                   const DateTime& now, const store::DelayWatcher& watcher) {
    const auto says = [&prompter](const char* text) { return [&prompter, text] { prompter.progress(text); }; };
    prompter.progress(kCheckingBackupText);
    Restore refused;
    refused.check = store::checkDatabaseFile(backupPath, store::CheckDepth::Quick, says("Checking the backup..."));
    prompter.progress("");
    if (!refused.check.sound()) {
        prompter.message(restoreMessage(backupPath, refused));
        return false;
    }
    if (prompter.message(restoreQuestion(databasePath, backupPath)) != Answer::Yes) return false;
    prompter.progress(kRestoringText);
    const Restore restore = restoreDatabase(databasePath, backupPath, now, history::loginName(), watcher,
                                            says("Restoring the backup..."), refused.check);
    prompter.progress("");
    prompter.message(restoreMessage(backupPath, restore));
    return restore.status == Restore::Status::Restored;
}

std::optional<store::CopiedDatabase> backUp(Prompter& prompter, const std::string& databasePath,
                                            const std::string& destination, bool askBeforeReplacing,
                                            const store::DelayWatcher& watcher) {
    store::Connection db;
    db.setDelayWatcher(watcher);
    // As the file is: a backup neither waits for nor makes a newer layout.
    db.openWithoutUpgrade(databasePath);
    std::error_code ec;
    if (askBeforeReplacing && fs::exists(platform::fsPath(destination), ec) &&
        prompter.message(replaceBackupQuestion(destination)) != Answer::Yes)
        return std::nullopt;
    prompter.progress(kBackingUpText);
    const store::CopiedDatabase copy =
        store::copyDatabase(db, destination, [&prompter] { prompter.progress(kBackingUpText); });
    prompter.progress("");
    prompter.message(backedUp(destination, copy));
    return copy;
}

}  // namespace vesk::backup
