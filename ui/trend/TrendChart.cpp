#include "trend/TrendChart.h"

#include <QCursor>
#include <QFontMetricsF>
#include <QLocale>
#include <QMouseEvent>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace vesk::gui {

namespace {

// Value ticks stay this many text lines apart at the least, so their labels never touch.
constexpr double kLinesPerInterval = 2.5;
constexpr int kMostIntervals = 10;
// A column's share of its month's width.
constexpr double kColumnShare = 0.6;
// A legend entry's mark, in text lines.
constexpr double kMarkLines = 1.6;

const QColor kInk(40, 40, 40);
const QColor kAxis(110, 110, 110);
const QColor kGrid(225, 225, 225);
const QColor kHighlight(0, 0, 0, 22);

// The least of 1, 2, 5 times a power of ten that is at least raw (raw > 0).
double niceAtLeast(double raw) {
    const double base = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * base * (1 + 1e-9)) return m * base;
    return 10 * base;
}

// Amounts grouped by thousands, as the program writes them everywhere; decimals only when the
// step needs them.
QString tickText(double value, double step) {
    static const QLocale kLocale(QLocale::English, QLocale::UnitedStates);
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    return kLocale.toString(value, 'f', decimals);
}

QFont titleFont(const QFont& font) {
    QFont title(font);
    title.setBold(true);
    if (title.pointSizeF() > 0)
        title.setPointSizeF(title.pointSizeF() * 1.2);
    else
        title.setPixelSize(int(std::lround(title.pixelSize() * 1.2)));
    return title;
}

// The smallest and largest of the values that are numbers, zero among them.
std::pair<double, double> extent(const std::vector<double>& values) {
    double least = 0, most = 0;
    for (double v : values)
        if (std::isfinite(v)) {
            least = std::min(least, v);
            most = std::max(most, v);
        }
    return {least, most};
}

double valueY(const QRectF& plot, const ChartScale& scale, double value) {
    return plot.bottom() - (value - scale.low) / (scale.high - scale.low) * plot.height();
}

}  // namespace

int ChartScale::intervals() const { return int(std::lround((high - low) / step)); }

double ChartScale::at(int tick) const { return double(std::llround(low / step) + tick) * step; }

ChartScale niceScale(double least, double most, int maxIntervals, double leastStep) {
    double low = std::min(0.0, least), high = std::max(0.0, most);
    if (!std::isfinite(low) || !std::isfinite(high)) return {};
    if (!(high > low)) high = std::max(1.0, leastStep);
    maxIntervals = std::max(1, maxIntervals);
    double step = std::max(niceAtLeast((high - low) / maxIntervals), leastStep);
    for (;;) {
        // Rounding a step up can still leave one interval too many once both ends are rounded
        // out to it: then the next step.
        const double from = std::floor(low / step + 1e-9) * step;
        const double to = std::ceil(high / step - 1e-9) * step;
        if (std::lround((to - from) / step) <= maxIntervals) return {from, to, step};
        step = niceAtLeast(step * 1.5);
    }
}

