#include "store/EngineError.h"

#include <sqlcipher/sqlite3.h>

#include <string_view>

namespace vesk::store {

Error engineError(sqlite3* db, int rc) {
    const int primary = rc & 0xff;
    // The handle's message belongs to this failure only when its code agrees.
    std::string message = db && sqlite3_errcode(db) == rc ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const std::string_view text = message;
    if (text.starts_with("Type mismatch")) return Error(errc::kTypeMismatch, message);
    if (text.starts_with("Invalid procedure call")) return Error(errc::kUsage, message);
    return Error(errc::kDatabaseBase + primary, message);
}

void throwEngineError(sqlite3* db, int rc) { throw engineError(db, rc); }

}  // namespace vesk::store
