#include "store/OnlineBackup.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <vector>

#include "core/Error.h"
#include "core/Platform.h"
#include "core/Text.h"
#include "store/DatabaseCheck.h"
#include "store/EngineError.h"
#include "store/Handle.h"
#include "store/PageCodes.h"
#include "store/Passphrase.h"
#include "store/WaitState.h"

namespace vesk::store {

namespace fs = std::filesystem;

namespace {

constexpr int kPagesPerStep = 4096;  // 16 MB: a slice of the copy, a heartbeat each

void removeQuietly(const std::string& path) {
    std::error_code ec;
    fs::remove(platform::fsPath(path), ec);
    fs::remove(platform::fsPath(path + "-journal"), ec);
}

void checkFolder(const std::string& path) {
    fs::path folder = platform::fsPath(path).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw Error(errc::kPathAccess, "The folder '" + platform::utf8(folder) + "' does not exist");
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(platform::fsPath(a), platform::fsPath(b), ec);
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(platform::fsPath(path), ec);
}

// Renames a finished copy over `to`; a copy that cannot take the name goes.
void putInPlace(const std::string& partial, const std::string& to) {
    try {
        platform::replaceFile(partial, to);
    } catch (const Error&) {
        removeQuietly(partial);
        throw;
    }
}

// A file written under another name (`path` and the process's number), for its owner alone
// until it is finished, that takes its name only once it is all on disk; removed when it is
// not finished.
class PartialFile {
  public:
    /// Bypassing: written past the system's file cache, straight to the disk (whole pages
    /// from a buffer aligned to them), where the folder's file system allows it. A copy of a
    /// whole database then costs no cache to fill and empty again, and leaves what the cache
    /// holds in place.
    enum class Cache { Through, Bypassing };

    explicit PartialFile(std::string path, Cache cache = Cache::Through)
        : m_path(std::move(path)), m_partial(m_path + ".partial-" + std::to_string(platform::processId())) {
        removeQuietly(m_partial);
        m_file = platform::File(m_partial, platform::Open::Replace,
                                {.ownerOnly = true, .uncached = cache == Cache::Bypassing});
    }
    ~PartialFile() {
        if (m_done) return;
        m_file = platform::File();  // closed first: an open file is not removed everywhere
        removeQuietly(m_partial);
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    const std::string& partialPath() const { return m_partial; }

    void write(const char* data, std::size_t size) { m_file.write(data, size); }
    /// On disk, then under its name.
    void finish() {
        m_file.flush();
        m_file.close();
        platform::replaceFile(m_partial, m_path);
        m_done = true;
    }

  private:
    std::string m_path;
    std::string m_partial;
    platform::File m_file;
    bool m_done = false;
};

// Writes the bytes of an open file to `path`, under another name until they are on disk. The
// copy takes the file's permissions: it holds the same data.
void copyBytes(const platform::File& from, const std::string& path) {
    PartialFile to(path);
    std::vector<char> buffer(1 << 20);
    for (std::uint64_t offset = 0;;) {
        const std::size_t n = from.readAt(buffer.data(), buffer.size(), offset);
        if (n == 0) break;
        to.write(buffer.data(), n);
        offset += n;
    }
    platform::sameAccessAs(to.partialPath(), from.path());
    to.finish();
}

void copyFile(const std::string& from, const std::string& to) {
    copyBytes(platform::File(from, platform::Open::Read), to);
}

// Whether a failure of the online backup came of a page of `path` that cannot be read: the
// engine reports a page that fails its code in more than one way there, so the file is
// checked. A busy file is no damage.
bool unreadable(int rc, const std::string& path) {
    const int primary = rc & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_FULL || primary == SQLITE_IOERR)
        return false;
    return isDamage(rc) || !checkDatabaseFile(path).sound();
}

// A backup's failure in the words of the file at fault: the source when it is damaged.
Error backupError(int rc, sqlite3* target, const std::string& sourcePath) {
    if (unreadable(rc, sourcePath))
        return Error(errc::kDatabaseBase + SQLITE_CORRUPT,
                     damagedText(sourcePath, SQLITE_CORRUPT, "a page fails its authentication code"));
    return engineError(target, rc);
}

// The online backup as one object: finished on every path.
class Backup {
  public:
    Backup(sqlite3* to, sqlite3* from) : m_to(to), m_backup(sqlite3_backup_init(to, "main", from, "main")) {
        if (!m_backup) throwEngineError(to, sqlite3_errcode(to));
    }
    ~Backup() { finish(); }
    Backup(const Backup&) = delete;
    Backup& operator=(const Backup&) = delete;

