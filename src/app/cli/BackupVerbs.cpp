#include <filesystem>
#include <ostream>

#include "backup/BackupFlows.h"
#include "backup/BackupWording.h"
#include "backup/DailyBackups.h"
#include "cli/VerbPrompter.h"
#include "cli/Verbs.h"
#include "store/Connection.h"
#include "store/DatabaseCheck.h"
#include "store/OnlineBackup.h"

namespace vesk::cli {

namespace {

// "ok", or the damage line by line; never creates the file.
int check(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"full"});
    if (!a.positional().empty()) throw UsageError("takes no arguments");
    const std::string path = context.databasePath();
    const store::FileCheck result =
        store::checkDatabaseFile(path, a.flag("full") ? store::CheckDepth::Full : store::CheckDepth::Quick);
    for (const std::string& line : backup::checkLines(path, result)) context.out << line << "\n";
    return result.sound() ? kExitOk : kExitFailed;
}

int backupVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give the file to write the backup to");
    const std::string& destination = a.positional().front();
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return backup::backUp(prompter, context.databasePath(), destination, true) ? kExitOk : kExitFailed;
}

int restoreVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give the backup file to restore");
    const std::string& file = a.positional().front();
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return backup::restoreBackup(prompter, context.databasePath(), file, localNow()) ? kExitOk : kExitFailed;
}

int dailyBackups(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (a.positional().size() > 1) throw UsageError("give on, off or nothing");
    const std::string path = context.databasePath();
    if (!a.positional().empty()) {
        const std::string& state = a.positional().front();
        if (state != "on" && state != "off") throw UsageError("give on or off, not '" + state + "'");
        backup::setDailyBackups(path, state == "on");
    }
    context.out << backup::dailyBackupsText(path, backup::dailyBackupsOn(path)) << "\n";
    return kExitOk;
}

}  // namespace

void addBackupVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"check", "[--full]",
                     "Reads every page of the database file, verifying its authentication code, then runs the "
                     "engine's check of every tree's structure (--full: and of every index against its table); "
                     "prints ok, or what is damaged (and exits 1).",
                     check});
    verbs.push_back({"backup", "FILE [--yes]",
                     "Writes a copy of the database to FILE with the engine's online backup, also while the window "
                     "has it open (a change in progress is waited for); --yes replaces an existing FILE.",
                     backupVerb});
    verbs.push_back({"restore", "FILE [--yes]",
                     "Puts the backup FILE in the database's place once it opens with the program's key and passes "
                     "the check; the database as it was is kept beside it as NAME.before-restore-DATE-TIME.",
                     restoreVerb});
    verbs.push_back({"daily-backups", "[on|off]",
                     "Turns the daily backups on or off (on by default) and says which: before the first change of "
                     "each day the database is copied into the folder backups beside it, the newest 7 kept.",
                     dailyBackups});
}

}  // namespace vesk::cli
