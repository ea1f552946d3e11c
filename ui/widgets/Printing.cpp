#include "widgets/Printing.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "compare/CompareWording.h"
#include "compare/ExportSheet.h"
#include "core/Amount.h"
#include "core/Error.h"
#include "widgets/QtPrompter.h"

namespace vesk::gui {

namespace {

using compare::ExportSheet;

constexpr qreal kPageMarginMm = 15;
// A column wider than this many characters wraps its words rather than widen the list.
constexpr qreal kWrapChars = 45;
// A printer's glyphs come out a little wider than the same font measures: the cells leave room.
constexpr qreal kWidthSlack = 1.06;

enum class CellAlign { Left, Centre, Right };

struct PrintedCell {
    QString text;
    bool bold = false;
    std::optional<QColor> fill;
    QColor ink = Qt::black;
};

struct PrintedTable {
    QString caption;  // none over a sheet's one list
    std::vector<PrintedCell> headers;
    std::vector<std::vector<PrintedCell>> rows;
    std::vector<CellAlign> align;
    std::vector<qreal> widths;
    std::vector<qreal> heights;                        // by row, the header's first
    std::vector<std::vector<int>> panes;               // the columns of each page across
    std::size_t keyCount = 0;                          // the columns repeated on the further pages
    std::vector<std::pair<std::size_t, qreal>> roomy;  // columns given a width, in characters
};

struct PrintedSheet {
    std::vector<QString> titleLines;  // the title, the period, the scope and the filter
    std::vector<PrintedTable> tables;
    std::vector<std::pair<QString, QColor>> legend;
};

PrintedCell headingCell(const QString& text) {
    PrintedCell cell;
    cell.text = text;
    cell.bold = true;
    return cell;
}

QColor printColour(const Rgb& rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// "-1234.50" or "1,234.50": what the sheets hold in an amount's cell.
bool isAmountText(const std::string& text) {
    std::size_t i = text.starts_with('-') ? 1 : 0;
    const std::size_t point = text.find('.');
    if (point == std::string::npos || point == i || text.size() != point + 3) return false;
    for (std::size_t k = i; k < text.size(); ++k)
        if (k != point && !std::isdigit(static_cast<unsigned char>(text[k])) && text[k] != ',') return false;
    return std::isdigit(static_cast<unsigned char>(text[point + 1])) &&
           std::isdigit(static_cast<unsigned char>(text[point + 2]));
}

std::string groupedAmount(std::string text) {
    std::erase(text, ',');
    return formatAmount(std::strtod(text.c_str(), nullptr), Grouping::Thousands);
}

PrintedCell printedCell(const ExportSheet::Cell& c) {
    PrintedCell cell;
    cell.text = QString::fromStdString(c.text);
    switch (c.highlight) {
        case ExportSheet::Highlight::Red:
            cell.fill = printColour(palette::kDifference);
            cell.ink = printColour(palette::kDifferenceText);
            break;
        case ExportSheet::Highlight::Yellow:
            cell.fill = printColour(palette::kTotal);
            cell.bold = true;
            break;
        case ExportSheet::Highlight::None:
            if (c.fill) cell.fill = printColour(*c.fill);
            break;
    }
    return cell;
}

// The list as its workbook lays it out: "Sl.No" first (left out of a list whose rows have no
// serials, as the statement's), then the sheet's columns; a column whose every filled cell is
// an amount is right-aligned and grouped.
PrintedTable printedTable(const std::string& caption, const std::vector<std::string>& headers,
                          const std::vector<ExportSheet::Row>& rows,
                          const std::vector<std::pair<int, double>>& widths) {
    std::size_t columns = headers.size();
    for (const ExportSheet::Row& row : rows) columns = std::max(columns, row.cells.size());
    const bool serials =
        rows.empty() || std::any_of(rows.begin(), rows.end(), [](const ExportSheet::Row& r) { return r.serial; });
    const std::size_t first = serials ? 1 : 0;
    PrintedTable t;
    t.caption = QString::fromStdString(caption);
    if (serials) t.headers.push_back(headingCell(compare::kSerialHeading));
    for (std::size_t c = 0; c < columns; ++c)
        t.headers.push_back(headingCell(c < headers.size() ? QString::fromStdString(headers[c]) : QString()));
    t.align.assign(columns + first, CellAlign::Left);
    if (serials) t.align[0] = CellAlign::Centre;
    // A width the sheet gives a column (1 being its Sl.No) is room to write in: paper keeps it.
    for (const auto& [column, chars] : widths) {
        const long at = long(column) - 2 + long(first);
        if (at >= 0 && std::size_t(at) < columns + first) t.roomy.emplace_back(std::size_t(at), chars);
    }
    for (std::size_t c = 0; c < columns; ++c) {
        bool amounts = false, others = false;
        for (const ExportSheet::Row& row : rows) {
            if (c >= row.cells.size() || row.cells[c].text.empty()) continue;
            (isAmountText(row.cells[c].text) ? amounts : others) = true;
        }
        if (amounts && !others) t.align[c + first] = CellAlign::Right;
    }
    for (const ExportSheet::Row& row : rows) {
        std::vector<PrintedCell> cells(columns + first);
        if (row.serial) cells[0].text = QString::number(*row.serial);
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            cells[c + first] = printedCell(row.cells[c]);
            if (t.align[c + first] == CellAlign::Right && !row.cells[c].text.empty())
                cells[c + first].text = QString::fromStdString(groupedAmount(row.cells[c].text));
        }
        t.rows.push_back(std::move(cells));
    }
    return t;
}

PrintedSheet printedSheet(const ExportSheet& s, const std::string& filterLine) {
    PrintedSheet p;
    p.titleLines.push_back(QString::fromStdString(s.title));
    p.titleLines.push_back(QString::fromStdString(s.periodLine));
    if (s.scopeLine) p.titleLines.push_back(QString::fromStdString(*s.scopeLine));
    if (!filterLine.empty()) p.titleLines.push_back(QString::fromStdString(filterLine));
    if (s.sections.empty())
        p.tables.push_back(printedTable({}, s.headers, s.rows, s.widths));
    else
        for (const ExportSheet::Section& section : s.sections)
            p.tables.push_back(printedTable(section.caption, section.headers, section.rows, s.widths));
    for (const auto& [text, colour] : s.legend)
        p.legend.emplace_back(QString::fromStdString(text), printColour(colour));
    return p;
}

// Lays out, then paints (or with no painter only counts) the pages: the same walk both times,
// so the count the feet name is the count painted.
class PrintoutPages {
  public:
    PrintoutPages(QPagedPaintDevice& device, const compare::Printout& printout, const LeadPage& lead)
        : m_device(device),
          m_printout(printout),
          m_lead(lead),
          m_text("Sans Serif", 9),
          m_big("Sans Serif", 13, QFont::Bold) {
        m_bold = m_text;
        m_bold.setBold(true);
        for (const ExportSheet& s : printout.sheets) m_sheets.push_back(printedSheet(s, printout.filterLine));
        setPage(QPageLayout::Portrait);
        const QFontMetricsF text(m_text, &m_device);
        m_line = text.height();
        m_pad = text.averageCharWidth() * 0.6;
        m_rowPad = m_line * 0.4;
        qreal widest = 0;
        for (PrintedSheet& s : m_sheets)
            for (PrintedTable& t : s.tables) {
                measure(t);
                qreal width = 0;
                for (qreal w : t.widths) width += w;
                widest = std::max(widest, width);
            }
        if (widest > m_width) setPage(QPageLayout::Landscape);
        for (PrintedSheet& s : m_sheets)
            for (PrintedTable& t : s.tables) {
                splitColumns(t);
                for (std::size_t r = 0; r <= t.rows.size(); ++r) t.heights.push_back(rowHeight(t, r));
            }
    }

