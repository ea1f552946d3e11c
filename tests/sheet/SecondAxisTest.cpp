#include <gtest/gtest.h>

#include <regex>

#include "core/Error.h"
#include "sheet/SecondAxis.h"
#include "sheet/Workbook.h"
#include "sheet/WorkbookWriter.h"
#include "store/StoreTestSupport.h"
#include "support/PackagePart.h"
#include "support/TempDir.h"

namespace vesk::sheet {
namespace {

using test::TempDir;

// Each match of the pattern's first group, in order.
std::vector<std::string> all(const std::string& text, const std::string& pattern) {
    std::vector<std::string> out;
    const std::regex re(pattern);
    for (std::sregex_iterator i(text.begin(), text.end(), re), end; i != end; ++i) out.push_back((*i)[1]);
    return out;
}

// A plot of the part: its series' names, the axes it reads against.
struct Plot {
    std::vector<std::string> series;
    std::vector<std::string> axes;
};

Plot plot(const std::string& xml, const std::string& kind) {
    const std::vector<std::string> bodies = all(xml, "<c:" + kind + ">(.*?)</c:" + kind + ">");
    if (bodies.size() != 1) return {};
    // The plot's own axis ids come after its last series.
    const std::string& body = bodies[0];
    const std::size_t tail = body.rfind("</c:ser>");
    return {all(body, "<c:tx><c:v>([^<]*)</c:v></c:tx>"),
            all(tail == std::string::npos ? body : body.substr(tail), "<c:axId val=\"(\\d+)\"/>")};
}

TEST(SecondAxis, LinesMoveToTheirOwnPlotAgainstARightHandAxis) {
    struct Case {
        std::vector<std::string> columns, lines;
    };
    const Case cases[] = {
        {{"To Explain"}, {"Differing"}},
        {{"Amount"}, {"Offices", "Days"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.columns.front() + " and " + c.lines.front());
        const std::string path = dir.file(c.columns.front() + c.lines.back() + ".xlsx");
        {
            WorkbookWriter w(path, "Data");
            for (int r = 1; r <= 3; ++r)
                for (int col = 1; col <= 5; ++col) w.writeNumber(r, col, r * col);
            ColumnLineChart chart;
            chart.sheet = "Data";
            chart.firstRow = 1;
            chart.lastRow = 3;
            chart.categoryColumn = 1;
            int column = 2;
            for (const std::string& name : c.columns) chart.columns.push_back({name, column++, Rgb{200, 0, 0}});
            for (const std::string& name : c.lines) chart.lines.push_back({name, column++, std::nullopt});
            chart.lineAxisName = "Count & more";
            chart.row = 5;
            w.insertChart(chart);
            w.save();
        }
        const std::string xml = test::packagePart(path, "xl/charts/chart1.xml");
        const Plot bars = plot(xml, "barChart"), lines = plot(xml, "lineChart");
        EXPECT_EQ(bars.series, c.columns);
        EXPECT_EQ(lines.series, c.lines);
        ASSERT_EQ(bars.axes.size(), 2u);
        ASSERT_EQ(lines.axes.size(), 2u);
        // Four axes, two a plot; the lines' value axis on the right, crossing at the far end.
        const std::vector<std::string> ids = all(xml, "<c:(?:catAx|valAx)><c:axId val=\"(\\d+)\"/>");
        EXPECT_EQ(ids, (std::vector<std::string>{bars.axes[0], bars.axes[1], lines.axes[0], lines.axes[1]}));
        const std::vector<std::string> right =
            all(xml,
                "<c:valAx><c:axId val=\"(\\d+)\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling>"
                "<c:delete val=\"0\"/><c:axPos val=\"r\"/>");
        EXPECT_EQ(right, std::vector<std::string>{lines.axes[1]});
        EXPECT_NE(xml.find("<a:t>Count &amp; more</a:t>"), std::string::npos);
        EXPECT_NE(xml.find("<c:crosses val=\"max\"/>"), std::string::npos);
        // Each line marks its points; the workbook still opens as a workbook.
        EXPECT_EQ(all(xml, "(<c:marker><c:symbol val=\"circle\"/>)").size(), c.lines.size());
        EXPECT_EQ(cellText(Workbook::open(path)->firstSheet()->cell(3, 5)), "15");
    }
}

TEST(SecondAxis, APartThatIsNoColumnChartOfThatManySeriesIsRefused) {
    const std::string oneSeries =
        "<c:plotArea><c:barChart><c:ser><c:idx val=\"0\"/><c:val/></c:ser><c:axId val=\"1\"/><c:axId val=\"2\"/>"
        "</c:barChart></c:plotArea>";
    struct Case {
        std::string xml;
        std::size_t columns;
    };
    const Case cases[] = {
        {oneSeries, 1},  // nothing left to draw as a line
        {oneSeries, 0},
        {"<c:plotArea><c:lineChart></c:lineChart></c:plotArea>", 1},
        {"", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml.substr(0, 40));
        EXPECT_EQ(test::errorOf([&] { withLinesOnSecondAxis(c.xml, c.columns, "n"); }).number(), errc::kWorkbook);
    }
}

}  // namespace
}  // namespace vesk::sheet
