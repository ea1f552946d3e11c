#pragma once

#include <filesystem>
#include <string>

namespace vesk::test {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

/// The path of a committed fixture file.
inline std::string fixture(const std::string& name) { return std::string(VESK_FIXTURES) + "/" + name; }

}  // namespace vesk::test