    int walk(QPainter* painter, int pages) {
        m_painter = painter;
        m_pages = pages;
        m_page = 0;
        if (m_lead) {
            ++m_page;
            if (m_painter) {
                m_painter->save();
                m_lead(*m_painter, QRectF(0, 0, m_width, bottom()));
                m_painter->restore();
            }
        }
        for (std::size_t s = 0; s < m_sheets.size(); ++s) {
            m_sheet = &m_sheets[s];
            if (s > 0 || m_lead) endPage();
            if (m_painter && (s > 0 || m_lead) && !m_device.newPage())
                throw Error(errc::kPathAccess, compare::kPrintoutNotPrinted);
            startPage();
            for (const PrintedTable& t : m_sheet->tables) table(t);
            legend();
        }
        if (m_sheets.empty() && !m_lead) startPage();
        signOffs();
        endPage();
        return m_page;
    }

  private:
    void setPage(QPageLayout::Orientation orientation) {
        const QPageLayout layout(QPageSize(QPageSize::A4), orientation,
                                 QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                                 QPageLayout::Millimeter);
        if (!m_device.setPageLayout(layout)) throw Error(errc::kPathAccess, compare::kPrintoutNotPrinted);
        const QRectF page = m_device.pageLayout().paintRectPixels(m_device.logicalDpiX());
        m_width = page.width();
        m_height = page.height();
    }

