#pragma once

// Inside the store only: a file's bytes read straight, beside the engine.

#include <cstddef>
#include <cstdint>
#include <utility>

namespace vesk::store::detail {

/// An open file descriptor (negative: none), closed with it.
class FileFd {
  public:
    explicit FileFd(int fd) : m_fd(fd) {}
    ~FileFd();
    FileFd(FileFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileFd(const FileFd&) = delete;
    FileFd& operator=(const FileFd&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

/// Reads up to `size` bytes at `offset`: fewer only at the end of the file, or at a failure,
/// which `failed` then says (errno tells which).
std::size_t readAt(int fd, unsigned char* into, std::size_t size, std::int64_t offset, bool& failed);

}  // namespace vesk::store::detail
