#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "support/TempDir.h"
#include "trend/TrendChart.h"

namespace {

using vesk::gui::ChartScale;
using vesk::gui::TrendChart;
using vesk::gui::TrendChartData;

// Months named as the window names them, from April 2025 on.
QStringList monthNames(int count) {
    static const char* const kNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QStringList months;
    for (int i = 0; i < count; ++i) months.append(QString("%1 %2").arg(kNames[(i + 3) % 12]).arg(2025 + (i + 3) / 12));
    return months;
}

TrendChartData chartData(const std::vector<double>& amounts, const std::vector<double>& counts) {
    TrendChartData d;
    d.title = "To Explain and Differing Offices by Month";
    d.months = monthNames(int(amounts.size()));
    d.columns = {"To Explain", "To Explain", QColor(192, 80, 77), amounts};
    d.line = {"Differing", "Differing offices", QColor(31, 73, 125), counts};
    for (const QString& month : d.months) d.hover.append(month + "\nvalues");
    return d;
}

bool nice(double step) {
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    for (double m : {1.0, 2.0, 5.0})
        if (std::abs(mantissa - m) < 1e-9) return true;
    return false;
}

// How many intervals of a step cover low to high, both ends rounded out to it.
long intervalsOver(double low, double high, double step) {
    return std::lround(std::ceil(high / step - 1e-9) - std::floor(low / step + 1e-9));
}

struct ScaleCase {
    const char* name;
    double least, most;
    int maxIntervals;
    double leastStep;
};

void PrintTo(const ScaleCase& c, std::ostream* out) { *out << c.name; }

class NiceScaleTest : public ::testing::TestWithParam<ScaleCase> {};

// The ticks cover the values and zero in 1, 2 or 5 steps, no coarser than the room allows and
// with no step to spare at either end.
TEST_P(NiceScaleTest, CoversTheValuesAndZeroInTheFinestNiceStepThatFits) {
    const ScaleCase& c = GetParam();
    const ChartScale s = vesk::gui::niceScale(c.least, c.most, c.maxIntervals, c.leastStep);
    EXPECT_TRUE(nice(s.step)) << s.step;
    EXPECT_GE(s.step, c.leastStep);
    EXPECT_LE(s.low, std::min(0.0, c.least));
    EXPECT_GE(s.high, std::max(0.0, c.most));
    EXPECT_GT(s.high, s.low);
    EXPECT_GE(s.intervals(), 1);
    EXPECT_LE(s.intervals(), c.maxIntervals);
    EXPECT_NEAR(s.at(s.intervals()), s.high, s.step * 1e-9);
    // Zero is a tick.
    EXPECT_NEAR(std::remainder(s.low, s.step), 0, s.step * 1e-9);
    if (c.most > 0) {
        EXPECT_LT(s.high - s.step, c.most);
    }
    if (c.least < 0) {
        EXPECT_GT(s.low + s.step, c.least);
    }
    const double finer = nice(s.step / 2) ? s.step / 2 : s.step / 2.5;
    if (finer >= c.leastStep && c.most > c.least) {
        EXPECT_GT(intervalsOver(std::min(0.0, c.least), std::max(0.0, c.most), finer), c.maxIntervals);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, NiceScaleTest,
    ::testing::Values(ScaleCase{"AmountsOfAFewMonths", 0, 18.5, 6, 0}, ScaleCase{"OneMonth", 7, 7, 5, 0},
                      ScaleCase{"AllZero", 0, 0, 5, 0}, ScaleCase{"AllZeroCounts", 0, 0, 5, 1},
                      ScaleCase{"AllNegative", -250, -3, 5, 0}, ScaleCase{"BothSides", -40, 95, 6, 0},
                      ScaleCase{"RoundedOutEndsNeedTheNextStep", -1, 11, 6, 0}, ScaleCase{"Crores", 0, 123456789, 8, 0},
                      ScaleCase{"Paise", 0, 0.3, 5, 0}, ScaleCase{"FewOfficesStepByWholeOnes", 0, 3.5, 8, 1},
                      ScaleCase{"ManyOffices", 0, 137.5, 4, 1}, ScaleCase{"OneInterval", 0, 9, 1, 0}),
    [](const auto& test) { return std::string(test.param.name); });

// The axes' labels read as the program writes amounts, grouped by thousands, each its own tick's
// value: decimals where the step needs them, so that no two ticks read the same.
TEST(TrendChartTest, AxisLabelsReadTheirTicksGroupedByThousands) {
    const QLocale written(QLocale::English, QLocale::UnitedStates);
    const auto expectTicksRead = [&](const ChartScale& scale, const std::vector<TrendChart::Text>& labels) {
        ASSERT_EQ(int(labels.size()), scale.intervals() + 1);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            bool ok = false;
            EXPECT_NEAR(written.toDouble(labels[i].text, &ok), scale.at(int(i)), scale.step * 1e-6);
            EXPECT_TRUE(ok) << labels[i].text.toStdString();
        }
    };
    TrendChart chart;
    chart.resize(800, 400);
    chart.setData(chartData({1500000, 2750000.25, 0}, {4, 12, 0}));
    TrendChart::Layout l = chart.chartLayout();
    expectTicksRead(l.amounts, l.amountLabels);
    expectTicksRead(l.counts, l.countLabels);
    EXPECT_NE(l.amountLabels.back().text.indexOf(",000"), -1) << l.amountLabels.back().text.toStdString();
    for (const TrendChart::Text& count : l.countLabels) EXPECT_EQ(count.text.indexOf('.'), -1);

    chart.setData(chartData({0.3, 0.05}, {0, 0}));
    l = chart.chartLayout();
    ASSERT_LT(l.amounts.step, 1);
    expectTicksRead(l.amounts, l.amountLabels);
}

struct LayoutCase {
    const char* name;
    int width, height;
    std::vector<double> amounts;
    std::vector<double> counts;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class TrendChartLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

bool inside(const QRectF& box, const QRectF& area) { return area.adjusted(-0.5, -0.5, 0.5, 0.5).contains(box); }

// Nothing is cut off at the widget's edge, and no text runs into another or into the plot,
// whether the window is small or large and the months few or many.
TEST_P(TrendChartLayoutTest, EveryTextFitsAndNoneOverlaps) {
    const LayoutCase& c = GetParam();
    TrendChart chart;
    chart.resize(c.width, c.height);
    chart.setData(chartData(c.amounts, c.counts));
    const TrendChart::Layout l = chart.chartLayout();
    const QRectF area(chart.rect());
    ASSERT_FALSE(l.plot.isEmpty());
    ASSERT_TRUE(inside(l.plot, area));

    std::vector<TrendChart::Text> texts{l.title, l.amountTitle, l.countTitle};
    for (const auto* labels : {&l.amountLabels, &l.countLabels, &l.monthLabels, &l.legend})
        texts.insert(texts.end(), labels->begin(), labels->end());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QRectF& box = texts[i].box;
        const std::string text = texts[i].text.toStdString();
        EXPECT_TRUE(inside(box, area)) << text;
        if (i > 0) {
            EXPECT_FALSE(box.intersects(l.plot)) << text;
        }
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            EXPECT_FALSE(box.intersects(texts[j].box)) << text << " and " << texts[j].text.toStdString();
    }