    const QFont& fontOf(const PrintedCell& cell) const { return cell.bold ? m_bold : m_text; }

    qreal advance(const QFont& font, const QString& text) const {
        return QFontMetricsF(font, &m_device).horizontalAdvance(text) * kWidthSlack;
    }

    // The text's lines within `width`, broken between words, or inside a word longer than
    // the width: nothing is left out.
    QStringList wrapped(const QString& text, const QFont& font, qreal width) const {
        width += 0.5;  // a column measured to its widest text keeps it on one line, rounding apart
        QStringList lines;
        for (const QString& paragraph : text.split('\n')) {
            QString line;
            for (const QString& word : paragraph.split(' ')) {
                const QString joined = line.isEmpty() ? word : line + ' ' + word;
                if (advance(font, joined) <= width || (line.isEmpty() && word.isEmpty())) {
                    line = joined;
                    continue;
                }
                if (!line.isEmpty()) lines << line;
                line.clear();
                for (const QChar ch : word) {
                    if (!line.isEmpty() && advance(font, line + ch) > width) {
                        lines << line;
                        line.clear();
                    }
                    line += ch;
                }
            }
            lines << line;
        }
        return lines;
    }

    void measure(PrintedTable& t) const {
        const qreal cap = QFontMetricsF(m_text, &m_device).averageCharWidth() * kWrapChars;
        t.widths.assign(t.headers.size(), 0);
        const auto widen = [&](const std::vector<PrintedCell>& cells) {
            for (std::size_t c = 0; c < cells.size() && c < t.widths.size(); ++c)
                for (const QString& piece : cells[c].text.split('\n'))
                    t.widths[c] = std::max(t.widths[c], std::min(cap, advance(fontOf(cells[c]), piece)));
        };
        widen(t.headers);
        for (const std::vector<PrintedCell>& cells : t.rows) widen(cells);
        for (qreal& w : t.widths) w += 2 * m_pad;
        const qreal character = QFontMetricsF(m_text, &m_device).averageCharWidth();
        for (const auto& [column, chars] : t.roomy) t.widths[column] = std::max(t.widths[column], chars * character);
    }

    const std::vector<PrintedCell>& rowOf(const PrintedTable& t, std::size_t r) const {
        return r == 0 ? t.headers : t.rows[r - 1];
    }

