#include "backup/Rekey.h"

#include "backup/BackupWording.h"
#include "backup/DailyBackups.h"
#include "core/Platform.h"
#include "history/ImportHistory.h"
#include "store/Passphrase.h"

namespace vesk::backup {

namespace {

// The engine re-keys in a transaction of its own, so the record follows at once.
void recordRekey(store::Connection& db, const Secret& old, const Secret& key, const std::string& who,
                 const DateTime& when) {
    history::Change change;
    change.action = old == store::programKey()   ? history::Action::PassphraseSet
                    : key == store::programKey() ? history::Action::PassphraseRemoved
                                                 : history::Action::PassphraseChanged;
    change.by = who;
    history::recordTakenChange(db, change, when);
}

}  // namespace

Rekeyed rekeyDatabase(store::Connection& db, const Secret& key, const std::string& who, const DateTime& when) {
    const Secret old = db.key();
    const std::string path = db.path();
    // Whoever else could read it could try the new passphrase on it: for its owner alone, and
    // before it has that, so that a refusal leaves the change not made.
    platform::makeOwnerOnly(path);
    db.rekey(key);
    if (!store::rekeyTook(path, old, key)) {
        // The engine writes with the new key from now on, and may hold a commit it could not
        // make: the connection starts again with the old key, which the file kept.
        store::rememberPassphrase(path, old);
        try {
            db.openWith(path, old);
        } catch (const Error&) {  // closed then; the failure to tell is the re-key's
        }
        throw Error(store::kNotRekeyedError, notRekeyedText(path));
    }
    recordRekey(db, old, key, who, when);
    Rekeyed done;
    for (const std::string& copy : dailyBackups(path)) {
        if (store::keyFits(copy, key)) continue;  // one a change killed half way left re-keyed already
        try {
            if (store::rekeyFile(copy, old, key))
                ++done.copies;
            else
                done.leftAlone.push_back(copy);
        } catch (const Error& e) {
            // The database has the new key already: a throw here would report the change as
            // not made. The engine rolls the copy back, so it stays whole under the old key.
            done.keptOldKey.emplace_back(copy, e.description());
        }
    }
    return done;
}

}  // namespace vesk::backup
