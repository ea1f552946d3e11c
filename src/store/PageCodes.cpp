#include "store/PageCodes.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>

#include <array>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>

#include "core/Error.h"
#include "core/Platform.h"

namespace vesk::store::detail {

namespace {

constexpr std::size_t kIvSize = 16;
constexpr std::size_t kMacSize = 20;
constexpr std::size_t kReserve = 48;  // the vector and the code, rounded up to the cipher's block
constexpr int kKeyIterations = 64000;
constexpr int kMacKeyIterations = 2;
constexpr unsigned char kMacSaltMask = 0x3a;
constexpr std::size_t kKeySize = 32;
constexpr const char kPlainHeader[] = "SQLite format 3";  // and its NUL

struct MacFree {
    void operator()(EVP_MAC* m) const { EVP_MAC_free(m); }
    void operator()(EVP_MAC_CTX* c) const { EVP_MAC_CTX_free(c); }
};

// The page keys of the run: each of a password and a salt. A few suffice (the file and its
// copies); the oldest goes first.
struct DerivedKeys {
    static constexpr std::size_t kKept = 8;
    struct Derived {
        Secret password, salt, key;
    };
    std::mutex mutex;
    std::deque<Derived> keys;
    std::atomic<std::size_t> count{0};
};

DerivedKeys& derivedKeys() {
    static DerivedKeys keys;
    return keys;
}

}  // namespace

Secret pageKey(const Secret& password, const unsigned char* salt) {
    const Secret fileSalt(reinterpret_cast<const char*>(salt), kSaltSize);
    DerivedKeys& keys = derivedKeys();
    // Held while deriving: a second connection opening at once takes the first one's key.
    const std::lock_guard lock(keys.mutex);
    for (const DerivedKeys::Derived& d : keys.keys)
        if (d.salt == fileSalt && d.password == password) return d.key;
    std::array<unsigned char, kKeySize> key{};
    if (PKCS5_PBKDF2_HMAC_SHA1(password.data(), int(password.size()), salt, int(kSaltSize), kKeyIterations,
                               int(key.size()), key.data()) != 1)
        throw Error(errc::kInternal, "The page keys cannot be derived");
    const Secret made(reinterpret_cast<const char*>(key.data()), key.size());
    platform::wipe(key.data(), key.size());
    ++keys.count;
    if (keys.keys.size() == DerivedKeys::kKept) keys.keys.pop_front();
    keys.keys.push_back({password, fileSalt, made});
    return made;
}

Secret rawKeyText(const Secret& pageKey) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    Secret text(std::string_view("x'"));
    for (std::size_t i = 0; i < pageKey.size(); ++i) {
        const auto byte = static_cast<unsigned char>(pageKey.data()[i]);
        text.push(kDigits[byte >> 4]);
        text.push(kDigits[byte & 0xf]);
    }
    text.push('\'');
    return text;
}

std::size_t pageKeysDerived() { return derivedKeys().count; }

void forgetPageKeys() {
    DerivedKeys& keys = derivedKeys();
    const std::lock_guard lock(keys.mutex);
    keys.keys.clear();
}

struct PageCodes::Mac {
    std::unique_ptr<EVP_MAC, MacFree> mac;
    std::unique_ptr<EVP_MAC_CTX, MacFree> ctx;
};

PageCodes::PageCodes(const Secret& password, const unsigned char* salt) : m_mac(std::make_unique<Mac>()) {
    const Secret key = pageKey(password, salt);
    std::array<unsigned char, kKeySize> macKey{};
    std::array<unsigned char, kSaltSize> macSalt{};
    for (std::size_t i = 0; i < kSaltSize; ++i) macSalt[i] = salt[i] ^ kMacSaltMask;
    if (PKCS5_PBKDF2_HMAC_SHA1(key.data(), int(key.size()), macSalt.data(), int(macSalt.size()), kMacKeyIterations,
                               int(macKey.size()), macKey.data()) != 1)
        throw Error(errc::kInternal, "The page keys cannot be derived");
    // The code's key opens the file as the passphrase does: gone once the code is keyed.
    struct Wipe {
        std::array<unsigned char, kKeySize>& a;
        ~Wipe() { platform::wipe(a.data(), a.size()); }
    } wipe{macKey};
    m_mac->mac.reset(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
    if (m_mac->mac) m_mac->ctx.reset(EVP_MAC_CTX_new(m_mac->mac.get()));
    char digest[] = "SHA1";
    const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                 OSSL_PARAM_construct_end()};
    // Keyed once: each page then starts from the keyed state, which costs no digest lookup
    // and no key schedule (most of the time a fresh start per page took).
    if (!m_mac->ctx || EVP_MAC_init(m_mac->ctx.get(), macKey.data(), macKey.size(), params) != 1)
        throw Error(errc::kInternal, "HMAC-SHA1 is not available");
}

PageCodes::~PageCodes() = default;

bool PageCodes::authentic(const unsigned char* page, std::int64_t number) {
    const std::size_t offset = number == 1 ? kSaltSize : 0;
    const unsigned char* body = page + offset;
    const std::size_t signedSize = kPageBytes - offset - kReserve + kIvSize;
    const auto n = std::uint32_t(number);
    const unsigned char pageNumber[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                                         static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
    EVP_MAC_CTX* ctx = m_mac->ctx.get();
    std::array<unsigned char, EVP_MAX_MD_SIZE> code{};
    std::size_t size = 0;
    if (EVP_MAC_init(ctx, nullptr, 0, nullptr) != 1 || EVP_MAC_update(ctx, body, signedSize) != 1 ||
        EVP_MAC_update(ctx, pageNumber, sizeof pageNumber) != 1 ||
        EVP_MAC_final(ctx, code.data(), &size, code.size()) != 1 || size < kMacSize)
        throw Error(errc::kInternal, "HMAC-SHA1 failed");
    return std::memcmp(code.data(), body + signedSize, kMacSize) == 0;
}

bool plainDatabaseHeader(const unsigned char* salt) {
    return std::memcmp(salt, kPlainHeader, sizeof kPlainHeader) == 0;
}

}  // namespace vesk::store::detail
