#include "store/DatabaseCheck.h"

#include <fcntl.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "core/Error.h"
#include "store/EngineError.h"
#include "store/Handle.h"
#include "store/SqlDialect.h"
#include "store/WaitState.h"

namespace vesk::store {

namespace fs = std::filesystem;

namespace {

// The engine's page format: the file starts with a 16-byte salt; each page ends in a
// reserve of its initialisation vector and the HMAC-SHA1 of the page's encrypted bytes,
// that vector and the page number. The keys come from the password and the salt.
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kIvSize = 16;
constexpr std::size_t kMacSize = 20;
constexpr std::size_t kReserve = 48;  // the vector and the code, rounded up to the cipher's block
constexpr int kKeyIterations = 64000;
constexpr int kMacKeyIterations = 2;
constexpr unsigned char kMacSaltMask = 0x3a;
constexpr std::size_t kKeySize = 32;
constexpr const char kPlainHeader[] = "SQLite format 3";  // and its NUL: a file without encryption

constexpr std::size_t kPageSize = std::size_t(detail::kPageSize);
constexpr std::size_t kPagesPerRead = 256;
constexpr std::int64_t kPagesPerBeat = 4096;  // 16 MB
constexpr int kEngineStepsPerBeat = 1000000;
// The page that holds the byte at 1 GiB, which the engine locks and never writes: no data.
constexpr std::int64_t kLockPage = 0x40000000 / std::int64_t(kPageSize) + 1;
constexpr int kRereads = 3;
constexpr std::chrono::milliseconds kRereadPause{200};
constexpr int kEngineFaultsShown = 100;

struct ReadFdCloser {
    void operator()(int* fd) const {
        ::close(*fd);
        delete fd;
    }
};
using ReadFd = std::unique_ptr<int, ReadFdCloser>;

ReadFd openForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Error(errc::kPathAccess, "Cannot read the database file '" + path + "': " + std::strerror(errno));
    return ReadFd(new int(fd));
}

// Reads up to `size` bytes at `offset`; fewer only at the end of the file.
std::size_t readAt(int fd, unsigned char* into, std::size_t size, std::int64_t offset, const std::string& path) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, into + done, size - done, off_t(offset + std::int64_t(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            throw Error(errc::kPathAccess, "Cannot read the database file '" + path + "': " + std::strerror(errno));
        if (n == 0) break;
        done += std::size_t(n);
    }
    return done;
}

struct MacFree {
    void operator()(EVP_MAC* m) const { EVP_MAC_free(m); }
    void operator()(EVP_MAC_CTX* c) const { EVP_MAC_CTX_free(c); }
};

// The page codes of one file: its keys derived once, then a code per page.
class PageCodes {
  public:
    PageCodes(const std::string& password, const unsigned char* salt) {
        std::array<unsigned char, kKeySize> key{};
        std::array<unsigned char, kSaltSize> macSalt{};
        for (std::size_t i = 0; i < kSaltSize; ++i) macSalt[i] = salt[i] ^ kMacSaltMask;
        if (PKCS5_PBKDF2_HMAC_SHA1(password.data(), int(password.size()), salt, int(kSaltSize), kKeyIterations,
                                   int(key.size()), key.data()) != 1 ||
            PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char*>(key.data()), int(key.size()), macSalt.data(),
                                   int(macSalt.size()), kMacKeyIterations, int(m_macKey.size()), m_macKey.data()) != 1)
            throw Error(errc::kInternal, "The page keys cannot be derived");
        m_mac.reset(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
        if (m_mac) m_ctx.reset(EVP_MAC_CTX_new(m_mac.get()));
        if (!m_ctx) throw Error(errc::kInternal, "HMAC-SHA1 is not available");
    }

    // True when the page's stored code is the one its bytes and number give.
    bool authentic(const unsigned char* page, std::int64_t number) {
        const std::size_t offset = number == 1 ? kSaltSize : 0;
        const unsigned char* body = page + offset;
        const std::size_t signedSize = kPageSize - offset - kReserve + kIvSize;
        const std::uint32_t n = std::uint32_t(number);
        const unsigned char pageNumber[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                                             static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
        char digest[] = "SHA1";
        const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                     OSSL_PARAM_construct_end()};
        std::array<unsigned char, EVP_MAX_MD_SIZE> code{};
        std::size_t size = 0;
        if (EVP_MAC_init(m_ctx.get(), m_macKey.data(), m_macKey.size(), params) != 1 ||
            EVP_MAC_update(m_ctx.get(), body, signedSize) != 1 ||
            EVP_MAC_update(m_ctx.get(), pageNumber, sizeof pageNumber) != 1 ||
            EVP_MAC_final(m_ctx.get(), code.data(), &size, code.size()) != 1 || size < kMacSize)
            throw Error(errc::kInternal, "HMAC-SHA1 failed");
        return std::memcmp(code.data(), body + signedSize, kMacSize) == 0;
    }

