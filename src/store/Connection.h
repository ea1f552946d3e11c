#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Secret.h"
#include "store/ResultSet.h"
#include "store/Statement.h"
#include "store/Transaction.h"
#include "store/Value.h"
#include "store/Waiting.h"

struct sqlite3;

namespace vesk::store {

namespace detail {
struct WaitState;
}

class Connection;
/// Runs before each write transaction a connection begins (the daily backup's turn), but not
/// before one of derived data (see Connection::beginDerived).
using BeforeWrite = std::function<void(Connection&)>;
/// The hook of every connection of this process; returns the one it replaces. None by default.
BeforeWrite setBeforeWrite(BeforeWrite hook);

/// The file's name.
inline constexpr const char* kDatabaseFileName = "ZETTools.db";
/// The number of the error a write fails with when the file cannot be written (the engine's
/// SQLITE_READONLY).
inline constexpr long kReadOnlyError = errc::kDatabaseBase + 8;
/// The numbers of the errors a write fails with while another program holds the file
/// (SQLITE_BUSY, SQLITE_LOCKED).
inline constexpr long kBusyError = errc::kDatabaseBase + 5;
inline constexpr long kLockedError = errc::kDatabaseBase + 6;
/// The number of the error an open fails with when the file's layout is newer than this
/// program's (see Schema.h): a later version of the program wrote it.
inline constexpr long kNewerLayoutError = errc::kDatabaseBase + 1029;

/// A connection to the encrypted database file. Opening a missing file creates it with
/// the four tables; an existing file is never re-created or overwritten. Every
/// connection has the query dialect's functions registered (see SqlDialect.h); statements
/// are run as written, in the engine's own dialect. Statements and transactions share the
/// handle: one that outlives close() keeps it open until it ends (a transaction then
/// rolls back). A statement that finds the file busy with another program's transaction
/// waits for it up to kBusyLimit, telling the delay watcher, then fails with kInUseText.
class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Opens (or creates) the file keyed with the program's key; an open connection is
    /// closed first. An existing file must be readable with the key and hold the four
    /// tables; it is not changed when it is not. A missing file is created with the
    /// tables, or not at all, readable by its owner alone. A file of a newer layout than
    /// this program knows fails with kNewerLayoutError, neither read nor written. A file
    /// the program's key does not open but that is encrypted is opened with its passphrase,
    /// remembered for the run or asked of the process's source (see Passphrase.h): none
    /// fails with kProtectedText, one that does not open it with kWrongPassphraseText, and
    /// the file is then neither read nor written. Throws Error.
    void open(const std::string& path);
    /// Opens as open() does, with that key and no other: one that does not open an encrypted
    /// file fails with kWrongPassphraseText.
    void openWith(const std::string& path, const Secret& key);
    /// openWith() for a key that is no secret: another program's files, made up in tests.
    void openKeyed(const std::string& path, const std::string& key) { openWith(path, Secret(key)); }
    /// Opens an existing file without bringing its layout up to date (see Schema.h); the
    /// statements work on it, only without the newer indexes. For reading old files as
    /// they are.
    void openWithoutUpgrade(const std::string& path);
    /// Opens the file `other` has open, with its key and as it is (that connection brought
    /// its layout up to date): a second connection for work on another thread. Throws Error.
    void openBeside(const Connection& other);
    /// Whether a connection opened beside this one sees what this one does: it sees only what
    /// is committed, and only the tables of the current layout.
    bool secondConnectionSeesAll();
    /// True while a ReadSnapshot holds this connection's read lock: no other program can commit
    /// meanwhile, so a connection beside that takes its lock now reads the same state.
    bool holdsSnapshot() const { return m_snapshots > 0; }
    /// Encrypts the whole file with another key (a passphrase, or the program's key to remove
    /// one), through the engine's own re-keying: one transaction, so a program killed in the
    /// middle leaves the file whole under the old key or the new one, never neither. The
    /// passphrase remembered for the file follows. No transaction may be open. Throws Error.
    void rekey(const Secret& key);
    /// The key the file is open with.
    const Secret& key() const { return m_key; }
    /// True when that is a passphrase, not the program's key.
    bool hasPassphrase() const;
    /// Closes the file; committed data stays. Nothing happens when it is not open.
    void close() noexcept;
    bool isOpen() const { return m_db != nullptr; }
    /// True when the file cannot be written: opened from a read-only file or folder.
    bool readOnly() const;
    /// True while a transaction is open on the connection (a write cannot begin then).
    bool inTransaction() const;
    const std::string& path() const { return m_path; }

