#pragma once

#include <filesystem>
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

/// The path of a committed fixture file.
inline std::string fixture(const std::string& name) { return std::string(VESK_FIXTURES) + "/" + name; }

}  // namespace vesk::test