    int step(int pages) {
        const detail::WaitEnd waitEnd;
        return sqlite3_backup_step(m_backup, pages);
    }
    /// Every page, a slice at a time; the heartbeat beats between slices.
    int stepAll(const Heartbeat& heartbeat) {
        int rc = SQLITE_OK;
        while ((rc = step(kPagesPerStep)) == SQLITE_OK)
            if (heartbeat) heartbeat();
        return rc;
    }
    std::int64_t pageCount() const { return m_backup ? sqlite3_backup_pagecount(m_backup) : 0; }
    /// Ends the backup; an unfinished one leaves the target as it was.
    int finish() {
        if (!m_backup) return SQLITE_OK;
        const int rc = sqlite3_backup_finish(m_backup);
        m_backup = nullptr;
        return rc;
    }

  private:
    sqlite3* m_to;
    sqlite3_backup* m_backup;
};

// Pages in memory aligned to a page, as a write that bypasses the file cache needs.
class AlignedPages {
  public:
    explicit AlignedPages(std::size_t pages)
        : m_bytes(static_cast<unsigned char*>(
              ::operator new(pages* detail::kPageBytes, std::align_val_t(detail::kPageBytes)))) {}
    ~AlignedPages() { ::operator delete(m_bytes, std::align_val_t(detail::kPageBytes)); }
    AlignedPages(const AlignedPages&) = delete;
    AlignedPages& operator=(const AlignedPages&) = delete;
    unsigned char* get() const { return m_bytes; }

