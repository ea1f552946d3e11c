#include "compare/ExportSheet.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "compare/CompareWording.h"
#include "core/Error.h"
#include "sheet/WorkbookWriter.h"

namespace vesk::compare {

namespace {

namespace fs = std::filesystem;

constexpr const char* kColumnBFormat = "dd/mm/yyyy";
constexpr double kPoint = 1.0 / 72;  // margins are given in points, the page set-up takes inches

// A name in the output folder that no other export uses at the same time.
std::string temporaryBeside(const fs::path& target) {
    std::random_device rd;
    return (target.parent_path() / ("." + target.filename().string() + "." + std::to_string(getpid()) + "." +
                                    std::to_string(rd() % 1000000) + ".tmp"))
        .string();
}

// Removes the temporary file unless it was renamed into place.
struct TemporaryFile {
    std::string path;
    bool kept = false;
    ~TemporaryFile() {
        if (!kept) {
            std::error_code ec;
            fs::remove(path, ec);
        }
    }
};

}  // namespace

void replaceWhenWritten(const std::string& path, const std::function<void(const std::string& temporary)>& write) {
    TemporaryFile temp{temporaryBeside(fs::path(path))};
    write(temp.path);
    std::error_code ec;
    fs::rename(temp.path, path, ec);
    if (ec) throw Error(errc::kPathAccess, notSavedText(path, ec.message()));
    temp.kept = true;
}

void writeExportSheet(const ExportSheet& s, const std::string& path, const std::function<void(std::size_t)>& rowDone) {
    std::size_t columns = s.headers.size();
    for (const ExportSheet::Section& section : s.sections) columns = std::max(columns, section.headers.size());
    const int lastColumn = int(columns) + 1;
    const bool sectioned = !s.sections.empty();
    replaceWhenWritten(path, [&](const std::string& temporary) {
        sheet::WorkbookWriter w(temporary, s.sheetName);

        sheet::CellStyle title;
        title.bold = true;
        title.fontSize = 14;
        title.centred = true;
        w.mergeText(1, 1, 1, lastColumn, s.title, title);
        sheet::CellStyle line;
        line.bold = true;
        line.centred = true;
        w.mergeText(2, 1, 2, lastColumn, s.periodLine, line);
        if (s.scopeLine) w.mergeText(3, 1, 3, lastColumn, *s.scopeLine, line);

        // Column B of a grid's sheet carries a date format; its texts stay texts, as written.
        sheet::CellStyle columnB;
        columnB.numberFormat = kColumnBFormat;
        if (!sectioned) w.setColumnStyle(2, columnB);
        auto styleFor = [sectioned](int column, sheet::CellStyle style) {
            if (column == 2 && !sectioned) style.numberFormat = kColumnBFormat;
            return style;
        };

        // A header row at h and its rows under it; returns the row after the last.
        std::size_t done = 0;
        auto writeList = [&](int h, const std::vector<std::string>& headers,
                             const std::vector<ExportSheet::Row>& rows) {
            sheet::CellStyle header;
            header.bold = true;
            header.border = true;
            w.writeText(h, 1, kSerialHeading, header);
            for (std::size_t k = 0; k < headers.size(); ++k)
                w.writeText(h, int(k) + 2, headers[k], styleFor(int(k) + 2, header));

            sheet::CellStyle serial;
            serial.border = true;
            serial.centred = true;
            int r = h + 1;
            for (std::size_t i = 0; i < rows.size(); ++i, ++r) {
                const ExportSheet::Row& row = rows[i];
                if (row.serial)
                    w.writeNumber(r, 1, *row.serial, serial);
                else
                    w.writeBlank(r, 1, serial);
                for (std::size_t k = 0; k < row.cells.size(); ++k) {
                    sheet::CellStyle cell;
                    cell.border = true;
                    switch (row.cells[k].highlight) {
                        case ExportSheet::Highlight::Red:
                            cell.fillColor = palette::kDifference;
                            cell.fontColor = palette::kDifferenceText;
                            break;
                        case ExportSheet::Highlight::Yellow:
                            cell.fillColor = palette::kTotal;
                            cell.bold = true;
                            break;
                        case ExportSheet::Highlight::None:
                            cell.fillColor = row.cells[k].fill;
                            break;
                    }
                    w.writeText(r, int(k) + 2, row.cells[k].text, styleFor(int(k) + 2, cell));
                }
                if (rowDone) rowDone(done++);
            }
            return r;
        };

        const int h = s.headerRow();
        if (!sectioned) {
            int r = writeList(h, s.headers, s.rows) + 1;
            for (const auto& [text, colour] : s.legend) {
                sheet::CellStyle key;
                key.border = true;
                key.fillColor = colour;
                w.writeBlank(r, 1, key);
                w.mergeText(r, 2, r, lastColumn, text);  // merged, so it does not widen column B
                ++r;
            }
        } else {
            sheet::CellStyle caption;
            caption.bold = true;
            int r = h;
            for (const ExportSheet::Section& section : s.sections) {
                w.mergeText(r, 1, r, lastColumn, section.caption, caption);
                r = writeList(r + 1, section.headers, section.rows) + 1;
            }
        }

        w.fitColumnsToContents();
        sheet::PageSetup page;
        page.titleFirstRow = 1;
        page.titleLastRow = sectioned ? h - 1 : h;
        page.portrait = true;
        page.paperSize = 9;
        page.leftMargin = 20 * kPoint;
        page.rightMargin = 20 * kPoint;
        page.topMargin = 30 * kPoint;
        page.bottomMargin = 30 * kPoint;
        page.centreHorizontally = true;
        page.fitPagesWide = 1;
        page.fitPagesTall = 0;
        w.setPageSetup(page);
        w.save();
    });
}

}  // namespace vesk::compare
