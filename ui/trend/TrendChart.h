#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPaintDevice;

namespace vesk::gui {

/// An axis's ticks: low, low + step, ... up to high.
struct ChartScale {
    double low = 0;
    double high = 1;
    double step = 1;

    int intervals() const;
    double at(int tick) const;
};

/// The ticks of an axis over values from least to most: zero always among them, the step 1, 2
/// or 5 times a power of ten and at least leastStep (itself such a number, or 0), the fewest
/// such ticks that cover the values in at most maxIntervals steps. All zero reads 0 to 1.
ChartScale niceScale(double least, double most, int maxIntervals, double leastStep = 0);

/// A series of the chart: a value per month.
struct TrendChartSeries {
    QString name;       ///< in the legend
    QString axisTitle;  ///< beside its axis
    QColor colour;
    std::vector<double> values;
};

/// What the chart shows.
struct TrendChartData {
    QString title;
    QString emptyText;  ///< said alone when there are no months
    QStringList months;
    TrendChartSeries columns;  ///< columns on the left axis
    TrendChartSeries line;     ///< a line on the right axis; a count, so its ticks are whole
    QStringList hover;         ///< what pointing at each month shows
};

/// The trend's chart, painted by itself: the same paint on the screen and on a printer's page.
class TrendChart : public QWidget {
    Q_OBJECT
  public:
    /// A text and the box it takes, in the device's pixels.
    struct Text {
        QString text;
        QRectF box;
    };
    /// Where everything goes in an area of a device. Sizes follow the device's resolution, so a
    /// printer's page gets the screen's proportions at its own sharpness.
    struct Layout {
        QRectF plot;  ///< empty when there are no months
        ChartScale amounts;
        ChartScale counts;
        std::vector<Text> amountLabels;  ///< left, a tick each
        std::vector<Text> countLabels;   ///< right, a tick each
        std::vector<Text> monthLabels;   ///< the months labelled: every one, or every few when crowded
        std::vector<Text> legend;        ///< an entry a series, its mark included
        Text title;
        Text amountTitle;  ///< upright box of the turned text
        Text countTitle;
        double unit = 1;  ///< device pixels to a pixel at 96 dpi
        double band = 0;  ///< the width of a month
    };

    explicit TrendChart(QWidget* parent = nullptr);

    void setData(TrendChartData data);
    const TrendChartData& data() const { return m_data; }

    /// The layout on the widget as it is.
    Layout chartLayout() const;
    /// The month under a point of the widget; -1 off the plot or when no month is shown.
    int monthAt(const QPointF& pos) const;
    /// The month under the mouse; -1 for none.
    int hoveredMonth() const { return m_hovered; }

    /// Paints the chart into an area of any device, in the widget's font; highlighted marks
    /// the month pointed at.
    void paint(QPainter& painter, const QRectF& area, int highlighted = -1) const;
    /// The chart across the printable page of a printer or PDF file, at its resolution.
    /// False when the device cannot be painted (a file that cannot be written).
    bool print(QPagedPaintDevice& device) const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    Layout layoutFor(const QRectF& area, const QPaintDevice* device) const;
    void hover(int month, const QPoint& globalPos);

    TrendChartData m_data;
    int m_hovered = -1;
};

}  // namespace vesk::gui
