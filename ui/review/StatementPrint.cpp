#include "review/StatementPrint.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "compare/CompareWording.h"
#include "core/Error.h"
#include "review/ReviewWording.h"

namespace vesk::gui {

namespace {

using review::StatementLine;

// One block of the print: a caption over a bordered table.
struct PrintTable {
    const char* caption;
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> rows;
    std::vector<int> rightAligned;
    std::vector<qreal> widths;  ///< by column, in the device's units
};

// Paints, or with no painter only counts, the pages: the same walk both times, so the count
// the feet name is the count painted.
class StatementPages {
  public:
    StatementPages(QPagedPaintDevice& device, const review::ShownStatement& shown) : m_device(device) {
        const review::MonthStatement& s = shown.statement;
        m_title = review::kStatementTitle;
        m_period = review::statementPeriodLine(s.period);
        m_scope = compare::scopeLine(compare::ScopeWording::HeadOffice, s.scope);
        m_state = shown.stateLine;
        m_statement = {review::kStatementCaption,
                       review::statementHeaders(),
                       review::statementRows(s, StatementLine::Vesk, StatementLine::Resolved, Grouping::Thousands),
                       {1, 2, 3},
                       {}};
        m_rollForward = {
            review::kRollForwardCaption,
            review::statementHeaders(),
            review::statementRows(s, StatementLine::BroughtForward, StatementLine::CarriedForward, Grouping::Thousands),
            {1, 2, 3},
            {}};
        m_items = {review::kStatementItemsCaption,
                   review::statementItemHeaders(),
                   review::groupedItems(shown.items),
                   {int(review::ItemCell::Amount)},
                   {}};

        m_text = QFont("Sans Serif", 9);
        m_bold = m_text;
        m_bold.setBold(true);
        m_big = QFont("Sans Serif", 13, QFont::Bold);
        const QFontMetricsF text(m_text, &m_device), bold(m_bold, &m_device);
        m_pad = text.averageCharWidth() * 0.6;
        m_row = text.height() * 1.45;
        // A long note would squeeze every other column: its cell is cut short instead.
        const qreal widest = text.averageCharWidth() * 40;
        const auto measure = [&](PrintTable& t) {
            t.widths.assign(t.headers.size(), 0);
            for (std::size_t c = 0; c < t.headers.size(); ++c)
                t.widths[c] = bold.horizontalAdvance(QString::fromStdString(t.headers[c]));
            for (const std::vector<std::string>& cells : t.rows)
                for (std::size_t c = 0; c < cells.size() && c < t.widths.size(); ++c)
                    t.widths[c] = std::max(t.widths[c], text.horizontalAdvance(QString::fromStdString(cells[c])));
            for (qreal& w : t.widths) w = std::min(w, widest) + 2 * m_pad;
        };
        measure(m_statement);
        measure(m_rollForward);
        measure(m_items);
        // The two blocks of the statement line up as one table.
        for (std::size_t c = 0; c < m_statement.widths.size(); ++c)
            m_statement.widths[c] = m_rollForward.widths[c] = std::max(m_statement.widths[c], m_rollForward.widths[c]);

        const QRectF page = m_device.pageLayout().paintRectPixels(m_device.logicalDpiX());
        qreal natural = std::max(tableWidth(m_statement), tableWidth(m_items));
        natural = std::max(natural, QFontMetricsF(m_big, &m_device).horizontalAdvance(QString::fromStdString(m_title)));
        m_scale = std::min<qreal>(1, page.width() / natural);
        m_width = page.width() / m_scale;
        m_height = page.height() / m_scale;
    }

    // The pages painted (or counted, without a painter).
    int walk(QPainter* painter, int pages) {
        m_painter = painter;
        m_pages = pages;
        m_page = 1;
        startPage();
        table(m_statement, false);
        m_y += m_row * 0.5;
        table(m_rollForward, false);
        m_y += m_row * 0.5;
        if (m_painter) {
            m_painter->setFont(m_text);
            m_painter->drawText(QRectF(0, m_y, m_width, m_row), Qt::AlignLeft | Qt::AlignVCenter,
                                QString::fromStdString(m_state));
        }
        m_y += m_row * 1.5;
        if (!m_items.rows.empty()) table(m_items, true);
        endPage();
        return m_page;
    }

