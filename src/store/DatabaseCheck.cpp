#include "store/DatabaseCheck.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <thread>

#include "core/Error.h"
#include "core/Platform.h"
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

constexpr std::size_t kPageSize = detail::kPageBytes;
constexpr std::size_t kPagesPerRead = 256;
constexpr std::int64_t kPagesPerBeat = 4096;  // 16 MB
constexpr int kEngineStepsPerBeat = 1000000;
constexpr int kRereads = 3;
constexpr std::chrono::milliseconds kRereadPause{200};
constexpr int kEngineFaultsShown = 100;
// What a page takes in the engine's cache beyond its bytes (its header and bookkeeping).
constexpr std::int64_t kCachedPageOverhead = 256;

using detail::kLockPage;
using detail::PageCodes;

Error unreadableFile(const std::string& path, const platform::SystemError& e) {
    return Error(errc::kPathAccess, "Cannot read the database file '" + path + "': " + e.reason());
}

platform::File openForReading(const std::string& path) {
    try {
        return platform::File(path, platform::Open::Read);
    } catch (const platform::SystemError& e) {
        throw unreadableFile(path, e);
    }
}

// Reads up to `size` bytes at `offset`; fewer only at the end of the file.
std::size_t readAt(const platform::File& file, unsigned char* into, std::size_t size, std::int64_t offset) {
    try {
        return file.readAt(into, size, std::uint64_t(offset));
    } catch (const platform::SystemError& e) {
        throw unreadableFile(file.path(), e);
    }
}

// The engine's cache for the full check, in pages: the whole file, so that the check of each
// index against its table, which looks rows up all over the file, decrypts each page once;
// no more than half the machine's memory, past which pages are decrypted again instead.
std::int64_t fullCheckCachePages(std::int64_t pages) {
    const std::uint64_t memory = platform::physicalMemory();
    const std::int64_t wanted = pages + 64;
    if (memory == 0) return wanted;
    const std::int64_t affordable =
        std::int64_t(memory / 2 / std::uint64_t(std::int64_t(kPageSize) + kCachedPageOverhead));
    return std::min(wanted, affordable);
}

// The pages whose code fails, read once through; then those read again a few times, a
// moment apart, since a page another program is writing may be caught half written.
std::vector<std::int64_t> failingPages(const platform::File& file, PageCodes& codes, std::int64_t pages,
                                       const Heartbeat& heartbeat) {
    std::vector<unsigned char> buffer(kPagesPerRead * kPageSize);
    std::vector<std::int64_t> failing;
    for (std::int64_t first = 1; first <= pages; first += std::int64_t(kPagesPerRead)) {
        const std::int64_t count = std::min<std::int64_t>(std::int64_t(kPagesPerRead), pages - first + 1);
        if (heartbeat && (first - 1) % kPagesPerBeat == 0) heartbeat();
        const std::int64_t whole = detail::readPagesAroundLockPage(
            buffer.data(), first, count, [&](unsigned char* into, std::size_t size, std::uint64_t offset) {
                return readAt(file, into, size, std::int64_t(offset));
            });
        for (std::int64_t i = 0; i < count; ++i) {
            if (first + i == kLockPage) continue;
            if (i >= whole || !codes.authentic(buffer.data() + std::size_t(i) * kPageSize, first + i))
                failing.push_back(first + i);
        }
    }
    if (std::int64_t(failing.size()) == pages - (pages >= kLockPage ? 1 : 0)) return failing;  // nothing to wait for
    for (int round = 0; round < kRereads && !failing.empty(); ++round) {
        std::this_thread::sleep_for(kRereadPause);
        std::vector<std::int64_t> still;
        for (std::int64_t page : failing) {
            const std::size_t got = readAt(file, buffer.data(), kPageSize, (page - 1) * std::int64_t(kPageSize));
            if (got < kPageSize || !codes.authentic(buffer.data(), page)) still.push_back(page);
        }
        failing = std::move(still);
    }
    return failing;
}

// The engine's own look at the file, read-only: the program's tables, then its check. The
// pages are known to authenticate, so what it finds is in their structure.
int beat(void* heartbeat) {
    (*static_cast<const Heartbeat*>(heartbeat))();
    return 0;
}

