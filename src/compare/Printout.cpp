#include "compare/Printout.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "compare/CompareWording.h"

namespace vesk::compare {

namespace {

// Every value is written as "<decimal length>:<bytes>", counts and numbers as their decimal
// text the same way, so no byte of a cell can be taken for a separator.
constexpr std::string_view kPrintoutMagic = "vesk-orv printout 1\n";
// The fewest bytes each is written in ("0:" for an empty text, "1:0" for a number).
constexpr std::size_t kLeastRow = 6, kLeastCell = 8, kLeastSheet = 24;

class PrintoutWriter {
  public:
    void text(std::string_view value) {
        m_bytes += std::to_string(value.size());
        m_bytes += ':';
        m_bytes += value;
    }
    void number(long long value) { text(std::to_string(value)); }
    void rgb(const Rgb& c) {
        number(c.red);
        number(c.green);
        number(c.blue);
    }
    void texts(const std::vector<std::string>& values) {
        number(static_cast<long long>(values.size()));
        for (const std::string& v : values) text(v);
    }
    void rows(const std::vector<ExportSheet::Row>& values) {
        number(static_cast<long long>(values.size()));
        for (const ExportSheet::Row& row : values) {
            number(row.serial ? *row.serial : -1);
            number(static_cast<long long>(row.cells.size()));
            for (const ExportSheet::Cell& cell : row.cells) {
                text(cell.text);
                number(static_cast<int>(cell.highlight));
                number(cell.fill ? 1 : 0);
                if (cell.fill) rgb(*cell.fill);
            }
        }
    }
    std::string take() { return std::move(m_bytes); }

  private:
    std::string m_bytes{kPrintoutMagic};
};

// Reads what PrintoutWriter wrote; the first thing out of place fails the whole read, and
// no count is believed beyond the bytes left to hold it.
class PrintoutReader {
  public:
    explicit PrintoutReader(std::string_view bytes) : m_rest(bytes) {
        if (m_rest.substr(0, kPrintoutMagic.size()) != kPrintoutMagic)
            m_ok = false;
        else
            m_rest.remove_prefix(kPrintoutMagic.size());
    }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_rest.empty(); }

    std::string text() {
        if (!m_ok) return {};
        const std::size_t colon = m_rest.find(':');
        std::size_t size = 0;
        // One way of writing each length: no leading zeros.
        if (colon == std::string_view::npos || colon == 0 || colon > 12 || (colon > 1 && m_rest[0] == '0'))
            return fail();
        const auto [end, error] = std::from_chars(m_rest.data(), m_rest.data() + colon, size);
        if (error != std::errc() || end != m_rest.data() + colon || size > m_rest.size() - colon - 1) return fail();
        std::string value(m_rest.substr(colon + 1, size));
        m_rest.remove_prefix(colon + 1 + size);
        return value;
    }
    long long number(long long lowest, long long highest) {
        const std::string digits = text();
        long long value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (!m_ok || error != std::errc() || end != digits.data() + digits.size() || value < lowest ||
            value > highest || digits != std::to_string(value)) {
            fail();
            return lowest;
        }
        return value;
    }
    // A count of things each written in at least `leastBytes`: never more than the rest holds.
    std::size_t count(std::size_t leastBytes) {
        return static_cast<std::size_t>(number(0, static_cast<long long>(m_rest.size() / leastBytes)));
    }
    Rgb rgb() {
        Rgb c;
        c.red = static_cast<int>(number(0, 255));
        c.green = static_cast<int>(number(0, 255));
        c.blue = static_cast<int>(number(0, 255));
        return c;
    }
    std::vector<std::string> texts() {
        std::vector<std::string> values(count(2));
        for (std::string& v : values) v = text();
        return values;
    }
    std::vector<ExportSheet::Row> rows() {
        std::vector<ExportSheet::Row> values(count(kLeastRow));
        for (ExportSheet::Row& row : values) {
            const long long serial = number(-1, INT32_MAX);
            if (serial >= 0) row.serial = static_cast<int>(serial);
            row.cells.resize(count(kLeastCell));
            for (ExportSheet::Cell& cell : row.cells) {
                cell.text = text();
                cell.highlight = static_cast<ExportSheet::Highlight>(number(
                    static_cast<int>(ExportSheet::Highlight::None), static_cast<int>(ExportSheet::Highlight::Yellow)));
                if (number(0, 1) == 1) cell.fill = rgb();
            }
            if (!m_ok) break;
        }
        return values;
    }