    /// Runs one statement (or several separated by ';' when params is empty);
    /// returns the number of rows changed by the last one.
    std::int64_t execute(const std::string& sql, const std::vector<Value>& params = {});

    /// Prepares a statement for repeated execution with bound values.
    Statement prepare(const std::string& sql);

    /// Runs a query and reads all its rows (a client-side result set).
    ResultSet query(const std::string& sql, const std::vector<Value>& params = {});

    /// The first field of the first row, or Null when there is no row.
    Value scalar(const std::string& sql, const std::vector<Value>& params = {});

    /// Begins a write transaction that rolls back unless committed; the process's
    /// BeforeWrite hook runs first.
    Transaction begin();
    /// Begins a read transaction: every statement until it ends sees the file as it was at
    /// the first, whatever other programs commit meanwhile.
    Transaction beginRead();
    /// Begins a write of derived data only (see Transaction::Kind::Derived): what is stored to
    /// save work later, never a change of the user's data, so the BeforeWrite hook does not run.
    Transaction beginDerived();

    /// Who is told when a statement is held up; none: the process's default (see Waiting.h).
    void setDelayWatcher(DelayWatcher watcher);
    /// Tells the watcher of a hold-up that is not the engine's own: work of the program's that
    /// a change waits for (Delay::OwnWork).
    void tellDelay(const DelayNotice& notice) const;
    /// How long a statement waits for another program's transaction (kBusyLimit).
    void setBusyLimit(std::chrono::milliseconds limit);

    /// The layout version of the open file (PRAGMA user_version; see Schema.h): below
    /// kSchemaVersion only for a file that could not be brought up to date.
    int layoutVersion();

    sqlite3* handle() const { return m_db.get(); }

  private:
    void open(const std::string& path, const Secret& key, bool upgrade);
    /// The program's key first; a passphrase only when the file needs one.
    void openAsking(const std::string& path, bool upgrade);

    std::shared_ptr<detail::WaitState> m_wait;
    std::shared_ptr<sqlite3> m_db;
    std::string m_path;
    Secret m_key;
    bool m_inBeforeWrite = false;
    int m_snapshots = 0;
    friend class ReadSnapshot;
};

/// A read transaction whose lock is taken at once: everything read on the connection while it
/// lasts, and on a connection beside that takes its lock meanwhile (ConcurrentRead), comes from one
/// state of the file. Within a transaction the connection holds already, it is that one's.
class ReadSnapshot {
  public:
    explicit ReadSnapshot(Connection& db);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

  private:
    Connection& m_db;
    std::optional<Transaction> m_read;
};

/// While it lasts, the connection caches only a few pages: for a read that passes over a great
/// many pages once. A cache that keeps them all costs a fresh page of memory for each, more than
/// reading again the few it meets twice. Its own size comes back when it ends.
class ScanCache {
  public:
    explicit ScanCache(Connection& db);
    ~ScanCache();
    ScanCache(const ScanCache&) = delete;
    ScanCache& operator=(const ScanCache&) = delete;

  private:
    Connection& m_db;
    std::int64_t m_size;
};

/// A connection opened when first needed: how a form's logic lends its connection to a flow
/// or a window, and how the command line lends the one it opened.
using Opener = std::function<Connection&()>;

/// True when the file holds a table of that name (letter case aside): files of older
/// layouts opened as they are lack the newer tables.
bool hasTable(Connection& db, const std::string& name);

/// A text value as a statement literal: single quotes, every inner quote doubled.
std::string quote(const std::string& text);

}  // namespace vesk::store
