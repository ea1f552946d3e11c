#include <ostream>

#include "backup/BackupFlows.h"
#include "backup/BackupWording.h"
#include "backup/DailyBackups.h"
#include "backup/PassphraseFlows.h"
#include "cli/Verbs.h"
#include "store/DatabaseCheck.h"

namespace vesk::cli {

// "ok", or the damage line by line; never creates the file.
int runCheck(Call& call) {
    const std::string path = call.databasePath();
    const store::FileCheck result =
        store::checkDatabaseFile(path, call.flag("full") ? store::CheckDepth::Full : store::CheckDepth::Quick);
    for (const std::string& line : backup::checkLines(path, result)) call.out() << line << "\n";
    return result.sound() ? kExitOk : kExitFailed;
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
