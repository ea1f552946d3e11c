#include "store/Handle.h"

#include <sqlcipher/sqlite3.h>

#include <set>

#include "core/Error.h"
#include "core/Platform.h"
#include "core/Text.h"
#include "store/EngineError.h"
#include "store/Schema.h"
#include "store/WaitState.h"

namespace vesk::store::detail {

const char* programKey() { return "kwtrb"; }

void DbCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void StmtFinalizer::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

namespace {

// The engine counts every allocation under one lock unless told not to; nothing here reads the
// counts, and connections reading on several threads would queue on that lock. Only possible
// before the engine's first use, so set once, ahead of the first open.
void leaveMemoryUncounted() {
    static const int configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)configured;
}

// A journal holds pages of its database: the journal of a file for its owner alone is for its
// owner alone too. The engine's POSIX files give it the file's permissions; on Windows it would
// take its folder's, which others may read. So every file the engine opens goes through the
// system's own file system with this one step after the opening of a journal or a log.
sqlite3_vfs* g_systemVfs = nullptr;

int openOwnedAlike(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    const int rc = g_systemVfs->xOpen(g_systemVfs, name, file, flags, outFlags);
    if (rc != SQLITE_OK || !name || !(flags & (SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL))) return rc;
    const std::string journal = name;
    const std::size_t dash = journal.rfind('-');
    if (dash == std::string::npos) return rc;
    try {
        if (platform::isOwnerOnly(journal.substr(0, dash))) platform::makeOwnerOnly(journal);
        return rc;
    } catch (const Error&) {
        // Not to be written unprotected: the engine is told it cannot open it.
        if (file->pMethods) file->pMethods->xClose(file);
        file->pMethods = nullptr;
        return SQLITE_CANTOPEN;
    }
}

void keepJournalsOwnedAlike() {
    static const bool registered = [] {
        static sqlite3_vfs vfs;
        g_systemVfs = sqlite3_vfs_find(nullptr);
        if (!g_systemVfs) return false;
        vfs = *g_systemVfs;
        vfs.zName = "vesk-journals-owned-alike";
        vfs.xOpen = openOwnedAlike;
        return sqlite3_vfs_register(&vfs, 1) == SQLITE_OK;
    }();
    if (!registered) throw Error(errc::kInternal, "The database engine's file system cannot be set up");
}

}  // namespace

DbHandle openHandle(const std::string& path, int flags, WaitState* wait) {
    leaveMemoryUncounted();
    keepJournalsOwnedAlike();
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    DbHandle db(raw);
    if (rc != SQLITE_OK) {
        Error e = engineError(db.get(), rc);
        throw Error(e.number(), "Cannot open the database file '" + path + "': " + e.description());
    }
    sqlite3_extended_result_codes(db.get(), 0);
    // Before the first read: the schema check must wait out another program's commit too.
    if (wait) sqlite3_busy_handler(db.get(), busyHandler, wait);
    return db;
}

long long rowsChanged(sqlite3* db, long long totalBefore) {
    return sqlite3_total_changes(db) == totalBefore ? 0 : sqlite3_changes(db);
}

void run(sqlite3* db, const char* sql) {
    const WaitEnd waitEnd;
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throwEngineError(db, rc);
}

void applyKey(sqlite3* db, const Secret& password) {
    int rc = sqlite3_key(db, password.data(), static_cast<int>(password.size()));
    if (rc != SQLITE_OK) throwEngineError(db, rc);
    // Larger pages than the 1024-byte default cut the encryption work per row by about a
    // third. The program creates every file it opens, so all have this page size.
    run(db, ("PRAGMA cipher_page_size = " + std::to_string(kPageSize)).c_str());
}

std::string missingTables(sqlite3* db, const std::string& path) {
    const WaitEnd waitEnd;
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &raw, nullptr);
    StmtHandle stmt(raw);
    std::set<std::string> names;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
            names.insert(lower(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0))));
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK) {
        Error e = engineError(db, rc);
        // A damaged or busy file's words say it all already.
        if (isDamage(rc) || rc == SQLITE_BUSY) throw e;
        throw Error(e.number(), "Cannot open the database file '" + path + "': " + e.description());
    }
    std::string missing;
    for (Table t : kAllTables) {
        if (names.count(lower(tableName(t)))) continue;
        if (!missing.empty()) missing += ", ";
        missing += tableName(t);
    }
    return missing;
}

int layoutVersion(sqlite3* db) {
    const WaitEnd waitEnd;
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &raw, nullptr);
    StmtHandle stmt(raw);
    if (rc != SQLITE_OK) throwEngineError(db, rc);
    rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) throwEngineError(db, rc);
    return sqlite3_column_int(stmt.get(), 0);
}

}  // namespace vesk::store::detail
