#include "backup/Rekey.h"

#include "backup/DailyBackups.h"
#include "core/Platform.h"
#include "store/Passphrase.h"

namespace vesk::backup {

Rekeyed rekeyDatabase(store::Connection& db, const Secret& key) {
    const Secret old = db.key();
    db.rekey(key);
    // Whoever else could read it could try the new passphrase on it: for its owner alone.
    platform::makeOwnerOnly(db.path());
    Rekeyed done;
    for (const std::string& copy : dailyBackups(db.path())) {
        if (store::keyFits(copy, key)) continue;  // one a change killed half way left re-keyed already
        if (store::rekeyFile(copy, old, key))
            ++done.copies;
        else
            done.leftAlone.push_back(copy);
    }
    return done;
}

}  // namespace vesk::backup
