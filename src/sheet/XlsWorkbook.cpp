#include "sheet/XlsWorkbook.h"

#include <freexl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "core/Error.h"
#include "sheet/NumberFormat.h"
#include "sheet/SerialDate.h"
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
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kBof2 = 0x0009, kBof3 = 0x0209, kBof4 = 0x0409, kBof = 0x0809;

std::uint16_t u16(std::string_view s, std::size_t at) {
    return std::uint16_t(static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8));
}

std::uint32_t u32(std::string_view s, std::size_t at) { return u16(s, at) | (std::uint32_t(u16(s, at + 2)) << 16); }

double f64(std::string_view s, std::size_t at) {
    double v = 0;
    std::memcpy(&v, s.data() + at, sizeof v);
    return v;
}

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Characters of a BIFF string, one byte each (compressed) or UTF-16, as UTF-8. Returns the bytes used.
std::size_t appendChars(std::string& out, std::string_view s, std::size_t at, std::size_t count, bool wide) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (wide) {
            if (at + used + 2 > s.size()) break;
            std::uint32_t c = u16(s, at + used);
            used += 2;
            if (c >= 0xD800 && c < 0xDC00 && at + used + 2 <= s.size()) {
                const std::uint32_t low = u16(s, at + used);
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    used += 2;
                    ++i;
                }
            }
            appendUtf8(out, c);
        } else {
            if (at + used + 1 > s.size()) break;
            appendUtf8(out, static_cast<unsigned char>(s[at + used]));
            used += 1;
        }
    }
    return used;
}

struct Record {
    std::uint16_t type;
    std::string_view body;
};

// Walks the records of a BIFF stream from an offset; damage throws through fail.
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

  private:
    std::string_view m_stream;
    std::size_t m_at;
};

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

std::string freexlMessage(int code) {
    switch (code) {
        case FREEXL_FILE_NOT_FOUND:
            return "the file cannot be opened";
        case FREEXL_INSUFFICIENT_MEMORY:
            return "there is not enough memory to read it";
        case FREEXL_INVALID_CFBF_HEADER:
        case FREEXL_CFBF_INVALID_SIGNATURE:
        case FREEXL_CFBF_INVALID_SECTOR_SIZE:
            return "its compound document header is invalid";
        case FREEXL_CFBF_READ_ERROR:
        case FREEXL_CFBF_SEEK_ERROR:
            return "it is truncated or cannot be read";
        case FREEXL_CFBF_EMPTY_FAT_CHAIN:
        case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
        case FREEXL_INVALID_MINI_STREAM:
        case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
            return "its sector tables are damaged";
        case FREEXL_BIFF_INVALID_BOF:
            return "its workbook stream does not start like a workbook";
        case FREEXL_BIFF_INVALID_SST:
        case FREEXL_BIFF_ILLEGAL_SST_INDEX:
            return "its shared string table is damaged";
        case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
            return "it holds no workbook stream";
        case FREEXL_INVALID_CHARACTER:
        case FREEXL_UNSUPPORTED_CHARSET:
            return "its text uses an unsupported character set";
        case FREEXL_ILLEGAL_RK_VALUE:
            return "it holds an unreadable number";
        case FREEXL_CRAFTED_FILE:
            return "it is severely corrupted";
        default:
            return "the reader failed with code " + std::to_string(code);
    }
}

}  // namespace

void XlsWorkbook::FreeXlCloser::operator()(const void* handle) const { freexl_close(handle); }

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

    const void* handle = nullptr;
    const int rc = freexl_open(path.c_str(), &handle);
    m_handle.reset(handle);
    if (rc != FREEXL_OK) throw Error(errc::kWorkbook, "Cannot read '" + path + "': " + freexlMessage(rc));
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        throw Error(errc::kWorkbook, "'" + path + "' is password protected; save it without a password first");
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0) fail("it lists no sheets");
    for (unsigned short i = 0; i < info; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, i, &name) != FREEXL_OK || !name) fail("a sheet has no name");
        m_names.emplace_back(name);
    }
    // FreeXL lists worksheets only; the saved active tab counts every sheet, so match by name.
    if (m_activeTab >= 0 && std::size_t(m_activeTab) < m_boundSheets.size())
        for (std::size_t i = 0; i < m_names.size(); ++i)
            if (m_names[i] == m_boundSheets[std::size_t(m_activeTab)].name) m_active = int(i);
}