    // The first month is always named; the others in order, at even steps when crowded.
    ASSERT_FALSE(l.monthLabels.empty());
    const QStringList months = chart.data().months;
    EXPECT_EQ(l.monthLabels.front().text, months.front());
    const qsizetype every = l.monthLabels.size() > 1 ? months.indexOf(l.monthLabels[1].text) : 1;
    for (std::size_t i = 0; i < l.monthLabels.size(); ++i)
        EXPECT_EQ(l.monthLabels[i].text, months.value(qsizetype(i) * every));
    EXPECT_EQ(qsizetype(l.monthLabels.size()), (months.size() + every - 1) / every);

    // Negative amounts hang from a zero line inside the plot.
    ASSERT_EQ(int(l.amountLabels.size()), l.amounts.intervals() + 1);
    int zero = 0;
    while (zero <= l.amounts.intervals() && l.amounts.at(zero) != 0) ++zero;
    ASSERT_LE(zero, l.amounts.intervals());
    const double y = l.amountLabels[std::size_t(zero)].box.center().y();
    EXPECT_GE(y, l.plot.top() - 0.5);
    EXPECT_LE(y, l.plot.bottom() + 0.5);
}

std::vector<double> ramp(int count, double from, double by) {
    std::vector<double> v;
    for (int i = 0; i < count; ++i) v.push_back(from + by * i);
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TrendChartLayoutTest,
    ::testing::Values(LayoutCase{"OneMonth", 600, 300, {18.5}, {3}},
                      LayoutCase{"AFewMonthsSmall", 320, 220, {15, 0, 18.5, 0, 0}, {2, 0, 3, 0, 0}},
                      LayoutCase{"TenYearsSmall", 320, 220, ramp(120, 0, 12345.67), ramp(120, 0, 1)},
                      LayoutCase{"TwoYearsWide", 1100, 400, ramp(24, 1000, 98765.4), ramp(24, 1, 2)},
                      LayoutCase{"AllNegative", 600, 300, {-250, -3, -40}, {1, 2, 3}},
                      LayoutCase{"AllZero", 600, 300, {0, 0, 0}, {0, 0, 0}},
                      LayoutCase{"BothSides", 600, 260, {-40000, 95000, 12}, {0, 7, 2}}),
    [](const auto& test) { return std::string(test.param.name); });

class TrendChartHoverTest : public ::testing::Test {
  protected:
    TrendChartHoverTest() {
        chart.resize(700, 320);
        chart.setData(chartData({15, 0, 18.5, 0, 0}, {2, 0, 3, 0, 0}));
    }
    void moveTo(const QPointF& at) {
        QMouseEvent move(QEvent::MouseMove, at, chart.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&chart, &move);
    }
    TrendChart chart;
};

// Pointing anywhere over a month's width of the plot, column or not, picks that month and
// shows its text; off the plot, or once the pointer leaves, nothing.
TEST_F(TrendChartHoverTest, ThePointerPicksTheMonthUnderItAndShowsItsText) {
    const TrendChart::Layout l = chart.chartLayout();
    for (int month = 0; month < 5; ++month)
        for (double within : {0.05, 0.5, 0.95})
            for (double height : {0.02, 0.98}) {
                const QPointF at(l.plot.left() + (month + within) * l.band, l.plot.top() + height * l.plot.height());
                EXPECT_EQ(chart.monthAt(at), month) << within << " " << height;
                moveTo(at);
                EXPECT_EQ(chart.hoveredMonth(), month);
                EXPECT_EQ(chart.toolTip(), chart.data().hover[month]);
            }
    for (const QPointF& off :
         {QPointF(l.plot.left() - 2, l.plot.center().y()), QPointF(l.plot.right() + 2, l.plot.center().y()),
          QPointF(l.plot.center().x(), l.plot.bottom() + 2)}) {
        moveTo(QPointF(l.plot.left() + 0.5 * l.band, l.plot.center().y()));
        moveTo(off);
        EXPECT_EQ(chart.hoveredMonth(), -1);
        EXPECT_TRUE(chart.toolTip().isEmpty());
    }
    moveTo(QPointF(l.plot.left() + 2.5 * l.band, l.plot.center().y()));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&chart, &leave);
    EXPECT_EQ(chart.hoveredMonth(), -1);
    EXPECT_TRUE(chart.toolTip().isEmpty());
}

