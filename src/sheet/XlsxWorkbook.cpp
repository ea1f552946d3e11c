#include "sheet/XlsxWorkbook.h"

#include <charconv>
#include <cstring>
#include <functional>
#include <map>

#include "core/Error.h"
#include "core/Text.h"
#include "sheet/NumberFormat.h"
#include "sheet/SheetRows.h"
#include "sheet/StoredSheet.h"
#include "sheet/WorksheetScanner.h"
#include "sheet/XmlParser.h"

namespace vesk::sheet {

namespace {

Error damaged(const std::string& path, const std::string& why) {
    return Error(errc::kWorkbook, "'" + path + "' is damaged: " + why);
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Inflates a part piece by piece, counting what it unpacks against the workbook's budget.
void streamPart(const ZipArchive& zip, const std::string& path, const std::string& part, std::uint64_t& unpacked,
                const std::function<void(const char*, std::size_t)>& sink) {
    zip.stream(part, [&](const char* data, std::size_t size) {
        unpacked += size;
        if (unpacked > Workbook::kMaxUnpackedBytes)
            throw Error(errc::kWorkbook, "'" + path + "' unpacks to more than " +
                                             std::to_string(Workbook::kMaxUnpackedBytes >> 30) +
                                             " GB, more than this program reads in one workbook");
        sink(data, size);
    });
}

// Parses the whole of a part through a handler.
void parsePart(const ZipArchive& zip, const std::string& path, const std::string& part, XmlHandler& handler,
               std::uint64_t& unpacked, const std::string& what = {}) {
    XmlParser parser(handler, what.empty() ? "The part " + excerpt(part) + " of '" + path + "'" : what);
    streamPart(zip, path, part, unpacked, [&](const char* data, std::size_t size) { parser.feed(data, size); });
    parser.finish();
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

}  // namespace

XlsxWorkbook::XlsxWorkbook(const std::string& path) : m_path(path), m_zip(path) { readPackage(); }

XlsxWorkbook::XlsxWorkbook(std::string name, std::shared_ptr<const std::string> bytes)
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

const std::string& XlsxWorkbook::sheetPart(int index) const {
    if (index < 0 || index >= sheetCount())
        throw Error(errc::kWorkbook, "'" + m_path + "' has no sheet " + std::to_string(index + 1) + " (it has " +
                                         std::to_string(sheetCount()) + ")");
    return m_sheets[std::size_t(index)].part;
}

// Names come from the file: quoted in messages, they are cut short.
WorksheetContext XlsxWorkbook::sheetContext(int index) const {
    return {&m_dateStyles, m_sharedStrings->size(), m_date1904,
            "The sheet '" + excerpt(m_sheets[std::size_t(index)].name) + "' of '" + m_path + "'"};
}

// Through the scanner first; what it leaves to the general parser is read again by that.
std::unique_ptr<Sheet> XlsxWorkbook::readSheet(int index, int lastColumn) const {
    const std::string& part = sheetPart(index);
    const WorksheetContext context = sheetContext(index);
    const std::string& name = m_sheets[std::size_t(index)].name;
    const std::uint64_t unpacked = m_unpacked;
    try {
        auto out = std::make_unique<StoredSheet>(name, m_sharedStrings, lastColumn);
        WorksheetReader reader(*out, context);
        WorksheetScanner scanner(reader);
        streamPart(m_zip, m_path, part, m_unpacked,
                   [&](const char* data, std::size_t size) { scanner.feed(data, size); });
        scanner.finish();
        return out;
    } catch (const ScanDeclined&) {
        m_unpacked = unpacked;
    }
    auto out = std::make_unique<StoredSheet>(name, m_sharedStrings, lastColumn);
    WorksheetReader reader(*out, context);
    WorksheetHandler handler(reader);
    parsePart(m_zip, m_path, part, handler, m_unpacked, context.where);
    return out;
}

bool XlsxWorkbook::streamRows(int index, int lastColumn, RowSink& sink) const {
    const std::string& part = sheetPart(index);
    const WorksheetContext context = sheetContext(index);
    const std::uint64_t unpacked = m_unpacked;
    try {
        RowBuilder rows(sink, lastColumn, m_sharedStrings.get());
        WorksheetReader reader(rows, context);
        WorksheetScanner scanner(reader);
        streamPart(m_zip, m_path, part, m_unpacked,
                   [&](const char* data, std::size_t size) { scanner.feed(data, size); });
        scanner.finish();
        rows.flush();
        return true;
    } catch (const ScanDeclined&) {
    } catch (const RowsOutOfOrder&) {
    }
    m_unpacked = unpacked;  // sheet() reads it again from its start
    return false;
}

}  // namespace vesk::sheet
