#include "FuzzWorkbook.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/Error.h"
#include "sheet/SheetRows.h"
#include "sheet/Workbook.h"

namespace vesk::fuzz {

namespace {

// Cells read from each sheet: enough to reach every cell kind, few enough to keep runs fast.
constexpr int kCellBound = 64;
// The longest refusal (in characters) a person should have to read, the file's name left out.
constexpr std::size_t kLongestMessage = 400;

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no surrogates.
bool isUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || i + length > s.size()) return false;
        std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[length] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

void checkCell(const sheet::Cell& c) {
    using Kind = sheet::Cell::Kind;
    switch (c.kind) {
        case Kind::Number:
            if (!std::isfinite(c.number)) broken("a number cell holds " + sheet::numberText(c.number));
            break;
        case Kind::Text:
            if (sheet::characterCount(c.text) > sheet::kMaxCellCharacters) broken("a text cell is over the cell limit");
            if (c.text.find('\0') != std::string::npos) broken("a text cell holds a zero character");
            if (!isUtf8(c.text)) broken("a text cell is not UTF-8: " + c.text);
            break;
        case Kind::Date:
            if (!isRealDate(c.date)) broken("a date cell holds " + c.date.toText());
            break;
        default:
            break;
    }
    if (c.kind != Kind::Error) (void)sheet::cellText(c);
}

bool sameCell(const sheet::Cell& a, const sheet::Cell& b) {
    using Kind = sheet::Cell::Kind;
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case Kind::Number:
            return a.number == b.number;
        case Kind::Text:
        case Kind::Error:
            return a.text == b.text;
        case Kind::Boolean:
            return a.boolean == b.boolean;
        case Kind::Date:
            return a.date.toText() == b.date.toText();
        case Kind::Empty:
            break;
    }
    return true;
}

// The rows an import is handed one by one, held against the sheet read whole: each row
// once, in order, with the whole sheet's cells (within the bound), none the sheet lacks.
// What was handed over counts only when the reading says the sheet could be streamed, so
// the first difference is kept until then.
class SameRows final : public sheet::RowSink {
  public:
    explicit SameRows(const sheet::Sheet& whole) : m_whole(whole) {}

    void row(int number, const sheet::RowCells& cells) override {
        if (number <= m_last) differ("a row was handed over after a later one, or twice");
        m_last = number;
        if (number > m_whole.usedRows()) differ("a row was handed over below the sheet's used area");
        if (number > kCellBound) return;
        bool holds = false;
        for (int c = 1; c <= std::min(std::max(cells.columns(), m_whole.usedColumns()), kCellBound); ++c) {
            holds = holds || cells.kind(c) != sheet::Cell::Kind::Empty;
            if (!sameCell(cells.cell(c), m_whole.cell(number, c)))
                differ("row " + std::to_string(number) + " column " + std::to_string(c) +
                       " handed over is not the whole sheet's cell");
        }
        if (!holds && cells.columns() <= kCellBound) differ("an empty row was handed over");
    }

    const std::string& difference() const { return m_difference; }

  private:
    void differ(const std::string& what) {
        if (m_difference.empty()) m_difference = what;
    }

    const sheet::Sheet& m_whole;
    int m_last = 0;
    std::string m_difference;
};

constexpr int kFewColumns = 3;

void checkStreamed(const sheet::Workbook& book, int index, int lastColumn, const sheet::Sheet& whole) {
    SameRows same(whole);
    try {
        if (book.streamSheet(index, lastColumn, same) && !same.difference().empty())
            broken(same.difference() + " (to column " + std::to_string(lastColumn) + ")");
    } catch (const Error& e) {
        broken("a sheet read whole was refused row by row: " + e.description().substr(0, 200));
    }
}

void put(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

}  // namespace

bool isRealDate(const DateTime& d) {
    const bool phantom = d.year == 1900 && d.month == 2 && d.day == 29;
    return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           (d.day <= daysInMonth(d.year, d.month) || phantom) && d.hour >= 0 && d.hour <= 23 && d.minute >= 0 &&
           d.minute <= 59 && d.second >= 0 && d.second <= 59;
}

void broken(const std::string& what) {
    std::fprintf(stderr, "broken promise: %s\n", what.c_str());
    std::abort();
}

