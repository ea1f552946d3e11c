#include "sheet/XlsxWorkbook.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>

#include "core/Error.h"
#include "core/Text.h"
#include "sheet/NumberFormat.h"
#include "sheet/SerialDate.h"
#include "sheet/StoredSheet.h"
#include "sheet/XmlParser.h"

namespace vesk::sheet {

namespace {

Error damaged(const std::string& path, const std::string& why) {
    return Error(errc::kWorkbook, "'" + path + "' is damaged: " + why);
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool parseInt(std::string_view text, long long& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Parses the whole of a part through a handler, counting what it unpacks against the workbook's budget.
void parsePart(const ZipArchive& zip, const std::string& path, const std::string& part, XmlHandler& handler,
               std::uint64_t& unpacked, const std::string& what = {}) {
    XmlParser parser(handler, what.empty() ? "The part " + excerpt(part) + " of '" + path + "'" : what);
    zip.stream(part, [&](const char* data, std::size_t size) {
        unpacked += size;
        if (unpacked > Workbook::kMaxUnpackedBytes)
            throw Error(errc::kWorkbook, "'" + path + "' unpacks to more than " +
                                             std::to_string(Workbook::kMaxUnpackedBytes >> 30) +
                                             " GB, more than this program reads in one workbook");
        parser.feed(data, size);
    });
    parser.finish();
}

// Text longer than a cell can hold; checked while it grows, so a huge one is refused early.
bool overCellLimit(std::string_view text) {
    return text.size() > kMaxCellCharacters && characterCount(text) > kMaxCellCharacters;
}

std::string overLimitText() { return "more than 32,767 characters, more than a cell can hold"; }

// "_x000D_" and the like stand for characters XML cannot carry; "_x005F_" escapes an underscore.
// A character past U+FFFF comes as two escapes, its surrogates.
std::string decodeEscapes(std::string text) {
    if (text.find("_x") == std::string::npos) return text;
    auto escapeAt = [&](std::size_t i, unsigned& code) {
        if (text[i] != '_' || i + 6 >= text.size() || text[i + 1] != 'x' || text[i + 6] != '_') return false;
        const auto [end, ec] = std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16);
        return ec == std::errc() && end == text.data() + i + 6;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned code = 0, low = 0;
        if (!escapeAt(i, code)) {
            out += text[i];
            continue;
        }
        i += 6;
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && escapeAt(i + 1, low) && low >= 0xDC00 &&
            low < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            i += 7;
        }
        appendUtf8(out, code);
    }
    return out;
}

// Resolves a relationship target against the part that holds the relationship.
std::string resolveTarget(const std::string& sourcePart, std::string target) {
    std::string decoded;
    for (std::size_t i = 0; i < target.size(); ++i) {
        unsigned byte = 0;
        if (target[i] == '%' && i + 2 < target.size() &&
            std::from_chars(target.data() + i + 1, target.data() + i + 3, byte, 16).ptr == target.data() + i + 3) {
            decoded += char(byte);
            i += 2;
        } else {
            decoded += target[i] == '\\' ? '/' : target[i];
        }
    }
    std::string joined;
    if (!decoded.empty() && decoded[0] == '/') {
        joined = decoded.substr(1);
    } else {
        const std::size_t slash = sourcePart.rfind('/');
        joined = (slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1)) + decoded;
    }
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string out;
    for (const auto& s : segments) out += (out.empty() ? "" : "/") + s;
    return out;
}

// The relationships part of a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
std::string relsPartOf(const std::string& part) {
    const std::size_t slash = part.rfind('/');
    if (slash == std::string::npos) return "_rels/" + part + ".rels";
    return part.substr(0, slash + 1) + "_rels/" + part.substr(slash + 1) + ".rels";
}

struct Relationship {
    std::string id;
    std::string type;
    std::string target;  // resolved part name
};

class RelationshipsHandler : public XmlHandler {
  public:
    RelationshipsHandler(std::string sourcePart, std::vector<Relationship>& out)
        : m_source(std::move(sourcePart)), m_out(out) {}

