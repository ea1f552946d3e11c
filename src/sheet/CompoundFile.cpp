#include "sheet/CompoundFile.h"

#include <algorithm>
#include <cstring>

#include "core/Error.h"
#include "core/Text.h"
#include "sheet/LargeBuffer.h"
#include "sheet/LittleEndian.h"

namespace vesk::sheet {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFA;
constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

}  // namespace

bool CompoundFile::hasSignature(std::string_view head) { return head.substr(0, 8) == std::string_view(kSignature, 8); }

void CompoundFile::fail(const std::string& why) const {
    throw Error(errc::kWorkbook, "'" + m_path + "' is damaged: " + why);
}

CompoundFile::CompoundFile(std::string path, std::string bytes)
    : CompoundFile(std::move(path), std::make_shared<const std::string>(std::move(bytes))) {}

CompoundFile::CompoundFile(std::string path, std::shared_ptr<const std::string> bytes)
    : m_path(std::move(path)), m_bytes(std::move(bytes)) {
    const std::string_view b = *m_bytes;
    if (b.size() < 512 || !hasSignature(b)) fail("the compound document header is incomplete");
    const std::uint16_t shift = u16(b, 30);
    if (shift != 9 && shift != 12) fail("the compound document has an invalid sector size");
    m_sectorSize = std::size_t(1) << shift;
    if (u16(b, 32) != 6) fail("the compound document has an invalid mini sector size");
    m_miniCutoff = u32(b, 56);
    const std::size_t sectorCount = (b.size() + m_sectorSize - 1) / m_sectorSize;

    // The FAT's own sectors: 109 listed in the header, the rest in a chain of DIFAT sectors.
    std::vector<std::uint32_t> fatSectors;
    const std::uint32_t fatCount = u32(b, 44);
    if (fatCount > sectorCount) fail("the compound document lists more FAT sectors than it holds");
    for (std::size_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i) fatSectors.push_back(u32(b, 76 + 4 * i));
    std::uint32_t difat = u32(b, 68);
    const std::size_t perDifat = m_sectorSize / 4 - 1;
    for (std::size_t guard = 0; fatSectors.size() < fatCount; ++guard) {
        if (difat >= kMaxRegular || guard > sectorCount) fail("the compound document's sector table is cut short");
        const std::size_t at = (std::size_t(difat) + 1) * m_sectorSize;
        if (at + m_sectorSize > b.size()) fail("the compound document is truncated");
        for (std::size_t i = 0; i < perDifat && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(u32(b, at + 4 * i));
        difat = u32(b, at + 4 * perDifat);
    }
    for (std::uint32_t s : fatSectors) {
        const std::size_t at = (std::size_t(s) + 1) * m_sectorSize;
        if (s >= kMaxRegular || at + m_sectorSize > b.size()) fail("the compound document is truncated");
        for (std::size_t i = 0; i < m_sectorSize / 4; ++i) m_fat.push_back(u32(b, at + 4 * i));
    }

    const std::string directory = readChain(u32(b, 48), m_fat, m_sectorSize, b, m_sectorSize);
    for (std::size_t at = 0; at + 128 <= directory.size(); at += 128) {
        Entry e;
        e.type = static_cast<unsigned char>(directory[at + 66]);
        if (e.type == 0) continue;
        const std::size_t nameBytes = std::min<std::size_t>(u16(directory, at + 64), 64);
        for (std::size_t i = 0; i + 1 < nameBytes; i += 2) {
            const std::uint16_t c = u16(directory, at + i);
            if (c == 0) break;
            e.name += c < 0x80 ? char(c) : '?';  // stream names that matter here are ASCII
        }
        e.start = u32(directory, at + 116);
        e.size = u32(directory, at + 120);
        if (m_sectorSize == 4096) e.size |= std::uint64_t(u32(directory, at + 124)) << 32;
        m_entries.push_back(std::move(e));
    }
    if (m_entries.empty() || m_entries.front().type != 5) fail("the compound document has no root entry");

    const Entry& root = m_entries.front();
    if (root.size > 0) {
        m_miniStream = readChain(root.start, m_fat, m_sectorSize, b, m_sectorSize);
        if (m_miniStream.size() < root.size) fail("the compound document's mini stream is truncated");
        const std::string miniFat = readChain(u32(b, 60), m_fat, m_sectorSize, b, m_sectorSize);
        for (std::size_t at = 0; at + 4 <= miniFat.size(); at += 4) m_miniFat.push_back(u32(miniFat, at));
    }
}

std::vector<std::uint32_t> CompoundFile::chain(std::uint32_t start, const std::vector<std::uint32_t>& table) const {
    std::vector<std::uint32_t> out;
    for (std::uint32_t s = start; s != kEndOfChain;) {
        if (s >= table.size()) fail("a chain of the compound document leaves its sector table");
        if (out.size() > table.size()) fail("a chain of the compound document loops");
        out.push_back(s);
        s = table[s];
        if (s == kFreeSector) fail("a chain of the compound document runs into a free sector");
    }
    return out;
}

std::string CompoundFile::readChain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                    std::size_t sectorSize, std::string_view source, std::size_t offset) const {
    std::string out;
    if (start == kEndOfChain || start == kFreeSector) return out;
    const std::vector<std::uint32_t> sectors = chain(start, table);
    // Room made once: a workbook stream of tens of megabytes grown sector by sector is copied
    // and faulted in again at every doubling. Never more than the source holds, whatever
    // the chain claims.
    reserveLarge(out, std::min(sectors.size() * sectorSize, source.size()));
    for (std::uint32_t s : sectors) {
        const std::size_t at = offset + std::size_t(s) * sectorSize;
        if (at >= source.size()) fail("the compound document is truncated");
        out.append(source.substr(at, sectorSize));
    }
    return out;
}

const CompoundFile::Entry* CompoundFile::find(std::string_view name) const {
    for (const auto& e : m_entries)
        if (e.type == 2 && equalsNoCase(e.name, name)) return &e;
    return nullptr;
}

bool CompoundFile::hasStream(std::string_view name) const { return find(name) != nullptr; }

std::optional<std::string> CompoundFile::stream(std::string_view name) const {
    const Entry* e = find(name);
    if (!e) return std::nullopt;
    std::string out = e->size < m_miniCutoff ? readChain(e->start, m_miniFat, 64, m_miniStream, 0)
                                             : readChain(e->start, m_fat, m_sectorSize, *m_bytes, m_sectorSize);
    if (out.size() < e->size) fail("the stream " + e->name + " is truncated");
    out.resize(std::size_t(e->size));
    return out;
}

}  // namespace vesk::sheet
