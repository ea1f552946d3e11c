#include "store/EngineError.h"

#include <sqlcipher/sqlite3.h>

#include <utility>

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

Error engineError(sqlite3* db, int rc) {
    const int primary = rc & 0xff;
    // The handle's message belongs to this failure only when its code agrees.
    std::string message = db && sqlite3_errcode(db) == rc ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (db && t_fault.db == db) {
        const DialectFault fault = std::exchange(t_fault, {});
        if (fault.code == primary) return Error(fault.number, message);
    }
    return Error(errc::kDatabaseBase + primary, message);
}

void throwEngineError(sqlite3* db, int rc) { throw engineError(db, rc); }

}  // namespace vesk::store
