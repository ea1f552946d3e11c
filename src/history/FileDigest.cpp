#include "history/FileDigest.h"

#include <openssl/evp.h>

#include <memory>
#include <vector>

#include "core/Error.h"
#include "core/Platform.h"
#include "history/HistoryWording.h"

namespace vesk::history {

namespace {

struct ContextFree {
    void operator()(EVP_MD_CTX* c) const noexcept { EVP_MD_CTX_free(c); }
};

// An SHA-256 digest in progress; the context is freed on every path.
class Sha256 {
  public:
    Sha256() : m_ctx(EVP_MD_CTX_new()) {
        if (!m_ctx || EVP_DigestInit_ex(m_ctx.get(), EVP_sha256(), nullptr) != 1)
            throw Error(errc::kInternal, kNoDigestText);
    }
    void add(const void* data, std::size_t size) {
        if (size && EVP_DigestUpdate(m_ctx.get(), data, size) != 1) throw Error(errc::kInternal, kDigestFailedText);
    }
    std::string hex() {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (EVP_DigestFinal_ex(m_ctx.get(), digest, &length) != 1) throw Error(errc::kInternal, kDigestFailedText);
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string out;
        for (unsigned int i = 0; i < length; ++i) {
            out += kDigits[digest[i] >> 4];
            out += kDigits[digest[i] & 0xF];
        }
        return out;
    }

  private:
    std::unique_ptr<EVP_MD_CTX, ContextFree> m_ctx;
};

}  // namespace

std::string sha256Hex(const void* data, std::size_t size) {
    Sha256 sha;
    sha.add(data, size);
    return sha.hex();
}

FileDigest digestBytes(const std::string& path, std::string_view bytes) {
    FileDigest digest;
    digest.name = platform::fileName(path);
    digest.size = bytes.size();
    digest.sha256 = sha256Hex(bytes.data(), bytes.size());
    return digest;
}

FileDigest digestFile(const std::string& path) {
    platform::File in;
    try {
        in = platform::File(path, platform::Open::Read);
    } catch (const platform::SystemError& e) {
        throw Error(errc::kFileNotFound, cannotOpenText(path, e.reason()));
    }
    FileDigest digest;
    digest.name = platform::fileName(path);
    Sha256 sha;
    std::vector<char> buffer(std::size_t(1) << 16);
    for (;;) {
        std::size_t got = 0;
        try {
            got = in.readAt(buffer.data(), buffer.size(), digest.size);
        } catch (const platform::SystemError&) {
            throw Error(errc::kWorkbook, cannotReadText(path));
        }
        if (got == 0) break;
        sha.add(buffer.data(), got);
        digest.size += got;
    }
    digest.sha256 = sha.hex();
    return digest;
}

}  // namespace vesk::history
