#include "store/Passphrase.h"

#include <sqlcipher/sqlite3.h>

#include <array>
#include <filesystem>
#include <map>
#include <mutex>

#include "core/Platform.h"
#include "store/EngineError.h"
#include "store/Handle.h"
#include "store/PageCodes.h"

namespace vesk::store {

namespace fs = std::filesystem;

namespace {

// The pages looked at: the first two, so that a file of the program's damaged in its first
// page is still known as keyed with the program's key by its second.
constexpr std::int64_t kPagesLooked = 2;

struct Keyring {
    std::mutex mutex;
    PassphraseSource source;
    std::map<std::string, Secret> known;
};

Keyring& keyring() {
    static Keyring ring;
    return ring;
}

// One name per file, however it is written.
std::string fileName(const std::string& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(platform::fsPath(path), ec);
    return ec ? path : platform::utf8(canonical);
}

// The file's first pages, whole ones only; none of a file that cannot be opened, which shows
// as what it is where it is opened.
std::vector<unsigned char> firstPages(const std::string& path) {
    std::vector<unsigned char> bytes(std::size_t(kPagesLooked) * detail::kPageBytes);
    std::size_t got = 0;
    try {
        const platform::File file(path, platform::Open::Read);
        // Page by page: what was read before a failure is looked at all the same.
        for (std::int64_t page = 0; page < kPagesLooked; ++page) {
            const std::size_t n = file.readAt(bytes.data() + got, detail::kPageBytes, got);
            got += n;
            if (n < detail::kPageBytes) break;
        }
    } catch (const platform::SystemError&) {
    }
    bytes.resize(got / detail::kPageBytes * detail::kPageBytes);
    return bytes;
}

// But for the lock page, which holds no data and so no code.
bool anyPageAuthentic(const std::vector<unsigned char>& pages, const Secret& key) {
    if (pages.empty()) return false;
    detail::PageCodes codes(key, pages.data());
    for (std::size_t i = 0; i * detail::kPageBytes < pages.size(); ++i)
        if (codes.authentic(pages.data() + i * detail::kPageBytes, std::int64_t(i) + 1)) return true;
    return false;
}

// An encrypted page is all but random bytes: nearly every value of a byte turns up in it,
// where text or a file of another kind keeps to a few.
bool looksEncrypted(const std::vector<unsigned char>& pages) {
    constexpr int kRandomEnough = 200;
    std::array<bool, 256> seen{};
    int distinct = 0;
    for (std::size_t i = 0; i < detail::kPageBytes; ++i)
        if (!seen[pages[i]]) {
            seen[pages[i]] = true;
            ++distinct;
        }
    return distinct >= kRandomEnough;
}

}  // namespace

const Secret& programKey() {
    static const Secret key{std::string_view(detail::programKey())};
    return key;
}

PassphraseSource setPassphraseSource(PassphraseSource source) {
    Keyring& ring = keyring();
    const std::lock_guard lock(ring.mutex);
    PassphraseSource before = std::move(ring.source);
    ring.source = std::move(source);
    return before;
}

void rememberPassphrase(const std::string& path, const Secret& key) {
    Keyring& ring = keyring();
    const std::string name = fileName(path);
    const std::lock_guard lock(ring.mutex);
    if (key == programKey())
        ring.known.erase(name);
    else
        ring.known[name] = key;
}

void forgetPassphrases() {
    Keyring& ring = keyring();
    const std::lock_guard lock(ring.mutex);
    ring.known.clear();
    detail::forgetPageKeys();
}

bool keyFits(const std::string& path, const Secret& key) { return anyPageAuthentic(firstPages(path), key); }

bool protectedByPassphrase(const std::string& path) {
    const std::vector<unsigned char> pages = firstPages(path);
    return !pages.empty() && !detail::plainDatabaseHeader(pages.data()) && looksEncrypted(pages) &&
           !anyPageAuthentic(pages, programKey());
}

bool rekeyTook(const std::string& path, const Secret& from, const Secret& to) {
    return keyFits(path, to) && (from == to || !keyFits(path, from));
}

bool rekeyFile(const std::string& path, const Secret& from, const Secret& to) {
    if (!keyFits(path, from)) return false;
    // Under the new key it holds what the database holds: for its owner alone.
    platform::makeOwnerOnly(path);
    detail::DbHandle db = detail::openHandle(path, SQLITE_OPEN_READWRITE, nullptr);
    detail::applyKey(db.get(), from);
    // The first read: a journal left by a program killed while it wrote the copy is played back.
    detail::run(db.get(), "SELECT COUNT(*) FROM sqlite_master");
    const int rc = sqlite3_rekey(db.get(), to.data(), static_cast<int>(to.size()));
    if (rc != SQLITE_OK) throwEngineError(db.get(), rc);
    if (!rekeyTook(path, from, to)) throw Error(kNotRekeyedError, kNotRekeyedText);
    return true;
}

namespace detail {

std::optional<Secret> rememberedPassphrase(const std::string& path) {
    Keyring& ring = keyring();
    const std::lock_guard lock(ring.mutex);
    if (const auto known = ring.known.find(fileName(path)); known != ring.known.end()) return known->second;
    return std::nullopt;
}

std::optional<Secret> passphraseFor(const std::string& path) {
    Keyring& ring = keyring();
    PassphraseSource source;
    {
        const std::lock_guard lock(ring.mutex);
        if (const auto known = ring.known.find(fileName(path)); known != ring.known.end()) return known->second;
        source = ring.source;
    }
    // Not under the lock: the source may take its time with the person.
    if (!source) return std::nullopt;
    return source(path);
}

}  // namespace detail

Secret fileKey(const std::string& path) {
    const std::vector<unsigned char> pages = firstPages(path);
    if (pages.empty() || detail::plainDatabaseHeader(pages.data()) || anyPageAuthentic(pages, programKey()))
        return programKey();
    std::optional<Secret> key = detail::passphraseFor(path);
    if (!key) throw Error(kProtectedError, kProtectedText);
    if (!anyPageAuthentic(pages, *key)) throw Error(kWrongPassphraseError, kWrongPassphraseText);
    rememberPassphrase(path, *key);
    return *key;
}

}  // namespace vesk::store