  private:
    std::array<unsigned char, kKeySize> m_macKey{};
    std::unique_ptr<EVP_MAC, MacFree> m_mac;
    std::unique_ptr<EVP_MAC_CTX, MacFree> m_ctx;
};

// The pages whose code fails, read once through; then those read again a few times, a
// moment apart, since a page another program is writing may be caught half written.
std::vector<std::int64_t> failingPages(int fd, const std::string& path, PageCodes& codes, std::int64_t pages,
                                       const Heartbeat& heartbeat) {
    std::vector<unsigned char> buffer(kPagesPerRead * kPageSize);
    std::vector<std::int64_t> failing;
    for (std::int64_t first = 1; first <= pages; first += std::int64_t(kPagesPerRead)) {
        const std::int64_t count = std::min<std::int64_t>(std::int64_t(kPagesPerRead), pages - first + 1);
        if (heartbeat && (first - 1) % kPagesPerBeat == 0) heartbeat();
        const std::size_t got =
            readAt(fd, buffer.data(), std::size_t(count) * kPageSize, (first - 1) * std::int64_t(kPageSize), path);
        for (std::int64_t i = 0; i < count; ++i) {
            if (first + i == kLockPage) continue;
            const bool whole = std::size_t(i + 1) * kPageSize <= got;
            if (!whole || !codes.authentic(buffer.data() + std::size_t(i) * kPageSize, first + i))
                failing.push_back(first + i);
        }
    }
    if (std::int64_t(failing.size()) == pages - (pages >= kLockPage ? 1 : 0)) return failing;  // nothing to wait for
    for (int round = 0; round < kRereads && !failing.empty(); ++round) {
        std::this_thread::sleep_for(kRereadPause);
        std::vector<std::int64_t> still;
        for (std::int64_t page : failing) {
            const std::size_t got = readAt(fd, buffer.data(), kPageSize, (page - 1) * std::int64_t(kPageSize), path);
            if (got < kPageSize || !codes.authentic(buffer.data(), page)) still.push_back(page);
        }
        failing = std::move(still);
    }
    return failing;
}

// The engine's own look at the file, read-only: the program's tables, then its integrity
// check. The pages are known to authenticate, so what it finds is in their structure.
int beat(void* heartbeat) {
    (*static_cast<const Heartbeat*>(heartbeat))();
    return 0;
}

void engineCheck(const std::string& path, const std::string& password, const Heartbeat& heartbeat, FileCheck& check) {
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
    if (heartbeat) sqlite3_progress_handler(db.get(), kEngineStepsPerBeat, beat, const_cast<Heartbeat*>(&heartbeat));
    const detail::WaitEnd waitEnd;
    sqlite3_stmt* raw = nullptr;
    const std::string sql = "PRAGMA integrity_check(" + std::to_string(kEngineFaultsShown) + ")";
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
        lines = {sqlite3_errmsg(db.get())};
    } else if (lines.size() == 1 && lines.front() == "ok") {
        return;
    }
    check.status = FileCheck::Status::Damaged;
    check.engineFaults = std::move(lines);
}

}  // namespace

FileCheck checkDatabaseFile(const std::string& path, const Heartbeat& heartbeat) {
    const std::string password = detail::programKey();
    FileCheck check;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        check.status = FileCheck::Status::Missing;
        return check;
    }
    if (fs::is_directory(status)) throw Error(errc::kPathAccess, "'" + path + "' is a folder, not a database file");
    {
        const ReadFd fd = openForReading(path);
        const auto size = std::int64_t(fs::file_size(path, ec));
        check.pages = size / std::int64_t(kPageSize);
        check.strayBytes = size % std::int64_t(kPageSize);
        std::array<unsigned char, kSaltSize> salt{};
        if (check.pages == 0 || readAt(*fd, salt.data(), salt.size(), 0, path) < salt.size() ||
            std::memcmp(salt.data(), kPlainHeader, sizeof kPlainHeader) == 0) {
            check.status = FileCheck::Status::Unreadable;
            return check;
        }
        PageCodes codes(password, salt.data());
        check.badPages = failingPages(*fd, path, codes, check.pages, heartbeat);
    }  // closed before the engine locks the file: closing drops this process's locks on it
    if (!check.badPages.empty() &&
        std::int64_t(check.badPages.size()) == check.pages - (check.pages >= kLockPage ? 1 : 0)) {
        // No page at all: another key, or a salt gone; unless the engine reads the file, and
        // its pages are kept in a way this check does not know.
        check.badPages.clear();
        check.pagesVerified = false;
        engineCheck(path, password, heartbeat, check);
        return check;
    }
    // Past a page that fails, the engine reads nothing more in that statement.
    if (!check.badPages.empty() || check.strayBytes) {
        check.status = FileCheck::Status::Damaged;
        return check;
    }
    engineCheck(path, password, heartbeat, check);
    return check;
}

}  // namespace vesk::store
