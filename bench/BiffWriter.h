#pragma once

// A small BIFF8 (.xls) writer for the benchmarks: one sheet of text, number and date
// cells in a compound document, as spreadsheet programs save them (DIFAT included for
// files past 7 MB). Text goes in LABEL records, 8-bit when it fits, UTF-16 otherwise.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "sheet/Workbook.h"

namespace vesk::bench {

struct BiffCell {
    enum class Kind { Empty, Text, Number, Date } kind = Kind::Empty;
    std::string text;
    double number = 0;  // a date as its serial
};

class BiffWriter {
  public:
    void addRow(std::vector<BiffCell> row) { m_rows.push_back(std::move(row)); }

    void save(const std::string& path) const {
        std::string globals;
        record(globals, 0x0809, pack16({0x0600, 0x0005, 0, 0}) + pack32(0) + pack32(0));
        record(globals, 0x0042, pack16({1200}));
        record(globals, 0x003D, pack16({0, 0, 100, 100, 0, 0, 0, 1, 600}));
        record(globals, 0x0022, pack16({0}));
        for (std::uint16_t format : {std::uint16_t(0), std::uint16_t(14)})
            record(globals, 0x00E0, pack16({0, format}) + std::string(16, '\0'));
        const std::string name = "Sheet1";
        const std::size_t boundAt = globals.size();
        record(globals, 0x0085, pack32(0) + std::string{0, 0, char(name.size()), 0} + name);
        record(globals, 0x000A, "");
        const std::uint32_t sheetAt = std::uint32_t(globals.size());
        std::memcpy(&globals[boundAt + 4], &sheetAt, 4);

        std::string sheet;
        record(sheet, 0x0809, pack16({0x0600, 0x0010, 0, 0}) + pack32(0) + pack32(0));
        std::uint16_t columns = 0;
        for (const auto& r : m_rows) columns = std::max(columns, std::uint16_t(r.size()));
        record(sheet, 0x0200, pack32(0) + pack32(std::uint32_t(m_rows.size())) + pack16({0, columns, 0}));
        for (std::size_t r = 0; r < m_rows.size(); ++r)
            for (std::size_t c = 0; c < m_rows[r].size(); ++c) {
                const BiffCell& cell = m_rows[r][c];
                const std::string at = pack16({std::uint16_t(r), std::uint16_t(c)});
                if (cell.kind == BiffCell::Kind::Text)
                    record(sheet, 0x0204, at + pack16({0}) + biffString(cell.text));
                else if (cell.kind != BiffCell::Kind::Empty)
                    record(sheet, 0x0203,
                           at + pack16({std::uint16_t(cell.kind == BiffCell::Kind::Date ? 1 : 0)}) + f64(cell.number));
            }
        record(sheet, 0x000A, "");
        writeCompound(path, globals + sheet);
    }

  private:
    static std::string pack16(std::initializer_list<std::uint16_t> values) {
        std::string out;
        for (std::uint16_t v : values) out += {char(v & 0xFF), char(v >> 8)};
        return out;
    }
    static std::string pack32(std::uint32_t v) { return pack16({std::uint16_t(v & 0xFFFF), std::uint16_t(v >> 16)}); }
    static std::string f64(double v) {
        std::string out(8, '\0');
        std::memcpy(out.data(), &v, 8);
        return out;
    }
    static void record(std::string& out, std::uint16_t type, const std::string& body) {
        out += pack16({type, std::uint16_t(body.size())}) + body;
    }
    static std::string biffString(const std::string& utf8) {
        std::vector<std::uint32_t> chars;
        for (std::size_t i = 0; i < utf8.size();) {
            const auto b = static_cast<unsigned char>(utf8[i]);
            const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            std::uint32_t c = n == 1 ? b : b & (0xFF >> (n + 1));
            for (int k = 1; k < n && i + std::size_t(k) < utf8.size(); ++k)
                c = (c << 6) | (static_cast<unsigned char>(utf8[i + std::size_t(k)]) & 0x3F);
            chars.push_back(c > 0xFFFF ? 0xFFFD : c);
            i += std::size_t(n);
        }
        bool narrow = true;
        for (std::uint32_t c : chars) narrow &= c < 0x100;
        std::string out = pack16({std::uint16_t(chars.size())}) + char(narrow ? 0 : 1);
        for (std::uint32_t c : chars) out += narrow ? std::string(1, char(c)) : pack16({std::uint16_t(c)});
        return out;
    }