  private:
    unsigned char* m_bytes;
};

// The file's pages as they are, still encrypted, inside a read transaction: under a rollback
// journal no other program writes to the file while it lasts (a commit waits for it to end),
// so its bytes are one committed state. Each page's code is verified on the way, so a damaged
// file is never taken for a backup. About the speed of copying the file: nothing is decrypted.
CopiedDatabase pageCopy(Connection& source, const std::string& destination, const Heartbeat& heartbeat) {
    Transaction read = source.beginRead();
    const std::int64_t pages = source.scalar("PRAGMA page_count").toInt();
    // The engine's own open file: opening and closing the file again here would drop the
    // locks this process holds on it.
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(source.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        throw Error(errc::kInternal, "The database file '" + source.path() + "' cannot be read as it is");
    const auto damaged = [&](std::int64_t page) {
        return Error(errc::kDatabaseBase + SQLITE_CORRUPT,
                     damagedText(source.path(), SQLITE_CORRUPT,
                                 "page " + std::to_string(page) + " fails its authentication code"));
    };
    // The copy holds what the file holds: for its owner alone.
    PartialFile to(destination, PartialFile::Cache::Bypassing);
    const AlignedPages buffer{std::size_t(kPagesPerStep)};
    std::optional<detail::PageCodes> codes;
    for (std::int64_t first = 1; first <= pages; first += kPagesPerStep) {
        if (heartbeat) heartbeat();
        const std::int64_t count = std::min<std::int64_t>(kPagesPerStep, pages - first + 1);
        const auto size = std::size_t(count) * detail::kPageBytes;
        detail::readPagesAroundLockPage(
            buffer.get(), first, count, [&](unsigned char* into, std::size_t bytes, std::uint64_t offset) {
                const int rc = file->pMethods->xRead(file, into, int(bytes), sqlite3_int64(offset));
                // Past a cut-off end the engine reads zeros, whose code fails below.
                if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) throw engineError(source.handle(), rc);
                return bytes;
            });
        if (!codes) codes.emplace(source.key(), buffer.get());
        for (std::int64_t i = 0; i < count; ++i)
            if (first + i != detail::kLockPage &&
                !codes->authentic(buffer.get() + std::size_t(i) * detail::kPageBytes, first + i))
                throw damaged(first + i);
        to.write(reinterpret_cast<const char*>(buffer.get()), size);
    }
    // Every page read: other programs may write again while the copy goes to disk.
    read.commit();
    to.finish();
    CopiedDatabase copied;
    copied.pages = pages;
    return copied;
}

// The engine's online backup, which re-encrypts every page: for a file kept with a
// write-ahead log, whose newest pages are not in the file itself. A slice at a time, so that
// another program's commit waits a moment, not the whole copy; a change it makes meanwhile
// starts the copy again, which stays consistent.
CopiedDatabase engineCopy(Connection& source, const std::string& destination, const Heartbeat& heartbeat) {
    const std::string partial = destination + ".partial-" + std::to_string(platform::processId());
    removeQuietly(partial);
    CopiedDatabase copied;
    try {
        detail::DbHandle to = detail::openHandle(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        // For the owner alone, before a page is in it; its journal takes the same.
        platform::makeOwnerOnly(partial);
        // With the file's own key: a copy of a file with a passphrase has the passphrase.
        detail::applyKey(to.get(), source.key());
        detail::run(to.get(), "PRAGMA synchronous = FULL");
        Backup backup(to.get(), source.handle());
        const int rc = backup.stepAll(heartbeat);
        copied.pages = backup.pageCount();
        if (rc != SQLITE_DONE) throw backupError(rc, to.get(), source.path());
        if (const int end = backup.finish(); end != SQLITE_OK) throw engineError(to.get(), end);
    } catch (...) {
        removeQuietly(partial);
        throw;
    }
    putInPlace(partial, destination);
    return copied;
}

}  // namespace

CopiedDatabase copyDatabase(Connection& source, const std::string& destination, const Heartbeat& heartbeat) {
    sqlite3* from = source.handle();
    if (!from) throw Error(errc::kUsage, "The database connection is not open");
    if (sameFile(destination, source.path()))
        throw Error(errc::kUsage, "The backup cannot be written over the database file itself");
    checkFolder(destination);
    // A write transaction another program has begun ends first, so the copy holds it.
    if (!sqlite3_db_readonly(from, "main")) {
        detail::run(from, "BEGIN IMMEDIATE");
        detail::run(from, "COMMIT");
    }
    // Two programs may copy to the same name at once (the first change of a day): each
    // writes its own, and the last one whole takes the name.
    CopiedDatabase copied = lower(source.scalar("PRAGMA journal_mode").toText()) == "wal"
                                ? engineCopy(source, destination, heartbeat)
                                : pageCopy(source, destination, heartbeat);
    std::error_code ec;
    const std::uintmax_t bytes = fs::file_size(platform::fsPath(destination), ec);
    copied.bytes = ec ? 0 : bytes;
    return copied;
}

void replaceDatabase(const std::string& live, const std::string& source, const std::string& keep,
                     const DelayWatcher& watcher, const Heartbeat& heartbeat) {
    if (sameFile(live, source)) throw Error(errc::kUsage, "The file to restore is the database file itself");
    // The backup's key, which the database takes with its contents: a file restored from a
    // backup with a passphrase has that passphrase again.
    const Secret password = fileKey(source);
    if (exists(keep)) throw Error(errc::kPathAccess, "'" + keep + "' exists already");
    checkFolder(live);
    detail::DbHandle from = detail::openHandle(source, SQLITE_OPEN_READONLY, nullptr);
    detail::applyKey(from.get(), password);

    bool kept = false;
    // A live file under another key (or none readable) is replaced as a file: through the
    // engine its pages would keep its own key.
    if (exists(live) && keyFits(live, password)) {
        // Opened before the engine locks the file and closed after it has let go: closing a
        // file drops every lock this process holds on it.
        const platform::File liveBytes(live, platform::Open::Read);
        detail::WaitState wait;
        wait.watcher = watcher;
        detail::DbHandle to = detail::openHandle(live, SQLITE_OPEN_READWRITE, &wait);
        detail::applyKey(to.get(), password);
        Backup backup(to.get(), from.get());
        // No pages yet: only the file's write lock, waited for like any writer's.
        int rc = backup.step(0);
        if (rc == SQLITE_OK) {
            copyBytes(liveBytes, keep);
            kept = true;
            rc = backup.stepAll(heartbeat);
        }
        if (rc == SQLITE_DONE) {
            if (const int end = backup.finish(); end != SQLITE_OK) throw engineError(to.get(), end);
            rememberPassphrase(live, password);
            return;
        }
        backup.finish();  // rolls the file back to what it was
        // A live file that cannot be read is replaced as a file below; anything else stops here.
        if (!unreadable(rc, live)) throw engineError(to.get(), rc);
        if (!kept) {
            copyBytes(liveBytes, keep);
            kept = true;
        }
    }
    from.reset();
    if (!kept && exists(live)) copyFile(live, keep);
    const std::string partial = live + ".restoring-" + std::to_string(platform::processId());
    copyFile(source, partial);
    // A journal left by the damaged file would be played back into the new one.
    try {
        platform::removeFile(live + "-journal");
    } catch (const Error&) {
        removeQuietly(partial);
        throw;
    }
    putInPlace(partial, live);
    rememberPassphrase(live, password);
}

}  // namespace vesk::store
