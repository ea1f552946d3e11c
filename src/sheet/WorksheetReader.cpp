#include "sheet/WorksheetReader.h"

#include <charconv>
#include <cmath>

#include "core/Text.h"
#include "sheet/SerialDate.h"
#include "sheet/StoredSheet.h"

namespace vesk::sheet {

namespace {

// "B12" -> column 2, row 12; false when it is not a cell reference inside the sheet's limits.
bool parseReference(std::string_view ref, int& row, int& column) {
    int c = 0;
    std::size_t i = 0;
    for (; i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z')); ++i) {
        c = c * 26 + ((ref[i] | 0x20) - 'a' + 1);
        if (c > StoredSheet::kMaxColumns) return false;
    }
    if (i == 0) return false;
    i += i < ref.size() && ref[i] == '$' ? 1 : 0;
    long long r = 0;
    if (!parseInt(ref.substr(i), r) || r < 1 || r > StoredSheet::kMaxRows) return false;
    row = int(r);
    column = c;
    return true;
}

}  // namespace

std::optional<std::string_view> attributeValue(XmlAttributes attributes, std::string_view name) {
    for (const XmlAttribute& a : attributes)
        if (localName(a.name) == name) return a.value;
    return std::nullopt;
}

WorksheetReader::WorksheetReader(CellSink& sink, const WorksheetContext& context) : m_sink(sink), m_context(context) {}

Error WorksheetReader::bad(const std::string& what) const {
    return Error(errc::kWorkbook, m_context.where + " holds " + what);
}

std::string WorksheetReader::reference() const { return columnLetters(m_column) + std::to_string(m_row); }

void WorksheetReader::startElement(std::string_view name, XmlAttributes attributes) {
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
        startRow(attributes);
    } else if (name == "c") {
        startCell(attributes);
    }
}

void WorksheetReader::endElement(std::string_view name) {
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

void WorksheetReader::characters(std::string_view text) {
    if (m_inValue) {
        m_value.append(text);
        if (overCellLimit(m_value)) throw bad("in cell " + reference() + " " + overLimitText());
    } else if (m_inInline) {
        m_inline.text(text);
        if (m_inline.tooLong()) throw bad("in cell " + reference() + " " + overLimitText());
    }
}

void WorksheetReader::startRow(XmlAttributes attributes) {
    const std::optional<std::string_view> r = attributeValue(attributes, "r");
    long long number = m_row + 1;
    if (r && !parseInt(*r, number)) throw bad("a row numbered '" + excerpt(*r) + "'");
    if (number < 1 || number > StoredSheet::kMaxRows)
        throw bad("a row numbered " + std::to_string(number) + ", outside the sheet");
    m_row = int(number);
    m_column = 0;
}

void WorksheetReader::startCell(XmlAttributes attributes) {
    if (const std::optional<std::string_view> ref = attributeValue(attributes, "r")) {
        if (!parseReference(*ref, m_row, m_column)) throw bad("a cell at '" + excerpt(*ref) + "'");
    } else {
        if (m_row == 0) throw bad("a cell outside any row");
        if (++m_column > StoredSheet::kMaxColumns) throw bad("a cell beyond the last column");
    }
    static constexpr std::pair<std::string_view, Type> kTypes[] = {
        {"n", Type::Number},    {"s", Type::Shared},  {"inlineStr", Type::Inline},
        {"str", Type::Formula}, {"b", Type::Boolean}, {"e", Type::Error},
        {"d", Type::Date}};
    const std::string_view type = attributeValue(attributes, "t").value_or("n");
    m_type = Type::Unknown;
    for (const auto& [name, known] : kTypes)
        if (type == name) m_type = known;
    if (m_type == Type::Unknown) m_unknownType.assign(type);
    m_style = -1;
    if (const std::optional<std::string_view> s = attributeValue(attributes, "s")) {
        long long style = 0;
        if (parseInt(*s, style) && style >= 0 && style < (1 << 30)) m_style = int(style);
    }
    m_value.clear();
    m_inCell = true;
}

void WorksheetReader::endCell() {
    m_inCell = m_inValue = m_inInline = false;
    const int row = m_row, column = m_column;
    switch (m_type) {
        case Type::Inline:
            m_sink.setText(row, column, m_inline.take());
            return;
        case Type::Shared: {
            if (m_value.empty()) return;
            long long index = -1;
            if (!parseInt(m_value, index) || index < 0 || std::size_t(index) >= m_context.sharedStrings)
                throw bad("in cell " + reference() + " a shared string index '" + excerpt(m_value) +
                          "' that does not exist");
            m_sink.setSharedText(row, column, std::uint32_t(index));
            return;
        }
        case Type::Formula:
            decodeEscapes(m_value);
            m_sink.setText(row, column, m_value);
            return;
        case Type::Boolean:
            if (m_value.empty()) return;
            if (m_value == "1" || m_value == "true")
                m_sink.setBoolean(row, column, true);
            else if (m_value == "0" || m_value == "false")
                m_sink.setBoolean(row, column, false);
            else
                throw bad("in cell " + reference() + " an unreadable boolean '" + excerpt(m_value) + "'");
            return;
        case Type::Error:
            m_sink.setError(row, column, m_value);
            return;
        case Type::Date: {
            if (m_value.empty()) return;
            auto date = cellDateText(m_value);
            if (!date) throw bad("in cell " + reference() + " an unreadable date '" + excerpt(m_value) + "'");
            m_sink.setDate(row, column, *date);
            return;
        }
        case Type::Number:
            if (m_value.empty()) return;  // a formatted blank
            setNumber(row, column);
            return;
        case Type::Unknown:
            break;
    }
    throw bad("in cell " + reference() + " an unknown cell type '" + excerpt(m_unknownType) + "'");
}

void WorksheetReader::setNumber(int row, int column) {
    std::string_view text = m_value;
    while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(v))
        throw bad("in cell " + reference() + " an unreadable number '" + excerpt(m_value) + "'");
    const std::vector<bool>* dates = m_context.dateStyles;
    if (dates && m_style >= 0 && std::size_t(m_style) < dates->size() && (*dates)[std::size_t(m_style)]) {
        if (auto date = serialToDate(v, m_context.date1904)) {
            m_sink.setDate(row, column, *date);
            return;
        }
    }
    m_sink.setNumber(row, column, v);
}

void WorksheetHandler::startElement(std::string_view name, const char** attributes) {
    m_attributes.clear();
    for (const char** a = attributes; *a; a += 2) m_attributes.push_back({a[0], a[1]});
    m_reader.startElement(name, m_attributes);
}

void parseWorksheet(std::string_view xml, WorksheetReader& reader, const WorksheetContext& context) {
    WorksheetHandler handler(reader);
    XmlParser parser(handler, context.where);
    parser.feed(xml.data(), xml.size());
    parser.finish();
}

}  // namespace vesk::sheet
