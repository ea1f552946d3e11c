#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/Platform.h"

namespace vesk::test {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    /// The folder, UTF-8.
    std::string folder() const { return platform::utf8(m_path); }
    std::string file(const std::string& name) const { return platform::utf8(m_path / platform::fsPath(name)); }

  private:
    std::filesystem::path m_path;
};

/// A file's bytes; empty when it cannot be read.
inline std::string fileBytes(const std::string& path) {
    std::ifstream in(platform::fsPath(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(platform::fsPath(path), std::ios::binary | std::ios::trunc) << bytes;
}

/// The path of a committed fixture file.
inline std::string fixture(const std::string& name) { return std::string(VESK_FIXTURES) + "/" + name; }

}  // namespace vesk::test