    void startElement(std::string_view name, const char** attributes) override {
        if (name != "Relationship") return;
        const char* mode = XmlParser::attribute(attributes, "TargetMode");
        if (mode && std::strcmp(mode, "External") == 0) return;
        const char* id = XmlParser::attribute(attributes, "Id");
        const char* type = XmlParser::attribute(attributes, "Type");
        const char* target = XmlParser::attribute(attributes, "Target");
        if (!id || !type || !target) return;
        m_out.push_back({id, type, resolveTarget(m_source, target)});
    }
    void endElement(std::string_view) override {}
    void characters(std::string_view) override {}

  private:
    std::string m_source;
    std::vector<Relationship>& m_out;
};

std::vector<Relationship> readRelationships(const ZipArchive& zip, const std::string& path,
                                            const std::string& sourcePart, std::uint64_t& unpacked) {
    std::vector<Relationship> out;
    const std::string part = sourcePart.empty() ? "_rels/.rels" : relsPartOf(sourcePart);
    if (!zip.contains(part)) return out;
    RelationshipsHandler handler(sourcePart, out);
    parsePart(zip, path, part, handler, unpacked);
    return out;
}

// Relationship types differ between the transitional and strict schemas only before the last '/'.
const Relationship* findByType(const std::vector<Relationship>& rels, std::string_view kind) {
    for (const auto& r : rels)
        if (endsWith(r.type, kind) && r.type.size() > kind.size() && r.type[r.type.size() - kind.size() - 1] == '/')
            return &r;
    return nullptr;
}

class WorkbookHandler : public XmlHandler {
  public:
    struct SheetRef {
        std::string name;
        std::string relId;
    };
    std::vector<SheetRef> sheets;
    int activeTab = 0;
    bool date1904 = false;

    void startElement(std::string_view name, const char** attributes) override {
        if (name == "sheet") {
            const char* sheetName = XmlParser::attribute(attributes, "name");
            const char* id = XmlParser::attribute(attributes, "id");
            sheets.push_back({sheetName ? sheetName : "", id ? id : ""});
        } else if (name == "workbookPr") {
            const char* v = XmlParser::attribute(attributes, "date1904");
            date1904 = v && (std::strcmp(v, "1") == 0 || std::strcmp(v, "true") == 0);
        } else if (name == "workbookView" && !m_sawView) {
            m_sawView = true;  // the first view is the one the file opens with
            long long tab = 0;
            const char* v = XmlParser::attribute(attributes, "activeTab");
            if (v && parseInt(v, tab) && tab >= 0 && tab < 65536) activeTab = int(tab);
        }
    }
    void endElement(std::string_view) override {}
    void characters(std::string_view) override {}

  private:
    bool m_sawView = false;
};

class StylesHandler : public XmlHandler {
  public:
    std::map<long long, std::string> formats;
    std::vector<long long> cellFormats;  // numFmtId by xf index

    void startElement(std::string_view name, const char** attributes) override {
        if (name == "numFmt") {
            long long id = 0;
            const char* idText = XmlParser::attribute(attributes, "numFmtId");
            const char* code = XmlParser::attribute(attributes, "formatCode");
            if (idText && code && parseInt(idText, id)) formats[id] = code;
        } else if (name == "cellXfs") {
            m_inCellXfs = true;
        } else if (name == "xf" && m_inCellXfs) {
            long long id = 0;
            const char* idText = XmlParser::attribute(attributes, "numFmtId");
            if (!idText || !parseInt(idText, id)) id = 0;
            cellFormats.push_back(id);
        }
    }
    void endElement(std::string_view name) override {
        if (name == "cellXfs") m_inCellXfs = false;
    }
    void characters(std::string_view) override {}

