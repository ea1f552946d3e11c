#include "store/EngineError.h"

#include <sqlcipher/sqlite3.h>

#include <filesystem>
#include <utility>

#include "store/DatabaseLocation.h"
#include "store/Passphrase.h"

namespace vesk::store {

namespace {

// Functions run inside sqlite3_step on the calling thread, so the failure they note is
// the next one that thread reports for that connection.
struct DialectFault {
    sqlite3* db = nullptr;
    long number = 0;
    int code = 0;
};
thread_local DialectFault t_fault;

}  // namespace

void noteDialectFault(sqlite3* db, long number, int code) { t_fault = {db, number, code}; }

bool isDamage(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string damagedText(const std::string& path, int rc, const std::string& reason) {
    const std::string what = (rc & 0xff) == SQLITE_NOTADB
                                 ? "cannot be read with the program's key (" + reason +
                                       "): it is damaged at its start, or it is not this program's database"
                                 : "is damaged (" + reason + ")";
    return "The database file '" + path + "' " + what +
           ". \"vesk-orv-cli check\" or \"Check Database\" on the menu shows the damage; restore a backup with "
           "\"vesk-orv-cli restore FILE\" or \"Restore Database\" (the daily copies are in '" +
           dailyBackupFolder(path) + "').";
}

Error engineError(sqlite3* db, int rc) {
    const int primary = rc & 0xff;
    // The handle's message belongs to this failure only when its code agrees.
    std::string message = db && sqlite3_errcode(db) == rc ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (db && t_fault.db == db) {
        const DialectFault fault = std::exchange(t_fault, {});
        if (fault.code == primary) return Error(fault.number, message);
    }
    if (primary == SQLITE_BUSY) return Error(kInUseError, kInUseText);
    if (db && isDamage(primary)) {
        const char* file = sqlite3_db_filename(db, "main");
        // Not damage: the file was given a passphrase (by another program, while this one had
        // it open under the old key).
        if (primary == SQLITE_NOTADB && file && *file && protectedByPassphrase(file))
            return Error(kProtectedError, kProtectedText);
        if (file && *file) return Error(errc::kDatabaseBase + primary, damagedText(file, primary, message));
    }
    return Error(errc::kDatabaseBase + primary, message);
}

void throwEngineError(sqlite3* db, int rc) { throw engineError(db, rc); }

}  // namespace vesk::store
