#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

struct zip;

namespace vesk::sheet {

// A zip package opened for reading, from a file or from bytes in memory. Entry names are
// matched without regard to letter case, as package part names are, and a backslash
// stands for a slash (some Windows tools write "xl\worksheets\sheet1.xml"). Every failure
// throws Error (errc::kWorkbook).
class ZipArchive {
  public:
    explicit ZipArchive(const std::string& path);
    // `name` names the package in messages; the bytes are held as long as the archive.
    ZipArchive(std::string name, std::shared_ptr<const std::string> bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const std::string& name) const;
    // The whole entry; throws when it is missing or cannot be inflated.
    std::string read(const std::string& name) const;
    // Hands the entry to sink in pieces, so that large parts need not be held at once.
    void stream(const std::string& name, const std::function<void(const char*, std::size_t)>& sink) const;

  private:
    void indexEntries();
    // The entry of a part name; -1 when there is none, -2 when two entries claim it.
    std::int64_t locate(const std::string& name) const;

    std::string m_path;
    std::shared_ptr<const std::string> m_bytes;  // the package, when it was handed over in memory
    struct zip* m_zip = nullptr;
    std::unordered_map<std::string, std::int64_t> m_entries;  // by part name, letter case and slashes folded
};

}  // namespace vesk::sheet
