#include <ostream>

#include "backup/BackupFlows.h"
#include "backup/BackupWording.h"
#include "backup/DailyBackups.h"
#include "backup/PassphraseFlows.h"
#include "cli/Verbs.h"
#include "review/MonthClose.h"
#include "store/DatabaseCheck.h"

namespace vesk::cli {

// "ok", or the damage line by line, then any close of a month that no longer matches its
// digest or breaks their chain; never creates the file, nor changes it.
int runCheck(Call& call) {
    const std::string path = call.databasePath();
    const store::FileCheck result =
        store::checkDatabaseFile(path, call.flag("full") ? store::CheckDepth::Full : store::CheckDepth::Quick);
    std::vector<std::string> faults;
    if (result.sound()) {
        store::Connection db;
        db.openWithoutUpgrade(path);
        faults = review::closeChainFaults(db);
    }
    for (const std::string& line : faults.empty() ? backup::checkLines(path, result) : faults)
        call.out() << line << "\n";
    return result.sound() && faults.empty() ? kExitOk : kExitFailed;
}

int runBackup(Call& call) {
    return backup::backUp(call.prompter(), call.databasePath(), call.argument(0), true) ? kExitOk : kExitFailed;
}

int runRestore(Call& call) {
    return backup::restoreBackup(call.prompter(), call.databasePath(), call.argument(0), localNow()) ? kExitOk
                                                                                                     : kExitFailed;
}

int runDailyBackups(Call& call) {
    const std::string path = call.databasePath();
    if (!call.positional().empty()) {
        const std::string& state = call.argument(0);
        if (state != "on" && state != "off") throw UsageError(backup::unknownDailyBackupsState(state));
        backup::setDailyBackups(path, state == "on");
    }
    call.out() << backup::dailyBackupsText(path, backup::dailyBackupsOn(path)) << "\n";
    return kExitOk;
}

namespace {

int passphraseVerb(Call& call, backup::PassphraseAction action) {
    return backup::changePassphrase(call.prompter(), call.databasePath(), action) ? kExitOk : kExitFailed;
}

}  // namespace

int runPassphraseSet(Call& call) { return passphraseVerb(call, backup::PassphraseAction::Set); }

int runPassphraseChange(Call& call) { return passphraseVerb(call, backup::PassphraseAction::Change); }

int runPassphraseRemove(Call& call) { return passphraseVerb(call, backup::PassphraseAction::Remove); }

}  // namespace vesk::cli