    qreal rowHeight(const PrintedTable& t, std::size_t r) const {
        qsizetype lines = 1;
        const std::vector<PrintedCell>& cells = rowOf(t, r);
        for (std::size_t c = 0; c < cells.size(); ++c)
            lines = std::max(lines, wrapped(cells[c].text, fontOf(cells[c]), t.widths[c] - 2 * m_pad).size());
        return qreal(lines) * m_line + m_rowPad;
    }

    // The columns of each page across: all on one when they fit, else the first columns, then
    // the rest with the first column (and the second, the list's own first, when narrow) again.
    void splitColumns(PrintedTable& t) const {
        qreal all = 0;
        for (qreal w : t.widths) all += w;
        std::vector<int> keys{0};
        if (all > m_width && t.widths.size() > 2 && t.widths[0] + t.widths[1] < m_width * 0.4) keys.push_back(1);
        int next = 0;
        const int count = int(t.widths.size());
        while (next < count) {
            std::vector<int> pane = next == 0 ? std::vector<int>{} : keys;
            qreal used = 0;
            for (int k : pane) used += t.widths[std::size_t(k)];
            const std::size_t fixed = pane.size();
            while (next < count && (pane.size() == fixed || used + t.widths[std::size_t(next)] <= m_width)) {
                used += t.widths[std::size_t(next)];
                pane.push_back(next++);
            }
            t.panes.push_back(std::move(pane));
        }
        t.keyCount = keys.size();
    }

    qreal bottom() const { return m_height - m_line * 1.8; }

    void startPage() {
        ++m_page;
        m_y = 0;
        m_top = true;
        bool first = true;
        for (const QString& text : m_sheet ? m_sheet->titleLines : std::vector<QString>{}) {
            centred(text, first ? m_big : m_bold);
            first = false;
        }
        m_y += m_line * 0.6;
    }

    void endPage() {
        if (m_painter) {
            m_painter->setFont(m_text);
            const QRectF foot(0, m_height - m_line, m_width, m_line);
            m_painter->drawText(foot, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                                QString::fromStdString(compare::printPageText(m_page, m_pages)));
            m_painter->drawText(foot, Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
                                QString::fromStdString(m_printout.printedAt));
        }
    }

    void nextPage() {
        endPage();
        if (m_painter && !m_device.newPage()) throw Error(errc::kPathAccess, compare::kPrintoutNotPrinted);
        startPage();
    }

    void centred(const QString& text, const QFont& font) {
        const qreal height = QFontMetricsF(font, &m_device).height();
        for (const QString& line : wrapped(text, font, m_width)) {
            if (m_painter) {
                m_painter->setFont(font);
                m_painter->drawText(QRectF(0, m_y, m_width, height), Qt::AlignCenter | Qt::TextDontClip, line);
            }
            m_y += height;
        }
    }

    void leftLine(const QString& text, const QFont& font) {
        for (const QString& line : wrapped(text, font, m_width)) {
            if (m_painter) {
                m_painter->setFont(font);
                m_painter->drawText(QRectF(0, m_y, m_width, m_line),
                                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, line);
            }
            m_y += m_line;
        }
    }

    void cells(const PrintedTable& t, std::size_t r, const std::vector<int>& columns) {
        const qreal height = t.heights[r];
        if (m_painter) {
            const std::vector<PrintedCell>& row = rowOf(t, r);
            qreal x = 0;
            for (int c : columns) {
                const std::size_t k = std::size_t(c);
                const qreal width = t.widths[k];
                const QRectF box(x, m_y, width, height);
                const PrintedCell& cell = row[k];
                if (r == 0)
                    m_painter->fillRect(box, QColor(230, 230, 230));
                else if (cell.fill)
                    m_painter->fillRect(box, *cell.fill);
                m_painter->setPen(QPen(Qt::black, 0));
                m_painter->drawRect(box);
                m_painter->setFont(fontOf(cell));
                m_painter->setPen(cell.ink);
                const Qt::Alignment align = r == 0 && t.align[k] != CellAlign::Right ? Qt::AlignLeft
                                            : t.align[k] == CellAlign::Right         ? Qt::AlignRight
                                            : t.align[k] == CellAlign::Centre        ? Qt::AlignHCenter
                                                                                     : Qt::AlignLeft;
                qreal y = m_y + m_rowPad / 2;
                for (const QString& line : wrapped(cell.text, fontOf(cell), width - 2 * m_pad)) {
                    m_painter->drawText(QRectF(x + m_pad, y, width - 2 * m_pad, m_line),
                                        align | Qt::AlignVCenter | Qt::TextDontClip, line);
                    y += m_line;
                }
                m_painter->setPen(QPen(Qt::black, 0));
                x += width;
            }
        }
        m_y += height;
        m_top = false;
    }

