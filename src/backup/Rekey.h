#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "core/Secret.h"
#include "store/Connection.h"

namespace vesk::backup {

/// What re-keying a database did to the daily copies beside it.
struct Rekeyed {
    std::size_t copies = 0;              ///< re-keyed with it
    std::vector<std::string> leftAlone;  ///< opened with neither key: left as they were
    /// Opened with the old key but could not be re-keyed (in use by another program, damaged,
    /// not writable: the reason beside each): they keep the old key.
    std::vector<std::pair<std::string, std::string>> keptOldKey;
};

/// Encrypts the database the connection has open with `key` (a passphrase, or the program's
/// key to remove one), then every daily copy beside it that opened with the old key: a copy
/// left under the old key would open for whoever knew that one. The file and the copies are
/// made readable by their owner alone. Throws Error when the database cannot be re-keyed (it
/// then keeps its old key, and the connection is open with that again); a copy that cannot be
/// re-keyed once the database was is no failure of the change: it is named in `keptOldKey`.
/// Once re-keyed, the file's history records the change (set, changed or removed; never the
/// key) as `who` made it `when`.
Rekeyed rekeyDatabase(store::Connection& db, const Secret& key, const std::string& who, const DateTime& when);

}  // namespace vesk::backup
