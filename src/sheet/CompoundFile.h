#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::sheet {

// The streams of an OLE compound document (the container of .xls files and of
// encrypted Office packages), held in memory. Damage throws Error (errc::kWorkbook).
class CompoundFile {
  public:
    CompoundFile(std::string path, std::string bytes);
    /// Reads the bytes where they are, shared with the caller, rather than a copy of them.
    CompoundFile(std::string path, std::shared_ptr<const std::string> bytes);

    static bool hasSignature(std::string_view head);

    bool hasStream(std::string_view name) const;
    // The stream's bytes; nullopt when no stream has this name (letter case ignored).
    std::optional<std::string> stream(std::string_view name) const;

  private:
    struct Entry {
        std::string name;
        int type = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    std::vector<std::uint32_t> chain(std::uint32_t start, const std::vector<std::uint32_t>& table) const;
    std::string readChain(std::uint32_t start, const std::vector<std::uint32_t>& table, std::size_t sectorSize,
                          std::string_view source, std::size_t offset) const;
    const Entry* find(std::string_view name) const;
    [[noreturn]] void fail(const std::string& why) const;

    std::string m_path;
    std::shared_ptr<const std::string> m_bytes;
    std::size_t m_sectorSize = 512;
    std::uint32_t m_miniCutoff = 4096;
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<Entry> m_entries;
    std::string m_miniStream;
};

}  // namespace vesk::sheet