    // The caption and the header row: at the list's start and again on each page it runs onto.
    void head(const PrintedTable& t, const std::vector<int>& columns) {
        if (!t.caption.isEmpty()) leftLine(t.caption, m_bold);
        cells(t, 0, columns);
    }

    qreal headHeight(const PrintedTable& t) const { return (t.caption.isEmpty() ? 0 : m_line) + t.heights[0]; }

    void table(const PrintedTable& t) {
        if (!m_top) m_y += m_line * 0.6;
        const qreal first = t.rows.empty() ? 0 : t.heights[1];
        if (t.panes.size() == 1) {
            if (!m_top && m_y + headHeight(t) + first > bottom()) nextPage();
            head(t, t.panes[0]);
            for (std::size_t r = 1; r <= t.rows.size(); ++r) {
                if (m_y + t.heights[r] > bottom()) {
                    nextPage();
                    head(t, t.panes[0]);
                }
                cells(t, r, t.panes[0]);
            }
            return;
        }
        // Too wide for the page: each run of rows is printed once per page across, its further
        // columns on the pages after it.
        if (!m_top) nextPage();
        const int count = int(t.widths.size());
        std::size_t r = 1;
        do {
            const int firstPage = m_page;
            std::size_t end = r;
            for (std::size_t p = 0; p < t.panes.size(); ++p) {
                const std::vector<int>& pane = t.panes[p];
                if (p > 0) nextPage();
                const int firstOwn = pane[p == 0 ? 0 : t.keyCount] + 1;
                leftLine(QString::fromStdString(
                             compare::printColumnsText(firstOwn, pane.back() + 1, count, p == 0 ? 0 : firstPage)),
                         m_text);
                head(t, pane);
                std::size_t k = r;
                while (k <= t.rows.size() && (k == r || m_y + t.heights[k] <= bottom())) cells(t, k++, pane);
                if (p == 0) end = k;
            }
            r = end;
            if (r <= t.rows.size()) nextPage();
        } while (r <= t.rows.size());
    }

    void legend() {
        if (m_sheet->legend.empty()) return;
        m_y += m_line * 0.6;
        for (const auto& [text, colour] : m_sheet->legend) {
            // A white line has no colour to explain: its text alone.
            const qreal key = colour == Qt::white ? -m_pad : m_line * 0.8;
            const QStringList lines = wrapped(text, m_text, m_width - key - 2 * m_pad);
            if (m_y + m_line * qreal(lines.size()) > bottom()) nextPage();
            if (m_painter) {
                if (key > 0) {
                    m_painter->fillRect(QRectF(0, m_y + (m_line - key) / 2, key, key), colour);
                    m_painter->drawRect(QRectF(0, m_y + (m_line - key) / 2, key, key));
                }
                m_painter->setFont(m_text);
                qreal y = m_y;
                for (const QString& line : lines) {
                    m_painter->drawText(QRectF(key + m_pad, y, m_width - key - m_pad, m_line),
                                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, line);
                    y += m_line;
                }
            }
            m_y += m_line * qreal(lines.size());
            m_top = false;
        }
    }