TrendChart::TrendChart(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TrendChart::setData(TrendChartData data) {
    const bool pointed = m_hovered >= 0;
    m_data = std::move(data);
    m_hovered = -1;
    setToolTip({});
    if (pointed) QToolTip::hideText();
    // The pointer may rest on the chart: what it points at now.
    if (underMouse()) hover(monthAt(mapFromGlobal(QCursor::pos())), QCursor::pos());
    update();
}

TrendChart::Layout TrendChart::chartLayout() const { return layoutFor(QRectF(rect()), this); }

TrendChart::Layout TrendChart::layoutFor(const QRectF& area, const QPaintDevice* device) const {
    Layout l;
    l.unit = device->logicalDpiY() / 96.0;
    if (m_data.months.isEmpty()) return l;
    const QFont font(this->font(), device);
    const QFontMetricsF fm(font, device), title(titleFont(font), device);
    const double u = l.unit, pad = 6 * u, tick = 4 * u, line = fm.height();

    // From the top down the title, then half a line over the plot for its top label; from
    // the foot up the legend, then the months, clear of the lowest label's lower half.
    l.title = {m_data.title, QRectF(area.left(), area.top() + pad, area.width(), title.height())};
    const double top = l.title.box.bottom() + pad + line / 2;
    const double legendTop = area.bottom() - pad - line;
    const double monthTop = legendTop - pad - line;
    const double bottom = std::max(top + 1, monthTop - std::max(tick + 2 * u, line / 2 + u));
    const int most = std::clamp(int((bottom - top) / (kLinesPerInterval * line)), 1, kMostIntervals);

    const auto [leastAmount, mostAmount] = extent(m_data.columns.values);
    l.amounts = niceScale(leastAmount, mostAmount, most);
    // Half an office of room over the most, so the line never runs along the plot's top.
    const auto [leastCount, mostCount] = extent(m_data.line.values);
    l.counts = niceScale(leastCount, mostCount > 0 ? mostCount + 0.5 : mostCount, most, 1);

    // The margins follow the widest tick labels.
    const auto labels = [&](const ChartScale& scale, double& widest) {
        std::vector<Text> texts;
        for (int i = 0; i <= scale.intervals(); ++i) {
            Text t{tickText(scale.at(i), scale.step), {}};
            t.box.setSize({fm.horizontalAdvance(t.text), line});
            widest = std::max(widest, t.box.width());
            texts.push_back(std::move(t));
        }
        return texts;
    };
    double leftWidth = 0, rightWidth = 0;
    l.amountLabels = labels(l.amounts, leftWidth);
    l.countLabels = labels(l.counts, rightWidth);
    const double left = area.left() + pad + line + pad + leftWidth + tick + 2 * u;
    const double right = std::max(left + 1, area.right() - (2 * u + tick + rightWidth + pad + line + pad));
    l.plot = QRectF(QPointF(left, top), QPointF(right, bottom));

    for (std::size_t i = 0; i < l.amountLabels.size(); ++i) {
        QRectF& box = l.amountLabels[i].box;
        box.moveTo(left - tick - 2 * u - box.width(), valueY(l.plot, l.amounts, l.amounts.at(int(i))) - line / 2);
    }
    for (std::size_t i = 0; i < l.countLabels.size(); ++i) {
        QRectF& box = l.countLabels[i].box;
        box.moveTo(right + tick + 2 * u, valueY(l.plot, l.counts, l.counts.at(int(i))) - line / 2);
    }
    const auto axisTitle = [&](const QString& text, double x) {
        const double length = std::min(fm.horizontalAdvance(text), l.plot.height());
        return Text{text, QRectF(x, l.plot.center().y() - length / 2, line, length)};
    };
    l.amountTitle = axisTitle(m_data.columns.axisTitle, area.left() + pad);
    l.countTitle = axisTitle(m_data.line.axisTitle, area.right() - pad - line);

    // Every month labelled while they fit side by side, else every second, third...
    l.band = l.plot.width() / double(m_data.months.size());
    double widest = 0;
    for (const QString& month : m_data.months) widest = std::max(widest, fm.horizontalAdvance(month));
    const qsizetype every = std::max<qsizetype>(1, qsizetype(std::ceil((widest + 2 * pad) / l.band)));
    for (qsizetype i = 0; i < m_data.months.size(); i += every) {
        const QString& month = m_data.months[i];
        const double width = fm.horizontalAdvance(month);
        const double centre = left + (double(i) + 0.5) * l.band;
        const double x = std::max(area.left(), std::min(centre - width / 2, area.right() - width));
        l.monthLabels.push_back({month, QRectF(x, monthTop, width, line)});
    }

    // The legend centred at the foot, each name after its series' mark.
    const double mark = kMarkLines * line, spacing = 2 * line;
    const std::vector<const TrendChartSeries*> series{&m_data.columns, &m_data.line};
    double total = -spacing;
    for (const TrendChartSeries* s : series) total += mark + pad + fm.horizontalAdvance(s->name) + spacing;
    double x = std::max(area.left(), area.center().x() - total / 2);
    for (const TrendChartSeries* s : series) {
        const double width = mark + pad + fm.horizontalAdvance(s->name);
        l.legend.push_back({s->name, QRectF(x, legendTop, width, line)});
        x += width + spacing;
    }
    return l;
}

int TrendChart::monthAt(const QPointF& pos) const {
    const Layout l = chartLayout();
    if (m_data.months.isEmpty() || !l.plot.contains(pos)) return -1;
    const int month = int((pos.x() - l.plot.left()) / l.band);
    return std::clamp(month, 0, int(m_data.months.size()) - 1);
}

void TrendChart::paint(QPainter& painter, const QRectF& area, int highlighted) const {
    const QPaintDevice* device = painter.device();
    const Layout l = layoutFor(area, device);
    const double u = l.unit;
    const QFont font(this->font(), device);
    painter.save();
    painter.fillRect(area, Qt::white);
    painter.setFont(font);
    painter.setPen(kInk);
    if (m_data.months.isEmpty()) {
        painter.drawText(area.adjusted(6 * u, 6 * u, -6 * u, -6 * u), Qt::AlignCenter | Qt::TextWordWrap,
                         m_data.emptyText);
        painter.restore();
        return;
    }
    const QRectF& plot = l.plot;
    const double tick = 4 * u;
    const std::size_t months = std::size_t(m_data.months.size());
    const auto centre = [&](std::size_t i) { return plot.left() + (double(i) + 0.5) * l.band; };

    painter.setFont(titleFont(font));
    painter.drawText(l.title.box, Qt::AlignCenter, l.title.text);
    painter.setFont(font);

    // Straight lines and columns sharp, without smoothing.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kGrid, u));
    for (int i = 0; i <= l.amounts.intervals(); ++i) {
        const double y = valueY(plot, l.amounts, l.amounts.at(i));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    if (highlighted >= 0 && std::size_t(highlighted) < months)
        painter.fillRect(QRectF(plot.left() + highlighted * l.band, plot.top(), l.band, plot.height()), kHighlight);

    const double zero = valueY(plot, l.amounts, 0);
    const double columnWidth = l.band * kColumnShare;
    for (std::size_t i = 0; i < months && i < m_data.columns.values.size(); ++i) {
        const double v = m_data.columns.values[i];
        if (!std::isfinite(v)) continue;
        const QRectF column(QPointF(centre(i) - columnWidth / 2, zero),
                            QPointF(centre(i) + columnWidth / 2, valueY(plot, l.amounts, v)));
        painter.fillRect(column.normalized(), m_data.columns.colour);
    }

    painter.setPen(QPen(kAxis, u));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    // Below zero the columns hang from a line of their own.
    if (l.amounts.low < 0) painter.drawLine(QPointF(plot.left(), zero), QPointF(plot.right(), zero));
    painter.drawLine(plot.topLeft(), plot.bottomLeft());
    for (int i = 0; i <= l.amounts.intervals(); ++i) {
        const double y = valueY(plot, l.amounts, l.amounts.at(i));
        painter.drawLine(QPointF(plot.left() - tick, y), QPointF(plot.left(), y));
    }
    for (std::size_t i = 0; i <= months; ++i) {
        const double x = plot.left() + double(i) * l.band;
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + tick));
    }
    // The right axis in the line's colour, telling whose it is.
    painter.setPen(QPen(m_data.line.colour, u));
    painter.drawLine(plot.topRight(), plot.bottomRight());
    for (int i = 0; i <= l.counts.intervals(); ++i) {
        const double y = valueY(plot, l.counts, l.counts.at(i));
        painter.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + tick, y));
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath path;
    std::vector<std::pair<std::size_t, QPointF>> points;  // by month
    for (std::size_t i = 0; i < months && i < m_data.line.values.size(); ++i) {
        if (!std::isfinite(m_data.line.values[i])) continue;
        const QPointF point(centre(i), valueY(plot, l.counts, m_data.line.values[i]));
        if (points.empty())
            path.moveTo(point);
        else
            path.lineTo(point);
        points.emplace_back(i, point);
    }
    painter.setPen(QPen(m_data.line.colour, 2 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_data.line.colour);
    for (const auto& [month, point] : points) {
        const double radius = (int(month) == highlighted ? 4.5 : 3) * u;
        painter.drawEllipse(point, radius, radius);
    }

    painter.setPen(kInk);
    for (const Text& t : l.amountLabels) painter.drawText(t.box, Qt::AlignRight | Qt::AlignVCenter, t.text);
    for (const Text& t : l.countLabels) painter.drawText(t.box, Qt::AlignLeft | Qt::AlignVCenter, t.text);
    for (const Text& t : l.monthLabels) painter.drawText(t.box, Qt::AlignCenter, t.text);
    const auto turned = [&](const Text& t, double angle) {
        painter.save();
        painter.translate(t.box.center());
        painter.rotate(angle);
        const QRectF box(-t.box.height() / 2, -t.box.width() / 2, t.box.height(), t.box.width());
        painter.drawText(box, Qt::AlignCenter,
                         painter.fontMetrics().elidedText(t.text, Qt::ElideRight, int(std::ceil(box.width()))));
        painter.restore();
    };
    turned(l.amountTitle, -90);
    turned(l.countTitle, 90);

    const double mark = kMarkLines * QFontMetricsF(font, device).height();
    for (std::size_t i = 0; i < l.legend.size(); ++i) {
        const QRectF& box = l.legend[i].box;
        const QRectF markBox(box.left(), box.top(), mark, box.height());
        if (i == 0) {
            const double side = box.height() * 0.7;
            painter.fillRect(QRectF(markBox.center().x() - side / 2, markBox.center().y() - side / 2, side, side),
                             m_data.columns.colour);
        } else {
            painter.setPen(QPen(m_data.line.colour, 2 * u, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(markBox.left(), markBox.center().y()),
                             QPointF(markBox.right(), markBox.center().y()));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(markBox.center(), 3 * u, 3 * u);
        }
        painter.setPen(kInk);
        painter.drawText(box.adjusted(mark + 6 * u, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, l.legend[i].text);
    }
    painter.restore();
}

bool TrendChart::print(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    paint(painter, QRectF(0, 0, device.width(), device.height()));
    return painter.end();
}

QSize TrendChart::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.averageCharWidth() * 80, fm.height() * 18};
}

void TrendChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_hovered);
}

void TrendChart::mouseMoveEvent(QMouseEvent* event) {
    hover(monthAt(event->position()), event->globalPosition().toPoint());
}

void TrendChart::leaveEvent(QEvent*) { hover(-1, {}); }

void TrendChart::hover(int month, const QPoint& globalPos) {
    if (month == m_hovered) return;
    m_hovered = month;
    const QString text = month >= 0 && month < m_data.hover.size() ? m_data.hover[month] : QString();
    setToolTip(text);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPos, text, this);
    update();
}

}  // namespace vesk::gui