  private:
    bool m_inCellXfs = false;
};

// Text of <t> elements, skipping phonetic runs (<rPh>), which are reading aids and not the value.
class StringCollector {
  public:
    void start(std::string_view name) {
        if (name == "rPh")
            ++m_phonetic;
        else if (name == "t" && m_phonetic == 0)
            m_inText = true;
    }
    void end(std::string_view name) {
        if (name == "rPh")
            --m_phonetic;
        else if (name == "t")
            m_inText = false;
    }
    void text(std::string_view s) {
        if (m_inText && !m_tooLong) {
            m_value.append(s);
            m_tooLong = overCellLimit(m_value);
        }
    }
    bool tooLong() const { return m_tooLong; }
    std::string take() {
        std::string out = decodeEscapes(std::move(m_value));
        m_value.clear();
        m_inText = false;
        m_phonetic = 0;
        m_tooLong = false;
        return out;
    }

  private:
    std::string m_value;
    bool m_inText = false;
    bool m_tooLong = false;
    int m_phonetic = 0;
};

class SharedStringsHandler : public XmlHandler {
  public:
    explicit SharedStringsHandler(std::string where) : m_where(std::move(where)) {}
    std::shared_ptr<StringPool> strings = std::make_shared<StringPool>();

    void startElement(std::string_view name, const char**) override {
        if (name == "si")
            m_inItem = true;
        else if (m_inItem)
            m_collector.start(name);
    }
    void endElement(std::string_view name) override {
        if (name == "si") {
            if (m_collector.tooLong())
                throw Error(errc::kWorkbook, m_where + " holds a shared string (number " +
                                                 std::to_string(strings->size() + 1) + ") of " + overLimitText());
            strings->add(m_collector.take());
            m_inItem = false;
        } else if (m_inItem) {
            m_collector.end(name);
        }
    }
    void characters(std::string_view text) override {
        if (m_inItem) m_collector.text(text);
    }

