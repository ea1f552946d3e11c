#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

struct zip;

namespace vesk::sheet {

// A zip package opened for reading. Entry names are matched without regard to letter
// case, as package part names are. Every failure throws Error (errc::kWorkbook).
class ZipArchive {
  public:
    explicit ZipArchive(const std::string& path);
    /// The package in the file's bytes, read already; path names it in messages.
    ZipArchive(const std::string& path, std::shared_ptr<const std::string> bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const std::string& name) const;
    // The whole entry; throws when it is missing or cannot be inflated.
    std::string read(const std::string& name) const;
    // Hands the entry to sink in pieces, so that large parts need not be held at once.
    void stream(const std::string& name, const std::function<void(const char*, std::size_t)>& sink) const;

  private:
    std::string m_path;
    std::shared_ptr<const std::string> m_bytes;  // what an archive in memory reads from
    struct zip* m_zip = nullptr;
};

}  // namespace vesk::sheet
