#pragma once

// Inside the store only: the authentication code every page of the file carries, verified
// without the engine, so that a failing page can be named (the engine only says that one
// failed) and a copy of the encrypted pages can be trusted without decrypting them.

#include <cstddef>
#include <cstdint>
#include <cstring>
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

/// The engine's page key for the password and a file's salt, derived as the engine derives it:
/// the costly part of opening a file (tens of milliseconds), so done once per run for each
/// password and salt, and every later connection, check or copy of the file takes it as made.
Secret pageKey(const Secret& password, const unsigned char* salt);

/// The page key as the engine takes a raw key ("x'" and its hex digits): it derives nothing.
Secret rawKeyText(const Secret& pageKey);

/// How many page keys this run has derived.
std::size_t pageKeysDerived();

/// Wipes the page keys made so far: they open their files as the passwords do.
void forgetPageKeys();

/// True when the file starts as a database without encryption does.
bool plainDatabaseHeader(const unsigned char* salt);

/// Reads the pages from `first` on, `count` of them, into `into`, with `read(into, bytes,
/// offset)`, which returns the bytes it read (fewer only at the end of the file). The lock page
/// is never read but left zeros: on Windows the engine's locks on its bytes are the system's,
/// and a read of them fails while another program writes. Returns how many pages from `first`
/// were read whole, the lock page counted.
template <typename Read>
std::int64_t readPagesAroundLockPage(unsigned char* into, std::int64_t first, std::int64_t count, Read&& read) {
    std::int64_t done = 0;
    while (done < count) {
        const std::int64_t page = first + done;
        unsigned char* at = into + std::size_t(done) * kPageBytes;
        if (page == kLockPage) {
            std::memset(at, 0, kPageBytes);
            ++done;
            continue;
        }
        std::int64_t run = count - done;
        if (page < kLockPage && kLockPage < page + run) run = kLockPage - page;
        const std::size_t bytes = std::size_t(run) * kPageBytes;
        const std::size_t got = read(at, bytes, std::uint64_t(page - 1) * kPageBytes);
        done += std::int64_t(got / kPageBytes);
        if (got < bytes) break;
    }
    return done;
}

}  // namespace vesk::store::detail