  private:
    std::string m_where;
    StringCollector m_collector;
    bool m_inItem = false;
};

// "B12" -> column 2, row 12; false when it is not a cell reference inside the sheet's limits.
bool parseReference(const char* ref, int& row, int& column) {
    int c = 0;
    const char* p = ref;
    for (; (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'); ++p) {
        c = c * 26 + ((*p | 0x20) - 'a' + 1);
        if (c > StoredSheet::kMaxColumns) return false;
    }
    if (p == ref) return false;
    p += *p == '$' ? 1 : 0;
    long long r = 0;
    if (!parseInt(p, r) || r < 1 || r > StoredSheet::kMaxRows) return false;
    row = int(r);
    column = c;
    return true;
}

class SheetHandler : public XmlHandler {
  public:
    SheetHandler(StoredSheet& sheet, const std::vector<bool>& dateStyles, std::size_t sharedCount, bool date1904,
                 std::string where)
        : m_sheet(sheet),
          m_dateStyles(dateStyles),
          m_sharedCount(sharedCount),
          m_date1904(date1904),
          m_where(std::move(where)) {}

    void startElement(std::string_view name, const char** attributes) override {
        if (m_inCell) {
            if (name == "v") {
                m_inValue = true;
            } else if (name == "is") {
                m_inInline = true;
            } else if (m_inInline) {
                m_inline.start(name);
            }
            return;
        }
        if (name == "sheetData") {
            m_inData = true;
        } else if (!m_inData) {
            return;
        } else if (name == "row") {
            const char* r = XmlParser::attribute(attributes, "r");
            long long number = m_row + 1;
            if (r && !parseInt(r, number)) throw bad(std::string("a row numbered '") + excerpt(r) + "'");
            if (number < 1 || number > StoredSheet::kMaxRows)
                throw bad("a row numbered " + std::to_string(number) + ", outside the sheet");
            m_row = int(number);
            m_column = 0;
        } else if (name == "c") {
            startCell(attributes);
        }
    }

    void endElement(std::string_view name) override {
        if (!m_inCell) {
            if (name == "sheetData") m_inData = false;
            return;
        }
        if (name == "c") {
            endCell();
        } else if (name == "v") {
            m_inValue = false;
        } else if (name == "is") {
            m_inInline = false;
        } else if (m_inInline) {
            m_inline.end(name);
        }
    }

    void characters(std::string_view text) override {
        if (m_inValue) {
            m_value.append(text);
            if (overCellLimit(m_value)) throw bad("in cell " + reference() + " " + overLimitText());
        } else if (m_inInline) {
            m_inline.text(text);
            if (m_inline.tooLong()) throw bad("in cell " + reference() + " " + overLimitText());
        }
    }

  private:
    Error bad(const std::string& what) const { return Error(errc::kWorkbook, m_where + " holds " + what); }

    std::string reference() const { return columnLetters(m_column) + std::to_string(m_row); }

    void startCell(const char** attributes) {
        const char* ref = XmlParser::attribute(attributes, "r");
        if (ref) {
            if (!parseReference(ref, m_row, m_column)) throw bad(std::string("a cell at '") + excerpt(ref) + "'");
        } else {
            if (m_row == 0) throw bad("a cell outside any row");
            if (++m_column > StoredSheet::kMaxColumns) throw bad("a cell beyond the last column");
        }
        const char* type = XmlParser::attribute(attributes, "t");
        m_type = type ? type : "n";
        m_style = -1;
        if (const char* s = XmlParser::attribute(attributes, "s")) {
            long long style = 0;
            if (parseInt(s, style) && style >= 0 && style < (1 << 30)) m_style = int(style);
        }
        m_value.clear();
        m_inCell = true;
    }

    void endCell() {
        m_inCell = m_inValue = m_inInline = false;
        const int row = m_row, column = m_column;
        if (m_type == "inlineStr") {
            m_sheet.setText(row, column, m_inline.take());
        } else if (m_type == "s") {
            if (m_value.empty()) return;
            long long index = -1;
            if (!parseInt(m_value, index) || index < 0 || std::size_t(index) >= m_sharedCount)
                throw bad("in cell " + reference() + " a shared string index '" + excerpt(m_value) +
                          "' that does not exist");
            m_sheet.setSharedText(row, column, std::uint32_t(index));
        } else if (m_type == "str") {
            m_sheet.setText(row, column, decodeEscapes(m_value));
        } else if (m_type == "b") {
            if (m_value.empty()) return;
            if (m_value == "1" || m_value == "true")
                m_sheet.setBoolean(row, column, true);
            else if (m_value == "0" || m_value == "false")
                m_sheet.setBoolean(row, column, false);
            else
                throw bad("in cell " + reference() + " an unreadable boolean '" + excerpt(m_value) + "'");
        } else if (m_type == "e") {
            m_sheet.setError(row, column, m_value);
        } else if (m_type == "d") {
            if (m_value.empty()) return;
            auto date = cellDateText(m_value);
            if (!date) throw bad("in cell " + reference() + " an unreadable date '" + excerpt(m_value) + "'");
            m_sheet.setDate(row, column, *date);
        } else if (m_type == "n") {
            if (m_value.empty()) return;  // a formatted blank
            setNumber(row, column);
        } else {
            throw bad("in cell " + reference() + " an unknown cell type '" + excerpt(m_type) + "'");
        }
    }

    void setNumber(int row, int column) {
        std::string_view text = m_value;
        while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
        while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
        double v = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(v))
            throw bad("in cell " + reference() + " an unreadable number '" + excerpt(m_value) + "'");
        if (m_style >= 0 && std::size_t(m_style) < m_dateStyles.size() && m_dateStyles[std::size_t(m_style)]) {
            if (auto date = serialToDate(v, m_date1904)) {
                m_sheet.setDate(row, column, *date);
                return;
            }
        }
        m_sheet.setNumber(row, column, v);
    }

    StoredSheet& m_sheet;
    const std::vector<bool>& m_dateStyles;
    std::size_t m_sharedCount;
    bool m_date1904;
    std::string m_where;

    bool m_inData = false;
    bool m_inCell = false;
    bool m_inValue = false;
    bool m_inInline = false;
    int m_row = 0;
    int m_column = 0;
    int m_style = -1;
    std::string m_type;
    std::string m_value;
    StringCollector m_inline;
};

}  // namespace

XlsxWorkbook::XlsxWorkbook(const std::string& path) : m_path(path), m_zip(path) { readPackage(); }