    static void writeCompound(const std::string& path, std::string stream) {
        constexpr std::size_t kSector = 512, kPerFat = kSector / 4, kHeaderFat = 109, kPerDifat = kPerFat - 1;
        constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSect = 0xFFFFFFFD, kDifSect = 0xFFFFFFFC;
        const std::size_t streamSize = std::max<std::size_t>(stream.size(), 4096);
        stream.resize((streamSize + kSector - 1) / kSector * kSector, '\0');
        const std::size_t data = stream.size() / kSector;
        std::size_t fats = 1, difats = 0;
        for (;;) {
            difats = fats > kHeaderFat ? (fats - kHeaderFat + kPerDifat - 1) / kPerDifat : 0;
            const std::size_t need = (data + 1 + fats + difats + kPerFat - 1) / kPerFat;
            if (need <= fats) break;
            fats = need;
        }
        const std::uint32_t dirSector = std::uint32_t(data), firstFat = dirSector + 1;
        const std::uint32_t firstDifat = firstFat + std::uint32_t(fats);
        std::vector<std::uint32_t> fat(fats * kPerFat, kFree);
        for (std::size_t i = 0; i < data; ++i) fat[i] = i + 1 < data ? std::uint32_t(i + 1) : kEnd;
        fat[dirSector] = kEnd;
        for (std::size_t i = 0; i < fats; ++i) fat[firstFat + i] = kFatSect;
        for (std::size_t i = 0; i < difats; ++i) fat[firstDifat + i] = kDifSect;

        std::string header("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        header += std::string(16, '\0') + pack16({0x3E, 3, 0xFFFE, 9, 6}) + std::string(6, '\0');
        header += pack32(0) + pack32(std::uint32_t(fats)) + pack32(dirSector) + pack32(0) + pack32(4096);
        header += pack32(kEnd) + pack32(0) + pack32(difats ? firstDifat : kEnd) + pack32(std::uint32_t(difats));
        for (std::size_t i = 0; i < kHeaderFat; ++i) header += pack32(i < fats ? firstFat + std::uint32_t(i) : kFree);

        auto entry = [&](const std::string& entryName, char type, std::uint32_t start, std::uint32_t size,
                         std::uint32_t child) {
            std::string e;
            for (char ch : entryName) e += {ch, '\0'};
            const std::uint16_t nameBytes = std::uint16_t(e.size() + 2);
            e.resize(64, '\0');
            e += pack16({nameBytes}) + std::string{type, 1};
            e += pack32(kFree) + pack32(kFree) + pack32(child) + std::string(36, '\0');
            e += pack32(start) + pack32(size) + pack32(0);
            return e;
        };
        std::string directory =
            entry("Root Entry", 5, kEnd, 0, 1) + entry("Workbook", 2, 0, std::uint32_t(streamSize), kFree);
        directory.resize(kSector, '\0');

        std::string tables;
        for (std::uint32_t v : fat) tables += pack32(v);
        for (std::size_t d = 0; d < difats; ++d) {
            for (std::size_t i = 0; i < kPerDifat; ++i) {
                const std::size_t index = kHeaderFat + d * kPerDifat + i;
                tables += pack32(index < fats ? firstFat + std::uint32_t(index) : kFree);
            }
            tables += pack32(d + 1 < difats ? firstDifat + std::uint32_t(d + 1) : kEnd);
        }
        std::ofstream out(path, std::ios::binary);
        out << header << stream << directory << tables;
    }

    std::vector<std::vector<BiffCell>> m_rows;
};

/// The first sheet of a workbook saved as .xls, every cell as it reads.
inline void saveAsXls(const std::string& workbook, const std::string& out) {
    auto sheet = sheet::Workbook::open(workbook)->firstSheet();
    BiffWriter writer;
    const int rows = sheet->usedRows(), columns = sheet->usedColumns();
    for (int r = 1; r <= rows; ++r) {
        std::vector<BiffCell> row;
        for (int c = 1; c <= columns; ++c) {
            const sheet::Cell cell = sheet->cell(r, c);
            BiffCell b;
            if (cell.kind == sheet::Cell::Kind::Number) {
                b.kind = BiffCell::Kind::Number;
                b.number = cell.number;
            } else if (cell.kind == sheet::Cell::Kind::Date) {
                b.kind = BiffCell::Kind::Date;
                b.number = double(daysFromCivil(cell.date.year, cell.date.month, cell.date.day) + 25569) +
                           (cell.date.hour * 3600 + cell.date.minute * 60 + cell.date.second) / 86400.0;
            } else if (!cell.isEmpty()) {
                b.kind = BiffCell::Kind::Text;
                b.text = sheet::cellText(cell);
            }
            row.push_back(b);
        }
        writer.addRow(std::move(row));
    }
    writer.save(out);
}

}  // namespace vesk::bench
