#include "sheet/XlsWorkbook.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "core/Error.h"
#include "core/Platform.h"
#include "core/Text.h"
#include "sheet/LittleEndian.h"
#include "sheet/NumberFormat.h"
#include "sheet/SerialDate.h"
#include "sheet/SheetRows.h"
#include "sheet/StoredSheet.h"

namespace vesk::sheet {

namespace {

// Record types of the BIFF stream.
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kBof2 = 0x0009, kBof3 = 0x0209, kBof4 = 0x0409, kBof = 0x0809;
constexpr int kBiffColumns = 256;

double f64(std::string_view s, std::size_t at) {
    double v = 0;
    std::memcpy(&v, s.data() + at, sizeof v);
    return v;
}

// The number packed in an RK value: 30 bits of a double or of an integer, optionally hundredths.
double rkValue(std::uint32_t rk) {
    double v = 0;
    if (rk & 0x02) {
        v = double(std::int32_t(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100 : v;
}

// Characters of a BIFF8 string, one byte each (compressed) or UTF-16, as UTF-8. The caller
// has checked that count characters of this width fit.
void appendChars(std::string& out, std::string_view s, std::size_t at, std::size_t count, bool wide) {
    if (!wide) {
        for (std::size_t i = 0; i < count; ++i) appendUtf8(out, static_cast<unsigned char>(s[at + i]));
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t c = u16(s, at + 2 * i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const std::uint32_t low = u16(s, at + 2 * i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, c);
    }
}

struct Record {
    std::uint16_t type = 0;
    std::string_view body;
};

// Walks the records of a BIFF stream from an offset; a record running past the stream throws through fail.
class RecordReader {
  public:
    RecordReader(std::string_view stream, std::size_t offset) : m_stream(stream), m_at(offset) {}

    template <typename Fail>
    bool next(Record& r, Fail&& fail) {
        if (m_at + 4 > m_stream.size()) return false;
        const std::uint16_t length = u16(m_stream, m_at + 2);
        if (m_at + 4 + length > m_stream.size()) fail("a record runs past the end of the workbook stream");
        r.type = u16(m_stream, m_at);
        r.body = m_stream.substr(m_at + 4, length);
        m_at += 4 + std::size_t(length);
        return true;
    }
    std::uint16_t peekType() const { return m_at + 4 <= m_stream.size() ? u16(m_stream, m_at) : 0; }

  private:
    std::string_view m_stream;
    std::size_t m_at;
};

// A record and its CONTINUE records read as one: a string's characters that go on in the
// next record start there with their own width flag.
class Segments {
  public:
    explicit Segments(const std::vector<std::string_view>& parts) : m_parts(parts) {}

    bool byte(std::uint8_t& out) {
        if (!advance()) return false;
        out = static_cast<std::uint8_t>(m_parts[m_part][m_at++]);
        return true;
    }
    bool word(std::uint16_t& out) {
        std::uint8_t lo = 0, hi = 0;
        if (!byte(lo) || !byte(hi)) return false;
        out = std::uint16_t(lo | (hi << 8));
        return true;
    }
    bool dword(std::uint32_t& out) {
        std::uint16_t lo = 0, hi = 0;
        if (!word(lo) || !word(hi)) return false;
        out = lo | (std::uint32_t(hi) << 16);
        return true;
    }
    bool skip(std::size_t n) {
        while (n > 0) {
            if (!advance()) return false;
            const std::size_t k = std::min(n, m_parts[m_part].size() - m_at);
            m_at += k;
            n -= k;
        }
        return true;
    }
    bool chars(std::string& out, std::size_t count, bool wide) {
        while (count > 0) {
            if (m_at >= m_parts[m_part].size()) {
                if (++m_part >= m_parts.size() || m_parts[m_part].empty()) return false;
                wide = (m_parts[m_part][0] & 1) != 0;
                m_at = 1;
                continue;
            }
            const std::size_t width = wide ? 2 : 1;
            const std::size_t fits = std::min(count, (m_parts[m_part].size() - m_at) / width);
            if (fits == 0) return false;  // a character split between records
            appendChars(out, m_parts[m_part], m_at, fits, wide);
            m_at += fits * width;
            count -= fits;
        }
        return true;
    }
    // Whether a byte is left; moves past the records read to their end, so each is passed once.
    bool more() { return advance(); }

  private:
    bool advance() {
        while (m_part < m_parts.size() && m_at >= m_parts[m_part].size()) ++m_part, m_at = 0;
        return m_part < m_parts.size();
    }

    const std::vector<std::string_view>& m_parts;
    std::size_t m_part = 0;
    std::size_t m_at = 0;
};

// A record's body and the bodies of the CONTINUE records that follow it.
template <typename Fail>
std::vector<std::string_view> withContinues(std::string_view first, RecordReader& reader, Fail&& fail) {
    std::vector<std::string_view> parts{first};
    Record more{};
    while (reader.peekType() == kContinue && reader.next(more, fail)) parts.push_back(more.body);
    return parts;
}

// A FORMAT record: a number format's code by its id.
void readFormat(std::string_view b, bool biff8, std::map<std::uint16_t, std::string>& formats) {
    if (biff8 && b.size() >= 5) {
        const std::size_t count = u16(b, 2);
        const bool wide = (b[4] & 1) != 0;
        std::string code;
        if (b.size() >= 5 + count * (wide ? 2 : 1)) appendChars(code, b, 5, count, wide);
        formats[u16(b, 0)] = std::move(code);
    } else if (!biff8 && b.size() >= 3) {
        const std::size_t count = static_cast<unsigned char>(b[2]);
        if (b.size() >= 3 + count) formats[u16(b, 0)] = std::string(b.substr(3, count));
    }
}

bool isBof(std::uint16_t type) { return type == kBof || type == kBof2 || type == kBof3 || type == kBof4; }

const char* errorCode(unsigned code) {
    switch (code) {
        case 0x00:
            return "#NULL!";
        case 0x07:
            return "#DIV/0!";
        case 0x0F:
            return "#VALUE!";
        case 0x17:
            return "#REF!";
        case 0x1D:
            return "#NAME?";
        case 0x24:
            return "#NUM!";
        case 0x2A:
            return "#N/A";
        default:
            return "#GETTING_DATA";
    }
}

std::string cellName(int row, int column) { return columnLetters(column) + std::to_string(row); }

std::string tooLongText() { return " holds more than 32,767 characters, more than a cell can hold"; }

// The Windows code page of a BIFF5 code page number.
unsigned windowsCodePage(std::uint16_t codepage) {
    switch (codepage) {
        case 367:
            return 20127;  // US-ASCII
        case 0x8000:
            return 10000;  // Mac Roman
        case 0x8001:
            return 1252;
        default:
            return codepage;
    }
}

}  // namespace

Error XlsWorkbook::oldFormat(const std::string& path) {
    return Error(errc::kWorkbook,
                 "'" + path + "' is in an Excel 2-4 format this program cannot read; save it as .xlsx or .xls first");
}

void XlsWorkbook::fail(const std::string& why) const {
    throw Error(errc::kWorkbook, "'" + m_path + "' is damaged: " + why);
}

XlsWorkbook::XlsWorkbook(const std::string& path, const CompoundFile& file) : m_path(path) {
    if (file.hasStream("EncryptedPackage"))
        throw Error(errc::kWorkbook, "'" + path + "' is encrypted; save it without a password first");
    auto stream = file.stream("Workbook");
    if (!stream) stream = file.stream("Book");
    if (!stream) throw Error(errc::kWorkbook, "'" + path + "' is not a workbook (an Office document of another kind)");
    m_stream = std::move(*stream);
    readGlobals();
    if (m_encrypted)
        throw Error(errc::kWorkbook, "'" + path + "' is password protected; save it without a password first");
    for (std::size_t i = 0; i < m_boundSheets.size(); ++i)
        if (m_boundSheets[i].worksheet) m_sheets.push_back(i);
    if (m_sheets.empty()) fail("it lists no sheets");
    // The saved active tab counts every sheet (charts too); the sheets listed are worksheets only.
    for (std::size_t i = 0; i < m_sheets.size(); ++i)
        if (m_sheets[i] == std::size_t(m_activeTab)) m_active = int(i);
}

void XlsWorkbook::readGlobals() {
    auto failer = [this](const std::string& why) { fail(why); };
    RecordReader reader(m_stream, 0);
    Record r{};
    if (!reader.next(r, failer) || !isBof(r.type) || r.body.size() < 4) fail("its workbook stream has no header");
    if (r.type != kBof) throw oldFormat(m_path);
    m_biff8 = u16(r.body, 0) == 0x0600;

    Globals g;
    bool sawEof = false;
    while (!sawEof && reader.next(r, failer)) {
        const std::string_view b = r.body;
        switch (r.type) {
            case kEof:
                sawEof = true;
                break;
            case kFilePass:
                m_encrypted = true;
                return;
            case kDateMode:
                if (b.size() >= 2) m_date1904 = u16(b, 0) == 1;
                break;
            case kCodePage:
                if (b.size() >= 2) m_codepage = u16(b, 0);
                break;
            case kWindow1:
                if (!g.sawWindow && b.size() >= 12) m_activeTab = u16(b, 10);
                g.sawWindow = true;
                break;
            case kBoundSheet:
                readBoundSheet(b, g);
                break;
            case kSst:
                if (m_biff8)
                    readSharedStrings(withContinues(b, reader, failer));
                else
                    withContinues(b, reader, failer);
                break;
            case kFormat:
                readFormat(b, m_biff8, g.formats);
                break;
            case kXf:
                if (b.size() >= 4) g.xfFormats.push_back(u16(b, 2));
                break;
            default:
                break;
        }
    }
    if (!sawEof) fail("its workbook stream ends before the end of its global records");
    finishGlobals(g);
}

// A BOUNDSHEET record: where a sheet starts, whether it is a worksheet, its name.
void XlsWorkbook::readBoundSheet(std::string_view b, Globals& g) {
    if (b.size() < 8) fail("a sheet entry is cut short");
    BoundSheet s;
    s.offset = u32(b, 0);
    s.worksheet = b[5] == 0;
    const std::size_t count = static_cast<unsigned char>(b[6]);
    if (m_biff8) {
        const bool wide = (b[7] & 1) != 0;
        if (b.size() < 8 + count * (wide ? 2 : 1)) fail("a sheet entry is cut short");
        appendChars(s.name, b, 8, count, wide);
        g.rawNames.emplace_back();
    } else {
        if (b.size() < 7 + count) fail("a sheet entry is cut short");
        g.rawNames.emplace_back(b.substr(7, count));
    }
    m_boundSheets.push_back(std::move(s));
}

// What needs every global record first: BIFF5 sheet names in the code page, which may come
// after them, and the formats the cell styles name.
void XlsWorkbook::finishGlobals(const Globals& g) {
    if (!m_biff8)
        for (std::size_t i = 0; i < m_boundSheets.size(); ++i) m_boundSheets[i].name = decode8Bit(g.rawNames[i]);
    for (std::uint16_t id : g.xfFormats) {
        const auto f = g.formats.find(id);
        m_dateXfs.push_back(f != g.formats.end() ? isDateFormat(id, f->second) : isBuiltInDateFormat(id));
    }
    if (!m_sharedStrings) m_sharedStrings = std::make_shared<StringPool>();
}

// The shared string table: two counts, then each string's length, flags, optional run and
// extension sizes, its characters, then the runs and extension data, which are skipped.
// Writers get the unique-string count wrong both ways (too high, too low, zero), so the
// strings the table holds are read, whatever it declares: a string cut short before the
// declared count is damage, bytes past it that make no whole string are left alone.
void XlsWorkbook::readSharedStrings(const std::vector<std::string_view>& parts) {
    Segments in(parts);
    std::uint32_t total = 0, declared = 0;
    if (!in.dword(total) || !in.dword(declared)) fail("its shared string table is cut short");
    m_sharedStrings = std::make_shared<StringPool>();
    std::string text;
    for (std::size_t i = 0; in.more(); ++i) {
        const bool owed = i < declared;
        std::uint16_t count = 0;
        std::uint8_t flags = 0;
        std::uint16_t runs = 0;
        std::uint32_t extension = 0;
        bool whole = in.word(count) && in.byte(flags) && (!(flags & 0x08) || in.word(runs)) &&
                     (!(flags & 0x04) || in.dword(extension));
        if (whole && count > kMaxCellCharacters)
            throw Error(errc::kWorkbook, "'" + m_path + "': shared string " + std::to_string(i + 1) + tooLongText());
        text.clear();
        whole =
            whole && in.chars(text, count, (flags & 0x01) != 0) && in.skip(std::size_t(runs) * 4) && in.skip(extension);
        if (!whole) {
            if (owed) fail("its shared string table is cut short");
            return;
        }
        m_sharedStrings->add(text);
    }
}

std::string XlsWorkbook::decode8Bit(std::string_view bytes) const {
    std::string out;
    if (m_codepage == 1252 || m_codepage == 0x8001) {
        bool plain = true;
        for (char c : bytes) plain &= (static_cast<unsigned char>(c) < 0x80);
        if (plain) {
            for (char c : bytes)
                if (c != 0) out += c;
            return out;
        }
    }
    std::optional<std::string> text;
    try {
        text = platform::fromCodePage(bytes, windowsCodePage(m_codepage));
    } catch (const platform::SystemError&) {
        throw Error(errc::kWorkbook, "Cannot read '" + m_path +
                                         "': its text uses an unsupported character set (code page " +
                                         std::to_string(m_codepage) + ")");
    }
    if (!text)
        throw Error(errc::kWorkbook, "Cannot read '" + m_path + "': its text holds characters its code page " +
                                         std::to_string(m_codepage) + " does not have");
    out = std::move(*text);
    out.erase(std::remove(out.begin(), out.end(), '\0'), out.end());
    return out;
}

bool XlsWorkbook::isDateXf(std::uint16_t xf) const { return xf < m_dateXfs.size() && m_dateXfs[xf]; }

// One sheet's cell records into a sink, one handler per record type. A formula whose text
// result follows in a STRING record leaves its cell pending until then.
class XlsWorkbook::CellReader {
    // What the record reader calls on a record running past the stream.
    struct Failer {
        const XlsWorkbook& book;
        [[noreturn]] void operator()(const std::string& why) const { book.fail(why); }
    };

  public:
    CellReader(const XlsWorkbook& book, CellSink& sheet, std::uint32_t offset)
        : m_book(book), m_sheet(sheet), m_reader(book.m_stream, offset) {}

    void read() {
        Record r{};
        if (!m_reader.next(r, Failer{m_book}) || !isBof(r.type)) fail("a sheet does not start where the workbook says");
        int depth = 1;
        while (m_reader.next(r, Failer{m_book})) {
            if (isBof(r.type)) {
                ++depth;
            } else if (r.type == kEof) {
                if (--depth <= 0) return;
            } else if (depth == 1) {  // deeper: inside an embedded chart
                cell(r.type, r.body);
            }
        }
        fail("a sheet has no end record");
    }

  private:
    void cell(std::uint16_t type, std::string_view b) {
        switch (type) {
            case kLabelSst:
                return sharedText(b);
            case kLabel:
            case kRString:
                place(b, 8, "text cell");
                return m_sheet.setText(m_row, m_column, label(b));
            case kNumber:
                place(b, 14, "number");
                return number(m_row, m_column, u16(b, 4), f64(b, 6));
            case kRk:
                place(b, 10, "number");
                return number(m_row, m_column, u16(b, 4), rkValue(u32(b, 6)));
            case kMulRk:
                return numberList(b);
            case kBoolErr:
                place(b, 8, "boolean");
                if (b[7] != 0) return m_sheet.setError(m_row, m_column, errorCode(static_cast<unsigned char>(b[6])));
                return m_sheet.setBoolean(m_row, m_column, b[6] != 0);
            case kFormula:
                return formula(b);
            case kString:
                return formulaText(b);
            default:
                return;
        }
    }

    // Row and column of a cell record, checked; needs the first four bytes.
    void place(std::string_view b, std::size_t size, const char* what) {
        if (b.size() < size) fail(std::string("a ") + what + " record is cut short");
        m_row = u16(b, 0) + 1;
        m_column = u16(b, 2) + 1;
        if (m_column > kBiffColumns) fail("a cell lies beyond the last column (" + std::to_string(m_column) + ")");
    }

    void number(int row, int column, std::uint16_t xf, double v) {
        // No writer stores these; they come of damaged bytes, and would be stored as the text "NaN".
        if (!std::isfinite(v)) fail("cell " + cellName(row, column) + " holds a number that is not finite");
        const auto date = m_book.isDateXf(xf) ? serialToDate(v, m_book.m_date1904) : std::nullopt;
        if (date)
            m_sheet.setDate(row, column, *date);
        else
            m_sheet.setNumber(row, column, v);
    }

    void sharedText(std::string_view b) {
        place(b, 10, "text cell");
        const std::uint32_t index = u32(b, 6);
        const std::size_t strings = m_book.m_sharedStrings->size();
        if (index >= strings)
            fail("cell " + cellName(m_row, m_column) + " refers to shared string " + std::to_string(index + 1) +
                 " of " + std::to_string(strings));
        m_sheet.setSharedText(m_row, m_column, index);
    }

    // A string of a LABEL or RSTRING record from byte 6: 8-bit in the code page (BIFF5) or BIFF8 characters.
    std::string label(std::string_view b) const {
        const std::size_t count = u16(b, 6);
        if (count > kMaxCellCharacters) tooLong(m_row, m_column);
        if (!m_book.m_biff8) {
            if (b.size() < 8 + count) fail("a text cell record is cut short");
            return m_book.decode8Bit(b.substr(8, count));
        }
        if (b.size() < 9) fail("a text cell record is cut short");
        const bool wide = (b[8] & 1) != 0;
        std::size_t at = 9;
        if (b[8] & 0x08) at += 2;  // run count
        if (b[8] & 0x04) at += 4;  // extension size
        if (b.size() < at + count * (wide ? 2 : 1)) fail("a text cell record is cut short");
        std::string text;
        appendChars(text, b, at, count, wide);
        return text;
    }

    void numberList(std::string_view b) {
        place(b, 6, "number list");
        const std::size_t count = (b.size() - 6) / 6;
        if ((b.size() - 6) % 6 != 0 || count == 0 || u16(b, b.size() - 2) + 1 != m_column + int(count) - 1)
            fail("a number list record at " + cellName(m_row, m_column) + " has a wrong length");
        if (m_column + int(count) - 1 > kBiffColumns)
            fail("a cell lies beyond the last column (" + std::to_string(m_column + int(count) - 1) + ")");
        for (std::size_t i = 0; i < count; ++i)
            number(m_row, m_column + int(i), u16(b, 4 + 6 * i), rkValue(u32(b, 6 + 6 * i)));
    }

    void formula(std::string_view b) {
        place(b, 20, "formula");
        m_pendingRow = 0;
        if (u16(b, 12) != 0xFFFF) return number(m_row, m_column, u16(b, 4), f64(b, 6));
        switch (static_cast<unsigned char>(b[6])) {
            case 0:
                m_pendingRow = m_row, m_pendingColumn = m_column;
                return;
            case 1:
                return m_sheet.setBoolean(m_row, m_column, b[8] != 0);
            case 2:
                return m_sheet.setError(m_row, m_column, errorCode(static_cast<unsigned char>(b[8])));
            default:
                return m_sheet.setText(m_row, m_column, "");
        }
    }

    // The text result of the formula before it.
    void formulaText(std::string_view b) {
        if (m_pendingRow == 0) return;
        if (b.size() < 2) fail("a formula's text result is cut short");
        const std::size_t count = u16(b, 0);
        if (count > kMaxCellCharacters) tooLong(m_pendingRow, m_pendingColumn);
        std::string text;
        if (m_book.m_biff8) {
            // Long results go on in CONTINUE records, each starting with its own width flag.
            const std::vector<std::string_view> parts = withContinues(b.substr(2), m_reader, Failer{m_book});
            Segments in(parts);
            std::uint8_t flags = 0;
            if (!in.byte(flags) || !in.chars(text, count, (flags & 1) != 0))
                fail("a formula's text result is cut short");
        } else {
            if (b.size() < 2 + count) fail("a formula's text result is cut short");
            text = m_book.decode8Bit(b.substr(2, count));
        }
        m_sheet.setText(m_pendingRow, m_pendingColumn, text);
        m_pendingRow = 0;
    }

    [[noreturn]] void tooLong(int row, int column) const {
        throw Error(errc::kWorkbook, "'" + m_book.m_path + "': cell " + cellName(row, column) + tooLongText());
    }
    [[noreturn]] void fail(const std::string& why) const { m_book.fail(why); }

    const XlsWorkbook& m_book;
    CellSink& m_sheet;
    RecordReader m_reader;
    int m_row = 0, m_column = 0;
    int m_pendingRow = 0, m_pendingColumn = 0;
};

void XlsWorkbook::readCells(CellSink& sheet, std::uint32_t offset) const {
    if (offset >= m_stream.size()) fail("a sheet starts past the end of the workbook stream");
    CellReader(*this, sheet, offset).read();
}

const XlsWorkbook::BoundSheet& XlsWorkbook::boundSheet(int index) const {
    if (index < 0 || index >= sheetCount())
        throw Error(errc::kWorkbook, "'" + m_path + "' has no sheet " + std::to_string(index + 1) + " (it has " +
                                         std::to_string(sheetCount()) + ")");
    return m_boundSheets[m_sheets[std::size_t(index)]];
}

std::unique_ptr<Sheet> XlsWorkbook::readSheet(int index, int lastColumn) const {
    const BoundSheet& bound = boundSheet(index);
    auto out = std::make_unique<StoredSheet>(bound.name, m_sharedStrings, lastColumn);
    readCells(*out, bound.offset);
    return out;
}

bool XlsWorkbook::streamRows(int index, int lastColumn, RowSink& sink) const {
    const BoundSheet& bound = boundSheet(index);
    try {
        RowBuilder rows(sink, lastColumn, m_sharedStrings.get());
        readCells(rows, bound.offset);
        rows.flush();
        return true;
    } catch (const RowsOutOfOrder&) {
        return false;
    }
}

}  // namespace vesk::sheet