  private:
    std::string fail() {
        m_ok = false;
        m_rest = {};
        return {};
    }

    std::string_view m_rest;
    bool m_ok = true;
};

}  // namespace

Printout printoutOf(const std::string& fileName, std::vector<ExportSheet> sheets, const DateTime& now) {
    Printout printout;
    const std::size_t dot = fileName.rfind('.');
    printout.documentName = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    printout.sheets = std::move(sheets);
    printout.printedAt = printedOnText(now);
    return printout;
}

std::string encodePrintout(const Printout& printout) {
    PrintoutWriter w;
    w.text(printout.documentName);
    w.text(printout.filterLine);
    w.text(printout.printedAt);
    w.number(static_cast<long long>(printout.signOffs.size()));
    for (const SignOff& s : printout.signOffs) {
        w.text(s.role);
        w.text(s.name);
        w.text(s.designation);
    }
    w.number(static_cast<long long>(printout.sheets.size()));
    for (const ExportSheet& sheet : printout.sheets) {
        w.text(sheet.sheetName);
        w.text(sheet.title);
        w.text(sheet.periodLine);
        w.number(sheet.scopeLine ? 1 : 0);
        if (sheet.scopeLine) w.text(*sheet.scopeLine);
        w.texts(sheet.headers);
        w.rows(sheet.rows);
        w.number(static_cast<long long>(sheet.sections.size()));
        for (const ExportSheet::Section& section : sheet.sections) {
            w.text(section.caption);
            w.texts(section.headers);
            w.rows(section.rows);
        }
        w.number(static_cast<long long>(sheet.legend.size()));
        for (const auto& [line, colour] : sheet.legend) {
            w.text(line);
            w.rgb(colour);
        }
        w.number(static_cast<long long>(sheet.widths.size()));
        for (const auto& [column, width] : sheet.widths) {
            w.number(column);
            w.number(std::llround(width * 10));  // in tenths of a character: one way of writing each
        }
    }
    return w.take();
}

std::optional<Printout> decodePrintout(std::string_view bytes) {
    PrintoutReader r(bytes);
    Printout printout;
    printout.documentName = r.text();
    printout.filterLine = r.text();
    printout.printedAt = r.text();
    printout.signOffs.resize(r.count(6));
    for (SignOff& s : printout.signOffs) {
        s.role = r.text();
        s.name = r.text();
        s.designation = r.text();
    }
    printout.sheets.resize(r.count(kLeastSheet));
    for (ExportSheet& sheet : printout.sheets) {
        sheet.sheetName = r.text();
        sheet.title = r.text();
        sheet.periodLine = r.text();
        if (r.number(0, 1) == 1) sheet.scopeLine = r.text();
        sheet.headers = r.texts();
        sheet.rows = r.rows();
        sheet.sections.resize(r.count(6));
        for (ExportSheet::Section& section : sheet.sections) {
            section.caption = r.text();
            section.headers = r.texts();
            section.rows = r.rows();
        }
        sheet.legend.resize(r.count(8));
        for (auto& [line, colour] : sheet.legend) {
            line = r.text();
            colour = r.rgb();
        }
        sheet.widths.resize(r.count(6));
        for (auto& [column, width] : sheet.widths) {
            column = static_cast<int>(r.number(1, 16384));
            width = static_cast<double>(r.number(0, 2550)) / 10;
        }
        if (!r.ok()) return std::nullopt;
    }
    if (!r.ok() || !r.atEnd()) return std::nullopt;
    return printout;
}

}  // namespace vesk::compare