void engineCheck(const std::string& path, const Secret& password, CheckDepth depth, const Heartbeat& heartbeat,
                 FileCheck& check) {
    detail::WaitState wait;
    detail::DbHandle db = detail::openHandle(path, SQLITE_OPEN_READONLY, &wait);
    try {
        detail::applyKey(db.get(), password);
        registerDialectFunctions(db.get());
        check.missingTables = detail::missingTables(db.get(), path);
    } catch (const Error& e) {
        if (e.number() == errc::kDatabaseBase + SQLITE_NOTADB) {
            check.status = FileCheck::Status::Unreadable;
        } else if (e.number() == errc::kDatabaseBase + SQLITE_CORRUPT) {
            check.status = FileCheck::Status::Damaged;
            check.engineFaults = {sqlite3_errstr(SQLITE_CORRUPT)};
        } else {
            throw;
        }
        return;
    }
    if (!check.missingTables.empty()) {
        check.status = FileCheck::Status::Foreign;
        return;
    }
    // Its indexes may call functions this version lacks: the engine's check would take them
    // for damage.
    if (const int layout = detail::layoutVersion(db.get()); layout > kSchemaVersion) {
        check.status = FileCheck::Status::Newer;
        check.layout = layout;
        return;
    }
    if (heartbeat) sqlite3_progress_handler(db.get(), kEngineStepsPerBeat, beat, const_cast<Heartbeat*>(&heartbeat));
    const detail::WaitEnd waitEnd;
    sqlite3_stmt* raw = nullptr;
    // The quick check walks each tree once, so any cache decrypts each page once; the full
    // one looks every row up in each of its table's indexes.
    if (depth == CheckDepth::Full)
        detail::run(db.get(), ("PRAGMA cache_size = " + std::to_string(fullCheckCachePages(check.pages))).c_str());
    const std::string sql = std::string(depth == CheckDepth::Full ? "PRAGMA integrity_check(" : "PRAGMA quick_check(") +
                            std::to_string(kEngineFaultsShown) + ")";
    int rc = sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &raw, nullptr);
    detail::StmtHandle stmt(raw);
    std::vector<std::string> lines;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
            lines.emplace_back(text ? text : "");
        }
    }
    if (rc == SQLITE_BUSY) throwEngineError(db.get(), rc);
    if (rc != SQLITE_DONE) {
        // What it found before it could read no further, then why it stopped.
        lines.emplace_back(sqlite3_errmsg(db.get()));
    } else if (lines.size() == 1 && lines.front() == "ok") {
        return;
    }
    check.status = FileCheck::Status::Damaged;
    check.engineFaults = std::move(lines);
}

}  // namespace

FileCheck checkDatabaseFile(const std::string& path, CheckDepth depth, const Heartbeat& heartbeat) {
    Secret password = programKey();
    FileCheck check;
    std::error_code ec;
    const fs::file_status status = fs::status(platform::fsPath(path), ec);
    if (!fs::exists(status)) {
        check.status = FileCheck::Status::Missing;
        return check;
    }
    if (fs::is_directory(status)) throw Error(errc::kPathAccess, "'" + path + "' is a folder, not a database file");
    {
        const platform::File file = openForReading(path);
        std::int64_t size = 0;
        try {
            size = std::int64_t(file.size());
        } catch (const platform::SystemError& e) {
            throw unreadableFile(path, e);
        }
        check.pages = size / std::int64_t(kPageSize);
        check.strayBytes = size % std::int64_t(kPageSize);
        std::array<unsigned char, detail::kSaltSize> salt{};
        if (check.pages == 0 || readAt(file, salt.data(), salt.size(), 0) < salt.size() ||
            detail::plainDatabaseHeader(salt.data())) {
            check.status = FileCheck::Status::Unreadable;
            return check;
        }
        // A file with a passphrase is read with it, asked as any open asks; it is never
        // taken for a damaged one.
        if (protectedByPassphrase(path)) {
            const std::optional<Secret> given = detail::passphraseFor(path);
            if (!given || !keyFits(path, *given)) {
                check.status = given ? FileCheck::Status::WrongPassphrase : FileCheck::Status::Protected;
                return check;
            }
            password = *given;
            rememberPassphrase(path, password);
        }
        PageCodes codes(password, salt.data());
        check.badPages = failingPages(file, codes, check.pages, heartbeat);
    }  // closed before the engine locks the file: closing drops this process's locks on it
    if (!check.badPages.empty() &&
        std::int64_t(check.badPages.size()) == check.pages - (check.pages >= kLockPage ? 1 : 0)) {
        // No page at all: another key, or a salt gone; unless the engine reads the file, and
        // its pages are kept in a way this check does not know.
        check.badPages.clear();
        check.pagesVerified = false;
        engineCheck(path, password, depth, heartbeat, check);
        return check;
    }
    // Past a page that fails, the engine reads nothing more in that statement.
    if (!check.badPages.empty() || check.strayBytes) {
        check.status = FileCheck::Status::Damaged;
        return check;
    }
    engineCheck(path, password, depth, heartbeat, check);
    return check;
}

}  // namespace vesk::store
