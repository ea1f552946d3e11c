#include "store/FileBytes.h"

#include <unistd.h>

#include <cerrno>

namespace vesk::store::detail {

FileFd::~FileFd() {
    if (m_fd >= 0) ::close(m_fd);
}

std::size_t readAt(int fd, unsigned char* into, std::size_t size, std::int64_t offset, bool& failed) {
    failed = false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, into + done, size - done, off_t(offset + std::int64_t(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) failed = true;
        if (n <= 0) break;
        done += std::size_t(n);
    }
    return done;
}

}  // namespace vesk::store::detail