    // A column for each signature, kept whole on the last page.
    void signOffs() {
        const std::vector<compare::SignOff>& block = m_printout.signOffs;
        if (block.empty()) return;
        const qreal width = m_width / qreal(block.size());
        std::vector<std::vector<std::pair<QString, bool>>> columns;
        qsizetype tallest = 0;
        for (const compare::SignOff& s : block) {
            const auto filled = [](const std::string& value) { return value.empty() ? compare::kSignOffBlank : value; };
            std::vector<std::pair<QString, bool>> lines;
            for (const QString& l : wrapped(QString::fromStdString(s.role), m_bold, width - 2 * m_pad))
                lines.emplace_back(l, true);
            for (const std::string& text :
                 {compare::kSignOffName + filled(s.name), compare::kSignOffDesignation + filled(s.designation),
                  std::string(compare::kSignOffDate) + compare::kSignOffBlank,
                  std::string(compare::kSignOffSignature) + compare::kSignOffBlank})
                for (const QString& l : wrapped(QString::fromStdString(text), m_text, width - 2 * m_pad)) {
                    lines.emplace_back(QString(), false);  // room to write on
                    lines.emplace_back(l, false);
                }
            tallest = std::max(tallest, qsizetype(lines.size()));
            columns.push_back(std::move(lines));
        }
        const qreal height = m_line * (qreal(tallest) + 2);
        if (!m_top && m_y + height > bottom()) nextPage();
        m_y += m_line * 2;
        if (m_painter)
            for (std::size_t c = 0; c < columns.size(); ++c) {
                qreal y = m_y;
                for (const auto& [line, bold] : columns[c]) {
                    m_painter->setFont(bold ? m_bold : m_text);
                    m_painter->drawText(QRectF(qreal(c) * width + m_pad, y, width - 2 * m_pad, m_line),
                                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, line);
                    y += m_line;
                }
            }
        m_y += m_line * qreal(tallest);
    }

    QPagedPaintDevice& m_device;
    const compare::Printout& m_printout;
    const LeadPage& m_lead;
    std::vector<PrintedSheet> m_sheets;
    const PrintedSheet* m_sheet = nullptr;
    QFont m_text, m_bold, m_big;
    qreal m_line = 0, m_pad = 0, m_rowPad = 0, m_width = 0, m_height = 0, m_y = 0;
    bool m_top = true;  // nothing but the title lines on the page yet
    QPainter* m_painter = nullptr;
    int m_page = 0, m_pages = 0;
};

}  // namespace

int paintPrintout(QPagedPaintDevice& device, const compare::Printout& printout, const LeadPage& lead) {
    PrintoutPages pages(device, printout, lead);
    const int count = pages.walk(nullptr, 0);
    QPainter painter;
    if (!painter.begin(&device)) throw Error(errc::kPathAccess, compare::kPrintoutNotPrinted);
    painter.setPen(QPen(Qt::black, 0));
    pages.walk(&painter, count);
    if (!painter.end()) throw Error(errc::kPathAccess, compare::kPrintoutNotPrinted);
    return count;
}

void previewPrintout(QWidget* parent, const compare::Printout& printout, const LeadPage& lead) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(printout.documentName));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QString::fromStdString(printout.documentName));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        try {
            paintPrintout(*target, printout, lead);
        } catch (const std::exception& caught) {
            QtDialogs(&preview).message(critical(asError(caught).description()));
        }
    });
    preview.exec();
}

void writePrintoutPdf(const compare::Printout& printout, const std::string& path) {
    compare::replaceWhenWritten(path, [&](const std::string& temporary) {
        QPdfWriter writer(QString::fromStdString(temporary));
        writer.setResolution(300);
        writer.setTitle(QString::fromStdString(printout.documentName));
        writer.setCreator(QString::fromStdString(printout.documentName));
        paintPrintout(writer, printout);
    });
}

}  // namespace vesk::gui
