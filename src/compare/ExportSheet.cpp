#include "compare/ExportSheet.h"

#include <algorithm>
#include <filesystem>
#include <random>

#include "compare/CompareWording.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "sheet/WorkbookWriter.h"

namespace vesk::compare {

namespace {

namespace fs = std::filesystem;

constexpr const char* kColumnBFormat = "dd/mm/yyyy";
constexpr double kPoint = 1.0 / 72;  // margins are given in points, the page set-up takes inches

// A name in the output folder that no other export uses at the same time.
std::string temporaryBeside(const std::string& target) {
    std::random_device rd;
    const fs::path path = platform::fsPath(target);
    return platform::joinPath(platform::utf8(path.parent_path()), "." + platform::utf8(path.filename()) + "." +
                                                                      std::to_string(platform::processId()) + "." +
                                                                      std::to_string(rd() % 1000000) + ".tmp");
}

// Removes the temporary file unless it was renamed into place.
struct TemporaryFile {
    std::string path;
    bool kept = false;
    ~TemporaryFile() {
        if (!kept) {
            std::error_code ec;
            fs::remove(platform::fsPath(path), ec);
        }
    }
};

}  // namespace

void replaceWhenWritten(const std::string& path, const std::function<void(const std::string& temporary)>& write) {
    TemporaryFile temp{temporaryBeside(path)};
    write(temp.path);
    try {
        platform::replaceFile(temp.path, path, platform::Rename::Plain);
    } catch (const platform::SystemError& e) {
        throw Error(errc::kPathAccess, notSavedText(path, e.reason()));
    }
    temp.kept = true;
}

void writeTitleLines(sheet::WorkbookWriter& w, int lastColumn, const std::string& title, const std::string& periodLine,
                     const std::optional<std::string>& scopeLine) {
    sheet::CellStyle big;
    big.bold = true;
    big.fontSize = 14;
    big.centred = true;
    sheet::CellStyle line;
    line.bold = true;
    line.centred = true;
    w.mergeText(1, 1, 1, lastColumn, title, big);
    w.mergeText(2, 1, 2, lastColumn, periodLine, line);
    if (scopeLine) w.mergeText(3, 1, 3, lastColumn, *scopeLine, line);
}

void setExportPageSetup(sheet::WorkbookWriter& w, Orientation orientation, int titleLastRow) {
    sheet::PageSetup page;
    page.portrait = orientation == Orientation::Portrait;
    page.paperSize = 9;  // A4, the paper the offices print on
    page.leftMargin = page.rightMargin = 20 * kPoint;
    page.topMargin = page.bottomMargin = 30 * kPoint;
    page.centreHorizontally = true;
    page.fitPagesWide = 1;
    page.fitPagesTall = 0;
    page.titleFirstRow = 1;
    page.titleLastRow = titleLastRow;
    w.setPageSetup(page);
}

namespace {

sheet::CellStyle cellStyle(const ExportSheet::Cell& c) {
    sheet::CellStyle style;
    style.border = true;
    switch (c.highlight) {
        case ExportSheet::Highlight::Red:
            style.fillColor = palette::kDifference;
            style.fontColor = palette::kDifferenceText;
            break;
        case ExportSheet::Highlight::Yellow:
            style.fillColor = palette::kTotal;
            style.bold = true;
            break;
        case ExportSheet::Highlight::None:
            style.fillColor = c.fill;
            break;
    }
    return style;
}

// Writes lists of rows under their header rows, counting the rows for rowDone. On a grid's
// sheet (one list) column B carries a date format; its texts stay texts, as written.
class ListWriter {
  public:
    ListWriter(sheet::WorkbookWriter& w, bool datedColumnB, const std::function<void(std::size_t)>& rowDone)
        : m_w(w), m_dated(datedColumnB), m_rowDone(rowDone) {
        if (!m_dated) return;
        sheet::CellStyle columnB;
        columnB.numberFormat = kColumnBFormat;
        m_w.setColumnStyle(2, columnB);
    }

    // A header row at h and its rows under it; returns the row after the last.
    int write(int h, const std::vector<std::string>& headers, const std::vector<ExportSheet::Row>& rows) {
        sheet::CellStyle header;
        header.bold = true;
        header.border = true;
        m_w.writeText(h, 1, kSerialHeading, header);
        for (std::size_t k = 0; k < headers.size(); ++k)
            m_w.writeText(h, int(k) + 2, headers[k], styleFor(int(k) + 2, header));

        sheet::CellStyle serial;
        serial.border = true;
        serial.centred = true;
        int r = h + 1;
        for (const ExportSheet::Row& row : rows) {
            if (row.serial)
                m_w.writeNumber(r, 1, *row.serial, serial);
            else
                m_w.writeBlank(r, 1, serial);
            for (std::size_t k = 0; k < row.cells.size(); ++k)
                m_w.writeText(r, int(k) + 2, row.cells[k].text, styleFor(int(k) + 2, cellStyle(row.cells[k])));
            if (m_rowDone) m_rowDone(m_done++);
            ++r;
        }
        return r;
    }

  private:
    sheet::CellStyle styleFor(int column, sheet::CellStyle style) const {
        if (column == 2 && m_dated) style.numberFormat = kColumnBFormat;
        return style;
    }

    sheet::WorkbookWriter& m_w;
    bool m_dated;
    const std::function<void(std::size_t)>& m_rowDone;
    std::size_t m_done = 0;
};

// What the fills mean, from row r: each line a key cell in its colour and the text beside it.
void writeLegend(sheet::WorkbookWriter& w, int r, int lastColumn,
                 const std::vector<std::pair<std::string, Rgb>>& legend) {
    for (const auto& [text, colour] : legend) {
        sheet::CellStyle key;
        key.border = true;
        key.fillColor = colour;
        w.writeBlank(r, 1, key);
        w.mergeText(r, 2, r, lastColumn, text);  // merged, so it does not widen column B
        ++r;
    }
}

}  // namespace

void writeExportSheet(const ExportSheet& s, const std::string& path, const std::function<void(std::size_t)>& rowDone) {
    std::size_t columns = s.headers.size();
    for (const ExportSheet::Section& section : s.sections) columns = std::max(columns, section.headers.size());
    const int lastColumn = int(columns) + 1;
    const bool sectioned = !s.sections.empty();
    const int h = s.headerRow();
    replaceWhenWritten(path, [&](const std::string& temporary) {
        sheet::WorkbookWriter w(temporary, s.sheetName);
        writeTitleLines(w, lastColumn, s.title, s.periodLine, s.scopeLine);
        ListWriter lists(w, !sectioned, rowDone);
        if (!sectioned) {
            writeLegend(w, lists.write(h, s.headers, s.rows) + 1, lastColumn, s.legend);
        } else {
            sheet::CellStyle caption;
            caption.bold = true;
            int r = h;
            for (const ExportSheet::Section& section : s.sections) {
                w.mergeText(r, 1, r, lastColumn, section.caption, caption);
                r = lists.write(r + 1, section.headers, section.rows) + 1;
            }
            writeLegend(w, r, lastColumn, s.legend);
        }
        w.fitColumnsToContents();
        for (const auto& [column, width] : s.widths) w.setColumnWidth(column, width);
        // Only the title lines repeat on a sheet of several lists; a grid's header row too.
        setExportPageSetup(w, Orientation::Portrait, sectioned ? h - 1 : h);
        w.save();
    });
}

}  // namespace vesk::compare
