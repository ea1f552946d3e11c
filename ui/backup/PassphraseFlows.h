#pragma once

#include <string>

#include "core/Prompter.h"
#include "store/Passphrase.h"
#include "store/Waiting.h"

namespace vesk::backup {

/// What is asked of the database's passphrase.
enum class PassphraseAction {
    Set,             ///< a file without one gets one
    Change,          ///< one replaces another
    Remove,          ///< the file opens with the program's key again
    ChangeOrRemove,  ///< the menu's: a new one given changes it, none removes it
};

/// The flow of the menu and the command line alike: asks the current passphrase (Change,
/// Remove) and the new one twice (Set, Change), refuses what does not do (a passphrase too
/// short, two that differ, set on a file with one, change on a file without), re-keys the file
/// and its daily copies and says what it did. True when the passphrase changed. Throws Error
/// with kWrongPassphraseText when the current one is wrong: nothing is then changed.
bool changePassphrase(Prompter& prompter, const std::string& databasePath, PassphraseAction action,
                      const store::DelayWatcher& watcher = {});

/// Asks the person, through the prompter, for the passphrase a file opens with; none when they
/// give none. What the window and the command line open files with.
store::PassphraseSource askingPassphrases(Prompter& prompter);

/// At the window's start: when the file has a passphrase, asks for it up to `tries` times,
/// saying each time it is wrong, and keeps the one that opens it for the run. False when none
/// was given or each was wrong (the person has been told the program ends).
bool unlockDatabase(Prompter& prompter, const std::string& databasePath, int tries = 3);

}  // namespace vesk::backup