    qreal scale() const { return m_scale; }

  private:
    static qreal tableWidth(const PrintTable& t) {
        qreal w = 0;
        for (qreal c : t.widths) w += c;
        return w;
    }

    qreal footRoom() const { return m_row * 1.5; }

    void startPage() {
        m_y = 0;
        line(m_title, m_big, QFontMetricsF(m_big, &m_device).height() * 1.3);
        line(m_period, m_text, m_row);
        line(m_scope, m_text, m_row);
        m_y += m_row * 0.5;
    }

    void endPage() {
        if (!m_painter) return;
        m_painter->setFont(m_text);
        m_painter->drawText(QRectF(0, m_height - m_row, m_width, m_row), Qt::AlignCenter,
                            QString::fromStdString(review::statementPageText(m_page, m_pages)));
    }

    void nextPage() {
        endPage();
        if (m_painter && !m_device.newPage()) throw Error(errc::kPathAccess, review::kStatementNotPrinted);
        ++m_page;
        startPage();
    }

    void line(const std::string& text, const QFont& font, qreal height) {
        if (m_painter) {
            m_painter->setFont(font);
            m_painter->drawText(QRectF(0, m_y, m_width, height), Qt::AlignCenter, QString::fromStdString(text));
        }
        m_y += height;
    }

    // The caption and the headers, then the rows, going on over pages when `runsOn`.
    void table(const PrintTable& t, bool runsOn) {
        const auto head = [&] {
            if (m_painter) {
                m_painter->setFont(m_bold);
                m_painter->drawText(QRectF(0, m_y, m_width, m_row), Qt::AlignLeft | Qt::AlignVCenter, t.caption);
            }
            m_y += m_row;
            cells(t, t.headers, true);
        };
        // A caption and its headers are never left at a page's foot without a row.
        if (runsOn && m_y + 3 * m_row > m_height - footRoom()) nextPage();
        head();
        for (const std::vector<std::string>& row : t.rows) {
            if (runsOn && m_y + m_row > m_height - footRoom()) {
                nextPage();
                head();
            }
            cells(t, row, false);
        }
    }

    void cells(const PrintTable& t, const std::vector<std::string>& values, bool header) {
        if (m_painter) {
            m_painter->setFont(header ? m_bold : m_text);
            qreal x = 0;
            for (std::size_t c = 0; c < t.widths.size(); ++c) {
                const QRectF box(x, m_y, t.widths[c], m_row);
                if (header) m_painter->fillRect(box, QColor(230, 230, 230));
                m_painter->drawRect(box);
                const QRectF inside = box.adjusted(m_pad, 0, -m_pad, 0);
                const bool right =
                    !header && std::find(t.rightAligned.begin(), t.rightAligned.end(), int(c)) != t.rightAligned.end();
                const QString value = c < values.size() ? QString::fromStdString(values[c]) : QString();
                const QString shown = m_painter->fontMetrics().elidedText(value, Qt::ElideRight, int(inside.width()));
                m_painter->drawText(inside, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, shown);
                x += t.widths[c];
            }
        }
        m_y += m_row;
    }

    QPagedPaintDevice& m_device;
    std::string m_title, m_period, m_scope, m_state;
    PrintTable m_statement, m_rollForward, m_items;
    QFont m_text, m_bold, m_big;
    qreal m_pad = 0, m_row = 0, m_scale = 1, m_width = 0, m_height = 0, m_y = 0;
    QPainter* m_painter = nullptr;
    int m_page = 1, m_pages = 1;
};

}  // namespace

void setStatementPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                     QPageLayout::Millimeter));
}

int printStatement(QPagedPaintDevice& device, const review::ShownStatement& shown) {
    StatementPages pages(device, shown);
    const int count = pages.walk(nullptr, 0);
    QPainter painter;
    if (!painter.begin(&device)) throw Error(errc::kPathAccess, review::kStatementNotPrinted);
    painter.scale(pages.scale(), pages.scale());
    painter.setPen(QPen(Qt::black, 0));
    pages.walk(&painter, count);
    if (!painter.end()) throw Error(errc::kPathAccess, review::kStatementNotPrinted);
    return count;
}

}  // namespace vesk::gui