XlsxWorkbook::XlsxWorkbook(std::string name, std::string bytes)
    : m_path(std::move(name)), m_zip(m_path, std::move(bytes)) {
    readPackage();
}

void XlsxWorkbook::readPackage() {
    const std::string& path = m_path;
    // The package's root relationship names the workbook part; older writers are found at the usual place.
    const auto rootRels = readRelationships(m_zip, path, "", m_unpacked);
    const Relationship* office = findByType(rootRels, "officeDocument");
    const std::string workbookPart = office ? office->target : "xl/workbook.xml";
    if (endsWith(workbookPart, ".bin"))
        throw Error(errc::kWorkbook, "'" + path + "' is a binary workbook (.xlsb); save it as .xlsx or .xls first");
    if (!m_zip.contains(workbookPart)) {
        if (m_zip.contains("word/document.xml") || m_zip.contains("ppt/presentation.xml"))
            throw Error(errc::kWorkbook, "'" + path + "' is not a workbook");
        throw damaged(path, "it has no workbook part (" + excerpt(workbookPart) + ")");
    }

    WorkbookHandler book;
    parsePart(m_zip, path, workbookPart, book, m_unpacked);
    m_date1904 = book.date1904;
    if (book.sheets.empty()) throw damaged(path, "the workbook lists no sheets");

    const auto rels = readRelationships(m_zip, path, workbookPart, m_unpacked);
    for (const auto& s : book.sheets) {
        const Relationship* target = nullptr;
        for (const auto& r : rels)
            if (r.id == s.relId) target = &r;
        if (!target) throw damaged(path, "the sheet '" + excerpt(s.name) + "' has no part");
        m_sheets.push_back({s.name, target->target});
    }
    m_active = book.activeTab < int(m_sheets.size()) ? book.activeTab : 0;

    if (const Relationship* styles = findByType(rels, "styles")) readStyles(styles->target);
    if (const Relationship* strings = findByType(rels, "sharedStrings")) readSharedStrings(strings->target);
    if (!m_sharedStrings) m_sharedStrings = std::make_shared<const StringPool>();
}

void XlsxWorkbook::readStyles(const std::string& part) {
    if (!m_zip.contains(part)) return;  // every cell then has the General format
    StylesHandler styles;
    parsePart(m_zip, m_path, part, styles, m_unpacked);
    m_dateStyles.reserve(styles.cellFormats.size());
    for (long long id : styles.cellFormats) {
        const auto custom = styles.formats.find(id);
        const bool isDate =
            custom != styles.formats.end() ? isDateFormat(int(id), custom->second) : isBuiltInDateFormat(int(id));
        m_dateStyles.push_back(isDate);
    }
}

void XlsxWorkbook::readSharedStrings(const std::string& part) {
    // Some writers name a shared strings part they never wrote; a cell that refers to one is refused.
    if (!m_zip.contains(part)) return;
    SharedStringsHandler strings("The part " + excerpt(part) + " of '" + m_path + "'");
    parsePart(m_zip, m_path, part, strings, m_unpacked);
    m_sharedStrings = std::move(strings.strings);
}

std::unique_ptr<Sheet> XlsxWorkbook::readSheet(int index, int lastColumn) const {
    if (index < 0 || index >= sheetCount())
        throw Error(errc::kWorkbook, "'" + m_path + "' has no sheet " + std::to_string(index + 1) + " (it has " +
                                         std::to_string(sheetCount()) + ")");
    const SheetPart& s = m_sheets[std::size_t(index)];
    auto out = std::make_unique<StoredSheet>(s.name, m_sharedStrings, lastColumn);
    // Names and part names come from the file: quoted in messages, they are cut short.
    const std::string where = "The sheet '" + excerpt(s.name) + "' of '" + m_path + "'";
    SheetHandler handler(*out, m_dateStyles, m_sharedStrings->size(), m_date1904, where);
    parsePart(m_zip, m_path, s.part, handler, m_unpacked, where);
    return out;
}

}  // namespace vesk::sheet
