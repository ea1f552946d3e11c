#include "store/Connection.h"

#include <sqlcipher/sqlite3.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "core/Error.h"
#include "core/Platform.h"
#include "core/Text.h"
#include "store/EngineError.h"
#include "store/Handle.h"
#include "store/PageCodes.h"
#include "store/Passphrase.h"
#include "store/Schema.h"
#include "store/SqlDialect.h"
#include "store/WaitState.h"

namespace vesk::store {

namespace fs = std::filesystem;

namespace {

// The shared handle keeps the waiting it uses alive as long as any statement holds it.
struct SharedCloser {
    std::shared_ptr<detail::WaitState> wait;
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

BeforeWrite& beforeWriteHook() {
    static BeforeWrite hook;
    return hook;
}

using detail::applyKey;
using detail::DbHandle;
using detail::openHandle;
using detail::run;
using detail::StmtHandle;

void checkTables(sqlite3* db, const std::string& path) {
    const std::string missing = detail::missingTables(db, path);
    if (!missing.empty())
        throw Error(errc::kDatabaseBase + SQLITE_ERROR,
                    "The database file '" + path + "' lacks the table(s) " + missing + " the program needs");
}

// A later version's file may hang on what this one lacks (an index on a function it does not
// have, stored work its changes would not clear): refused before it is read or written.
void refuseNewerLayout(sqlite3* db, const std::string& path) {
    const int layout = detail::layoutVersion(db);
    if (layout > kSchemaVersion)
        throw Error(kNewerLayoutError, "The database file '" + path + "' was " + newerLayoutText(layout) +
                                           ". Open it with that version or a later one.");
}

// Brings the layout up to kSchemaVersion in one transaction, so a file is either migrated
// whole or left as it was; a second program opening it meanwhile finds the work done.
// A new file is first given the oldest layout, so both take the same path.
void upgradeLayout(sqlite3* db, bool create, const detail::WaitState& wait) {
    if (!create && detail::layoutVersion(db) >= kSchemaVersion) return;
    // Rebuilding an index over years of rows takes a while, once: said, so that nobody takes
    // the program for hung and stops it (which would only leave the work to do again).
    struct Told {
        const detail::WaitState* wait;
        ~Told() {
            if (wait) wait->tell({Delay::Upgrade, {}, true});
        }
    } told{create ? nullptr : &wait};
    if (!create) wait.tell({Delay::Upgrade, {}, false});
    run(db, "BEGIN IMMEDIATE");
    try {
        if (create)
            for (const std::string& sql : schemaStatements()) run(db, sql.c_str());
        const int from = detail::layoutVersion(db);
        if (from < kSchemaVersion) {
            for (const std::string& sql : migrationStatements(from)) run(db, sql.c_str());
            run(db, ("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
        }
        run(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// A rollback journal with full syncs: a committed import survives a crash or a power
// cut, and a big import writes each page once (a write-ahead log measured about 1.7 times
// slower). The cache holds a whole month's import, so it never spills mid-transaction.
// Freed space is not overwritten with zeros (the engine's build does that by default): every
// page of the file is encrypted anyway, and zeroing a replaced month's pages cost a fifth of
// a deletion and most of its commit.
void configure(sqlite3* db) {
    run(db, "PRAGMA journal_mode = DELETE");
    run(db, "PRAGMA synchronous = FULL");
    run(db, "PRAGMA temp_store = MEMORY");
    run(db, "PRAGMA cache_size = -32768");
    run(db, "PRAGMA secure_delete = OFF");
}

// Creates the file itself first so that a file someone else made in the meantime is
// never taken over (and so never removed after a failure). For its owner alone: it holds a
// bank's transactions, and the engine gives its journals the file's permissions.
void createEmptyFile(const std::string& path) {
    try {
        platform::File(path, platform::Open::CreateNew, {.ownerOnly = true}).close();
    } catch (const platform::SystemError& e) {
        throw Error(errc::kPathAccess, "Cannot create the database file '" + path + "': " + e.reason());
    }
}

// What the engine says of a file the key does not open.
bool notADatabase(const Error& e) {
    return e.number() == errc::kDatabaseBase + SQLITE_NOTADB || e.number() == kProtectedError;
}

using Salt = std::array<unsigned char, detail::kSaltSize>;

// The salt an encrypted file starts with; none for a file too short to hold one, a plain one
// or one that cannot be read (which shows as what it is where the engine opens it).
std::optional<Salt> fileSalt(const std::string& path) {
    Salt salt{};
    try {
        const platform::File file(path, platform::Open::Read);
        if (file.readAt(salt.data(), salt.size(), 0) < salt.size()) return std::nullopt;
    } catch (const platform::SystemError&) {
        return std::nullopt;
    }
    if (detail::plainDatabaseHeader(salt.data())) return std::nullopt;
    return salt;
}

// Opens an existing file with the key: as the page key made once per run for the key and the
// file's salt, so that only the first connection to the file pays for deriving it.
DbHandle openEncrypted(const std::string& path, const Secret& key, detail::WaitState* wait) {
    const std::optional<Salt> salt = fileSalt(path);
    DbHandle db = openHandle(path, SQLITE_OPEN_READWRITE, wait);
    applyKey(db.get(), salt ? detail::rawKeyText(detail::pageKey(key, salt->data())) : key);
    checkTables(db.get(), path);
    refuseNewerLayout(db.get(), path);
    return db;
}

}  // namespace

BeforeWrite setBeforeWrite(BeforeWrite hook) {
    BeforeWrite before = std::move(beforeWriteHook());
    beforeWriteHook() = std::move(hook);
    return before;
}

Connection::Connection() : m_wait(std::make_shared<detail::WaitState>()) {}

Connection::~Connection() { close(); }

void Connection::close() noexcept {
    m_db.reset();
    m_path.clear();
    m_key.clear();
}

void Connection::open(const std::string& path) { openAsking(path, true); }

void Connection::openWith(const std::string& path, const Secret& key) {
    try {
        open(path, key, true);
    } catch (const Error& e) {
        if (!notADatabase(e) || key == programKey() || !protectedByPassphrase(path)) throw;
        throw Error(kWrongPassphraseError, kWrongPassphraseText);
    }
}

void Connection::openWithoutUpgrade(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(platform::fsPath(path), ec))
        throw Error(errc::kFileNotFound, "The database file '" + path + "' does not exist");
    openAsking(path, false);
}

void Connection::openAsking(const std::string& path, bool upgrade) {
    // One the run knows opens the file at once: the program's key would only fail first.
    if (const std::optional<Secret> known = detail::rememberedPassphrase(path)) {
        try {
            open(path, *known, upgrade);
            return;
        } catch (const Error& e) {
            if (!notADatabase(e)) throw;
            rememberPassphrase(path, programKey());  // taken off since, or changed
        }
    }
    // The engine first, with the program's key: it plays back what a program killed in the
    // middle of a re-keying left, after which the file's bytes say which key it has.
    try {
        open(path, programKey(), upgrade);
        return;
    } catch (const Error& e) {
        if (!notADatabase(e) || !protectedByPassphrase(path)) throw;
    }
    const std::optional<Secret> key = detail::passphraseFor(path);
    if (!key) throw Error(kProtectedError, kProtectedText);
    try {
        open(path, *key, upgrade);
    } catch (const Error& e) {
        if (!notADatabase(e)) throw;
        rememberPassphrase(path, programKey());  // a passphrase since changed is not tried again
        throw Error(kWrongPassphraseError, kWrongPassphraseText);
    }
    rememberPassphrase(path, *key);
}

void Connection::rekey(const Secret& key) {
    if (!m_db) throw Error(errc::kUsage, "The database connection is not open");
    if (inTransaction()) throw Error(errc::kUsage, "The database cannot be re-keyed inside a transaction");
    const detail::WaitEnd waitEnd;
    const int rc = sqlite3_rekey(m_db.get(), key.data(), static_cast<int>(key.size()));
    if (rc != SQLITE_OK) throwEngineError(m_db.get(), rc);
    m_key = key;
    rememberPassphrase(m_path, key);
}

bool Connection::hasPassphrase() const { return m_db && !(m_key == programKey()); }

void Connection::openBeside(const Connection& other) {
    if (!other.isOpen()) throw Error(errc::kUsage, "The database connection is not open");
    const std::string path = other.m_path;  // other may be this one
    const Secret key = other.m_key;
    open(path, key, false);
}

bool Connection::secondConnectionSeesAll() { return isOpen() && !inTransaction() && layoutVersion() == kSchemaVersion; }

void Connection::open(const std::string& path, const Secret& key, bool upgrade) {
    close();
    if (path.empty()) throw Error(errc::kFileNotFound, "No database file was named");
    std::error_code ec;
    const fs::file_status status = fs::status(platform::fsPath(path), ec);
    DbHandle db;
    if (fs::exists(status)) {
        if (fs::is_directory(status)) throw Error(errc::kPathAccess, "'" + path + "' is a folder, not a database file");
        // Never SQLITE_OPEN_CREATE here: an existing file is only ever opened.
        db = openEncrypted(path, key, m_wait.get());
        registerDialectFunctions(db.get());
        configure(db.get());
        // A file opened read-only is read as it is: the statements work without the indexes.
        if (upgrade && sqlite3_db_readonly(db.get(), "main") == 0) upgradeLayout(db.get(), false, *m_wait);
    } else {
        fs::path folder = platform::fsPath(path).parent_path();
        if (folder.empty()) folder = ".";
        if (!fs::is_directory(folder, ec))
            throw Error(errc::kPathAccess, "Cannot create the database file '" + path + "': the folder '" +
                                               platform::utf8(folder) + "' does not exist");
        const std::string sideFiles[] = {path + "-journal", path + "-wal", path + "-shm"};
        bool sideExisted[3];
        for (int i = 0; i < 3; ++i) sideExisted[i] = fs::exists(platform::fsPath(sideFiles[i]), ec);
        createEmptyFile(path);
        try {
            db = openHandle(path, SQLITE_OPEN_READWRITE, m_wait.get());
            applyKey(db.get(), key);
            registerDialectFunctions(db.get());
            configure(db.get());
            upgradeLayout(db.get(), true, *m_wait);
        } catch (...) {
            db.reset();
            fs::remove(platform::fsPath(path), ec);
            for (int i = 0; i < 3; ++i)
                if (!sideExisted[i]) fs::remove(platform::fsPath(sideFiles[i]), ec);
            throw;
        }
    }
    m_db = std::shared_ptr<sqlite3>(db.release(), SharedCloser{m_wait});
    m_path = path;
    m_key = key;
}

std::int64_t Connection::execute(const std::string& sql, const std::vector<Value>& params) {
    if (!m_db) throw Error(errc::kUsage, "The database connection is not open");
    if (!params.empty()) return Statement(m_db, sql).execute(params);
    sqlite3* db = m_db.get();
    const detail::WaitEnd waitEnd;
    const char* p = sql.c_str();
    const char* end = p + sql.size();
    std::int64_t changed = 0;
    while (p < end) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v2(db, p, static_cast<int>(end - p), &raw, &tail);
        StmtHandle stmt(raw);
        if (rc != SQLITE_OK) throwEngineError(db, rc);
        p = tail ? tail : end;
        if (!stmt) continue;  // blanks or a comment
        const auto before = sqlite3_total_changes(db);
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) throwEngineError(db, rc);
        changed = detail::rowsChanged(db, before);
    }
    return changed;
}

bool Connection::readOnly() const { return m_db && sqlite3_db_readonly(m_db.get(), "main") == 1; }

bool Connection::inTransaction() const { return m_db && sqlite3_get_autocommit(m_db.get()) == 0; }

Statement Connection::prepare(const std::string& sql) { return Statement(m_db, sql); }

ResultSet Connection::query(const std::string& sql, const std::vector<Value>& params) {
    return Statement(m_db, sql).query(params);
}

Value Connection::scalar(const std::string& sql, const std::vector<Value>& params) {
    ResultSet rs = query(sql, params);
    if (rs.empty() || rs.columns().empty()) return {};
    return rs.field(0, 0);
}

Transaction Connection::begin() {
    // Not again for what the hook itself writes.
    if (m_db && beforeWriteHook() && !m_inBeforeWrite) {
        struct Within {
            bool& flag;
            ~Within() { flag = false; }
        } within{m_inBeforeWrite = true};
        beforeWriteHook()(*this);
    }
    return Transaction(m_db);
}

Transaction Connection::beginRead() { return Transaction(m_db, Transaction::Kind::Read); }

Transaction Connection::beginDerived() { return Transaction(m_db, Transaction::Kind::Derived); }

void Connection::setDelayWatcher(DelayWatcher watcher) { m_wait->watcher = std::move(watcher); }

void Connection::tellDelay(const DelayNotice& notice) const { m_wait->tell(notice); }

void Connection::setBusyLimit(std::chrono::milliseconds limit) { m_wait->limit = limit; }

ReadSnapshot::ReadSnapshot(Connection& db) : m_db(db) {
    if (db.inTransaction()) return;
    m_read.emplace(db.beginRead());
    // A rollback journal's shared lock, taken at the first read, lets no other program commit
    // until it goes; a write-ahead log would give each connection its own snapshot.
    db.scalar("SELECT COUNT(*) FROM sqlite_master");
    if (lower(db.scalar("PRAGMA journal_mode").toText()) != "wal") ++db.m_snapshots;
}

ReadSnapshot::~ReadSnapshot() {
    if (m_read && m_db.m_snapshots > 0) --m_db.m_snapshots;
}

namespace {
// Enough for the inner pages of the indexes a scan walks.
constexpr const char* kScanCacheSize = "PRAGMA cache_size = -2048";
}  // namespace

ScanCache::ScanCache(Connection& db) : m_db(db), m_size(db.scalar("PRAGMA cache_size").toInt()) {
    db.execute(kScanCacheSize);
}

ScanCache::~ScanCache() {
    if (m_db.isOpen())
        sqlite3_exec(m_db.handle(), ("PRAGMA cache_size = " + std::to_string(m_size)).c_str(), nullptr, nullptr,
                     nullptr);
}

bool hasTable(Connection& db, const std::string& name) {
    return db.scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE", {name})
               .toInt() > 0;
}

int Connection::layoutVersion() {
    if (!m_db) throw Error(errc::kUsage, "The database connection is not open");
    return detail::layoutVersion(m_db.get());
}

}  // namespace vesk::store
