#pragma once

// Inside the store only: the authentication code every page of the file carries, verified
// without the engine, so that a failing page can be named (the engine only says that one
// failed) and a copy of the encrypted pages can be trusted without decrypting them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Secret.h"
#include "store/Handle.h"

namespace vesk::store::detail {

// The engine's page format: the file starts with a 16-byte salt; each page ends in a
// reserve of its initialisation vector and the HMAC-SHA1 of the page's encrypted bytes,
// that vector and the page number. The keys come from the password and the salt.
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kPageBytes = std::size_t(kPageSize);
/// The page that holds the byte at 1 GiB, which the engine locks and never writes: no data.
inline constexpr std::int64_t kLockPage = 0x40000000 / std::int64_t(kPageBytes) + 1;

/// The page codes of one file: its keys derived once from the password and the file's salt,
/// then a code per page.
class PageCodes {
  public:
    PageCodes(const Secret& password, const unsigned char* salt);
    ~PageCodes();
    PageCodes(const PageCodes&) = delete;
    PageCodes& operator=(const PageCodes&) = delete;

    /// True when the page's stored code is the one its bytes and number (from 1) give.
    bool authentic(const unsigned char* page, std::int64_t number);

  private:
    struct Mac;
    std::unique_ptr<Mac> m_mac;
};

/// True when the file starts as a database without encryption does.
bool plainDatabaseHeader(const unsigned char* salt);

}  // namespace vesk::store::detail
