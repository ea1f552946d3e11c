#include "backup/Rekey.h"

#include <sys/stat.h>

#include "backup/DailyBackups.h"
#include "store/Passphrase.h"

namespace vesk::backup {

Rekeyed rekeyDatabase(store::Connection& db, const Secret& key) {
    const Secret old = db.key();
    db.rekey(key);
    ::chmod(db.path().c_str(), 0600);
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