void XlsWorkbook::readGlobals() {
    auto failer = [this](const std::string& why) { fail(why); };
    RecordReader reader(m_stream, 0);
    Record r{};
    if (!reader.next(r, failer) || !isBof(r.type) || r.body.size() < 4) fail("its workbook stream has no header");
    if (r.type != kBof)
        throw Error(errc::kWorkbook, "'" + m_path + "' is in an Excel 2-4 format this program cannot read");
    m_biff8 = u16(r.body, 0) == 0x0600;

    std::map<std::uint16_t, std::string> formats;
    std::vector<std::uint16_t> xfFormats;
    bool sawWindow = false;
    while (reader.next(r, failer) && r.type != kEof) {
        const std::string_view b = r.body;
        switch (r.type) {
            case kFilePass:
                m_encrypted = true;
                return;
            case kDateMode:
                if (b.size() >= 2) m_date1904 = u16(b, 0) == 1;
                break;
            case kWindow1:
                if (!sawWindow && b.size() >= 12) m_activeTab = u16(b, 10);
                sawWindow = true;
                break;
            case kBoundSheet: {
                if (b.size() < 8) fail("a sheet entry is cut short");
                BoundSheet s;
                s.offset = u32(b, 0);
                const std::size_t count = static_cast<unsigned char>(b[6]);
                if (m_biff8) {
                    if (b.size() < 8 + count) fail("a sheet entry is cut short");
                    appendChars(s.name, b, 8, count, (b[7] & 1) != 0);
                } else {
                    appendChars(s.name, b, 7, count, false);
                }
                m_boundSheets.push_back(std::move(s));
                break;
            }
            case kFormat:
                if (b.size() >= 4) {
                    std::string code;
                    if (m_biff8 && b.size() >= 5)
                        appendChars(code, b, 5, u16(b, 2), (b[4] & 1) != 0);
                    else
                        appendChars(code, b, 3, static_cast<unsigned char>(b[2]), false);
                    formats[u16(b, 0)] = std::move(code);
                }
                break;
            case kXf:
                if (b.size() >= 4) xfFormats.push_back(u16(b, 2));
                break;
            default:
                break;
        }
    }
    for (std::uint16_t id : xfFormats) {
        const auto f = formats.find(id);
        m_dateXfs.push_back(f != formats.end() ? isDateFormat(id, f->second) : isBuiltInDateFormat(id));
    }
}

bool XlsWorkbook::isDateXf(std::uint16_t xf) const { return xf < m_dateXfs.size() && m_dateXfs[xf]; }