bool anyInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

// With no months the chart says why, and what was pointed at before is gone with them.
TEST_F(TrendChartHoverTest, AnEmptyChartSaysWhyAndPointsAtNothing) {
    const TrendChart::Layout before = chart.chartLayout();
    const QPointF middle = before.plot.center();
    moveTo(middle);
    ASSERT_EQ(chart.hoveredMonth(), 2);

    TrendChartData empty;
    empty.emptyText = "No bank or ORV data in these months.";
    chart.setData(empty);
    EXPECT_EQ(chart.hoveredMonth(), -1);
    EXPECT_TRUE(chart.toolTip().isEmpty());
    EXPECT_EQ(chart.monthAt(middle), -1);
    moveTo(middle + QPointF(30, 0));
    EXPECT_EQ(chart.hoveredMonth(), -1);
    EXPECT_TRUE(chart.toolTip().isEmpty());

    QImage said(chart.size(), QImage::Format_RGB32), blank(chart.size(), QImage::Format_RGB32);
    {
        QPainter painter(&said);
        chart.paint(painter, QRectF(said.rect()));
    }
    chart.setData({});
    {
        QPainter painter(&blank);
        chart.paint(painter, QRectF(blank.rect()));
    }
    EXPECT_TRUE(anyInk(said));
    EXPECT_FALSE(anyInk(blank));
}

// The print is the chart painted again at the printer's resolution, its text as text (a grab of
// the screen would be one picture); a file that cannot be written says so.
TEST(TrendChartPrintTest, PrintsTheChartAsDrawingAndTextToAPdf) {
    const vesk::test::TempDir dir;
    TrendChart chart;
    chart.resize(600, 300);
    const auto print = [&](const std::string& file) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(file));
        printer.setPageOrientation(QPageLayout::Landscape);
        return chart.print(printer);
    };

    chart.setData(chartData(ramp(24, 1000, 98765.4), ramp(24, 1, 2)));
    ASSERT_TRUE(print(dir.file("trend.pdf")));
    const std::string pdf = vesk::test::fileBytes(dir.file("trend.pdf"));
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
    EXPECT_NE(pdf.find("/Font"), std::string::npos);
    EXPECT_EQ(pdf.find("/Subtype /Image"), std::string::npos);

    TrendChartData empty;
    empty.emptyText = "No bank or ORV data in these months.";
    chart.setData(empty);
    ASSERT_TRUE(print(dir.file("empty.pdf")));
    EXPECT_NE(vesk::test::fileBytes(dir.file("empty.pdf")).find("/Font"), std::string::npos);

    EXPECT_FALSE(print(dir.file("no such folder/trend.pdf")));
}

}  // namespace
