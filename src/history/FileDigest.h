#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vesk::history {

/// What identifies a file's content: its size in bytes and its SHA-256.
struct FileDigest {
    std::string name;  ///< the file's name, without its folder
    std::uint64_t size = 0;
    std::string sha256;  ///< 64 lower-case hex digits
};

/// Reads the whole file and hashes its bytes. Throws Error when it cannot be read.
FileDigest digestFile(const std::string& path);
/// The digest of a file whose bytes were read already.
FileDigest digestBytes(const std::string& path, std::string_view bytes);

/// The SHA-256 of bytes in memory, as 64 lower-case hex digits.
std::string sha256Hex(const void* data, std::size_t size);

}  // namespace vesk::history