void readWorkbook(const std::string& name, std::string bytes) {
    try {
        auto book = sheet::Workbook::fromBytes(name, std::move(bytes));
        if (book->sheetCount() < 1) broken("an open workbook has no sheet");
        if (book->activeSheetIndex() < 0 || book->activeSheetIndex() >= book->sheetCount())
            broken("the active sheet is outside the workbook");
        for (int i = 0; i < book->sheetCount(); ++i) {
            const auto sheet = book->sheet(i);
            const int rows = std::min(sheet->usedRows(), kCellBound);
            const int columns = std::min(sheet->usedColumns(), kCellBound);
            if ((sheet->usedRows() == 0) != (sheet->usedColumns() == 0)) broken("a sheet is empty one way only");
            const sheet::Block block = sheet->block(1, 1, rows, columns);
            for (int r = 0; r < block.rows(); ++r)
                for (int c = 0; c < block.columns(); ++c) checkCell(block.at(r, c));
            if (sheet->lastRow(1) > sheet->usedRows()) broken("a column ends below the used area");
            // A sheet the whole reading takes, the row by row reading takes alike or leaves to
            // it: every column, and the first few as an import keeps them.
            checkStreamed(*book, i, sheet::Workbook::kLastColumn, *sheet);
            checkStreamed(*book, i, kFewColumns, *book->sheet(i, kFewColumns));
        }
    } catch (const Error& e) {
        const std::string& said = e.description();
        if (said.empty()) broken("a refusal says nothing");
        // Every refusal names the file; what it quotes from the file is cut short.
        const std::size_t characters = sheet::characterCount(said);
        if (characters > kLongestMessage + name.size())
            broken("a refusal of " + std::to_string(characters) + " characters: " + said.substr(0, 200));
    }
}

std::string zipPackage(const std::vector<std::pair<std::string, std::string_view>>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
        if (buffer) zip_source_free(buffer);
        broken("cannot start a package in memory");
    }
    zip_source_keep(buffer);  // read back after the archive is closed
    for (const auto& [part, content] : parts) {
        zip_source_t* data = zip_source_buffer(archive, content.data(), content.size(), 0);
        const zip_int64_t index = data ? zip_file_add(archive, part.c_str(), data, ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            if (data) zip_source_free(data);
            broken("cannot add a part to a package in memory");
        }
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0) broken("cannot close a package in memory");

    std::string out;
    if (zip_source_open(buffer) == 0) {
        char piece[1 << 14];
        for (zip_int64_t n; (n = zip_source_read(buffer, piece, sizeof piece)) > 0;) out.append(piece, std::size_t(n));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return out;
}

std::string compoundDocument(std::string_view workbookStream) {
    constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
    constexpr std::size_t kSector = 512, kPerFat = kSector / 4;
    const std::size_t streamSectors = (workbookStream.size() + kSector - 1) / kSector;
    std::size_t fatSectors = 1;
    while (fatSectors * kPerFat < fatSectors + 1 + streamSectors) ++fatSectors;
    if (fatSectors > 109) return {};  // more than the header lists; fuzz inputs never come near

    const std::size_t directorySector = fatSectors, firstStreamSector = fatSectors + 1;
    std::string out(kSector * (1 + fatSectors + 1 + streamSectors), '\0');
    std::memcpy(out.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out[24] = 0x3E, out[26] = 3, out[28] = char(0xFE), out[29] = char(0xFF);
    out[30] = 9, out[32] = 6;  // 512-byte sectors, 64-byte mini sectors
    put(out, 44, std::uint32_t(fatSectors));
    put(out, 48, std::uint32_t(directorySector));
    put(out, 56, 0);  // no mini stream: every stream lies in regular sectors
    put(out, 60, kEnd);
    put(out, 68, kEnd);
    for (std::size_t i = 0; i < 109; ++i) put(out, 76 + 4 * i, i < fatSectors ? std::uint32_t(i) : kFree);

    auto fat = [&](std::size_t sector, std::uint32_t next) { put(out, kSector + 4 * sector, next); };
    for (std::size_t s = 0; s < fatSectors * kPerFat; ++s) fat(s, kFree);
    for (std::size_t s = 0; s < fatSectors; ++s) fat(s, kFatSector);
    fat(directorySector, kEnd);
    for (std::size_t s = 0; s < streamSectors; ++s)
        fat(firstStreamSector + s, s + 1 < streamSectors ? std::uint32_t(firstStreamSector + s + 1) : kEnd);

    auto entry = [&](std::size_t number, std::u16string_view name, char type, std::uint32_t start, std::size_t size) {
        const std::size_t at = kSector * (1 + directorySector) + 128 * number;
        for (std::size_t i = 0; i < name.size(); ++i) out[at + 2 * i] = char(name[i]);
        out[at + 64] = char(2 * (name.size() + 1));
        out[at + 66] = type;
        put(out, at + 68, kFree), put(out, at + 72, kFree), put(out, at + 76, kFree);
        put(out, at + 116, start);
        put(out, at + 120, std::uint32_t(size));
    };
    entry(0, u"Root Entry", 5, kEnd, 0);
    entry(1, u"Workbook", 2, streamSectors ? std::uint32_t(firstStreamSector) : kEnd, workbookStream.size());
    put(out, kSector * (1 + directorySector) + 76, 1);  // the root's child is the stream
    std::memcpy(out.data() + kSector * (1 + firstStreamSector), workbookStream.data(), workbookStream.size());
    return out;
}

}  // namespace vesk::fuzz