void XlsWorkbook::addRecordCells(StoredSheet& sheet, std::uint32_t offset) const {
    auto failer = [this](const std::string& why) { fail(why); };
    if (offset >= m_stream.size()) fail("a sheet starts past the end of the workbook stream");
    RecordReader reader(m_stream, offset);
    Record r{};
    int depth = 0;
    int pendingRow = 0, pendingColumn = 0;  // a formula whose text result follows in a STRING record
    while (reader.next(r, failer)) {
        const std::string_view b = r.body;
        if (isBof(r.type)) {
            ++depth;
            continue;
        }
        if (r.type == kEof) {
            if (--depth <= 0) return;
            continue;
        }
        if (depth != 1) continue;  // inside an embedded chart
        if (r.type == kBoolErr && b.size() >= 8) {
            const int row = u16(b, 0) + 1, column = u16(b, 2) + 1;
            if (b[7] != 0)
                sheet.setError(row, column, errorCode(static_cast<unsigned char>(b[6])));
            else
                sheet.setBoolean(row, column, b[6] != 0);
        } else if (r.type == kFormula && b.size() >= 14) {
            const int row = u16(b, 0) + 1, column = u16(b, 2) + 1;
            pendingRow = 0;
            if (u16(b, 12) != 0xFFFF) {
                const double v = f64(b, 6);
                const auto date = isDateXf(u16(b, 4)) ? serialToDate(v, m_date1904) : std::nullopt;
                if (date)
                    sheet.setDate(row, column, *date);
                else
                    sheet.setNumber(row, column, v);
                continue;
            }
            switch (static_cast<unsigned char>(b[6])) {
                case 0:
                    pendingRow = row, pendingColumn = column;
                    break;
                case 1:
                    sheet.setBoolean(row, column, b[8] != 0);
                    break;
                case 2:
                    sheet.setError(row, column, errorCode(static_cast<unsigned char>(b[8])));
                    break;
                default:
                    sheet.setText(row, column, "");
                    break;
            }
        } else if (r.type == kString && pendingRow > 0 && b.size() >= 2) {
            std::string text;
            std::size_t count = u16(b, 0);
            if (m_biff8) {
                if (b.size() < 3) fail("a formula's text result is cut short");
                std::size_t at = 3;
                bool wide = (b[2] & 1) != 0;
                std::string_view part = b;
                // Long results go on in CONTINUE records, each starting with its own width flag.
                for (;;) {
                    const std::size_t width = wide ? 2 : 1;
                    const std::size_t fits = std::min(count, (part.size() - at) / width);
                    appendChars(text, part, at, fits, wide);
                    count -= fits;
                    if (count == 0) break;
                    Record more{};
                    if (!reader.next(more, failer) || more.type != kContinue || more.body.empty())
                        fail("a formula's text result is cut short");
                    part = more.body;
                    wide = (part[0] & 1) != 0;
                    at = 1;
                }
            } else {
                appendChars(text, b, 2, count, false);
            }
            sheet.setText(pendingRow, pendingColumn, std::move(text));
            pendingRow = 0;
        }
    }
    fail("a sheet has no end record");
}

std::unique_ptr<Sheet> XlsWorkbook::sheet(int index) const {
    if (index < 0 || index >= sheetCount())
        throw Error(errc::kWorkbook, "'" + m_path + "' has no sheet " + std::to_string(index + 1) + " (it has " +
                                         std::to_string(sheetCount()) + ")");
    const void* h = m_handle.get();
    auto out =
        std::make_unique<StoredSheet>(m_names[std::size_t(index)], std::make_shared<const std::vector<std::string>>());
    auto check = [&](int rc) {
        if (rc != FREEXL_OK)
            throw Error(errc::kWorkbook, "Cannot read sheet '" + m_names[std::size_t(index)] + "' of '" + m_path +
                                             "': " + freexlMessage(rc));
    };
    check(freexl_select_active_worksheet(h, static_cast<unsigned short>(index)));
    unsigned int rows = 0;
    unsigned short columns = 0;
    check(freexl_worksheet_dimensions(h, &rows, &columns));
    if (rows > unsigned(StoredSheet::kMaxRows) || columns > StoredSheet::kMaxColumns)
        fail("a sheet is larger than a worksheet can be");

    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            check(freexl_get_cell_value(h, r, c, &v));
            const int row = int(r) + 1, column = int(c) + 1;
            switch (v.type) {
                case FREEXL_CELL_INT:
                    out->setNumber(row, column, v.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    out->setNumber(row, column, v.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    out->setText(row, column, v.value.text_value ? v.value.text_value : "");
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME: {
                    const auto date = parseDateText(v.value.text_value ? v.value.text_value : "");
                    if (!date)
                        fail("cell " + columnLetters(column) + std::to_string(row) + " holds an unreadable date");
                    out->setDate(row, column, *date);
                    break;
                }
                case FREEXL_CELL_TIME: {
                    DateTime t;  // a bare time sits on the day the date type counts from
                    const char* text = v.value.text_value ? v.value.text_value : "";
                    if (std::sscanf(text, "%d:%d:%d", &t.hour, &t.minute, &t.second) != 3)
                        fail("cell " + columnLetters(column) + std::to_string(row) + " holds an unreadable time");
                    out->setDate(row, column, t);
                    break;
                }
                default:
                    break;
            }
        }
    }
    for (const auto& s : m_boundSheets)
        if (s.name == m_names[std::size_t(index)]) {
            addRecordCells(*out, s.offset);
            break;
        }
    return out;
}

}  // namespace vesk::sheet
