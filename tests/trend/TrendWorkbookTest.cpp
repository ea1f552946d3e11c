#include <gtest/gtest.h>

#include <set>

#include "TrendDatabase.h"
#include "sheet/XmlParser.h"
#include "support/PackagePart.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"
#include "trend/TrendWorkbook.h"

namespace vesk::trend {
namespace {

// What a chart part draws: each plot's series (the cells of their names, categories and
// values) and the axes it reads against, and which axes are not drawn. How the two plots'
// axes stand is the chart writer's test.
struct ChartParts : sheet::XmlHandler {
    struct Plot {
        std::string kind;  // barChart, lineChart
        std::vector<std::string> values, categories, names, axes;
    };
    std::vector<Plot> plots;
    std::set<std::string> hiddenAxes;
    std::vector<std::string> path;
    std::string axis;  // the id of the axis being read

    void startElement(std::string_view name, const char** attributes) override {
        const std::string n(name), parent = path.empty() ? "" : path.back();
        const char* val = sheet::XmlParser::attribute(attributes, "val");
        if (n == "barChart" || n == "lineChart") plots.push_back({n, {}, {}, {}, {}});
        const bool inAxis = parent == "catAx" || parent == "valAx";
        if (n == "axId" && (parent == "barChart" || parent == "lineChart")) plots.back().axes.push_back(val);
        if (n == "axId" && inAxis) axis = val;
        if (n == "delete" && inAxis && std::string(val) == "1") hiddenAxes.insert(axis);
        path.push_back(n);
    }
    void endElement(std::string_view) override { path.pop_back(); }
    void characters(std::string_view text) override {
        if (path.size() < 3 || path.back() != "f") return;
        const std::string& part = path[path.size() - 3];
        Plot& plot = plots.back();
        (part == "val" ? plot.values : part == "cat" ? plot.categories : plot.names).emplace_back(text);
    }
};

TEST(TrendWorkbook, HoldsTheMonthsWithTheirChartAndTheMapShaded) {
    test::TempDir dir;
    test::MonthDatabase db(dir.file("ZETTools.db"));
    test::fillTrendDatabase(db);
    const Trend t = trendOf(db.connection(), compare::comparisonScope(db.connection()));
    const std::string path = writeTrendWorkbook(t, {{{2025, 2}, {2025, 7}}, "Hill Division"}, dir.file("out"));
    EXPECT_EQ(path, dir.file("out") + "/Trend_2025-02_2025-07.xlsx");

    EXPECT_EQ(test::sheetRows(path, 0),
              (std::vector<std::string>{
                  "VESK - ORV Comparison - Trend of the Differences",
                  "Period : February 2025 to July 2025",
                  "Offices Under Hill Division",
                  "",
                  "Month|Offices|Differing|VESK Dep|ORV Dep|Diff Dep|VESK Wdl|ORV Wdl|Diff Wdl|To Explain",
                  "2025-02|3|2|5|0|5|50|40|10|15",
                  "2025-03|0|0|0|0|0|0|0|0|0",
                  "2025-04|4|3|235.5|225|10.5|73|75|-2|18.5",
                  "2025-05|0|0|0|0|0|0|0|0|0",
                  "2025-07|2|0|0|0|0|0|0|0|0",
              }));
    EXPECT_EQ(test::sheetRows(path, 1), (std::vector<std::string>{
                                            "VESK - ORV Comparison - To Explain by Office and Month",
                                            "Period : February 2025 to July 2025",
                                            "Offices Under Hill Division",
                                            "",
                                            "Office Name|2025-02|2025-03|2025-04|2025-05|2025-07",
                                            "Alpha SO|||5.5",
                                            "Beta SO|10||10",
                                            "delta SO|||3",
                                            "Gamma SO|5",
                                        }));

    // The chart is one of the sheet's, reading the table's cells: To Explain as columns,
    // Differing as a line.
    EXPECT_NE(test::packagePart(path, "xl/drawings/_rels/drawing1.xml.rels").find("../charts/chart1.xml"),
              std::string::npos);
    ChartParts chart;
    {
        sheet::XmlParser parser(chart, "chart1.xml");
        const std::string xml = test::packagePart(path, "xl/charts/chart1.xml");
        parser.feed(xml.data(), xml.size());
        parser.finish();
    }
    ASSERT_EQ(chart.plots.size(), 2u);
    const ChartParts::Plot& columns = chart.plots[0];
    const ChartParts::Plot& line = chart.plots[1];
    EXPECT_EQ(columns.kind, "barChart");
    EXPECT_EQ(columns.values, std::vector<std::string>{"Trend!$J$6:$J$10"});
    EXPECT_EQ(columns.categories, std::vector<std::string>{"Trend!$A$6:$A$10"});
    EXPECT_EQ(line.kind, "lineChart");
    EXPECT_EQ(line.values, std::vector<std::string>{"Trend!$C$6:$C$10"});
    EXPECT_EQ(line.categories, std::vector<std::string>{"Trend!$A$6:$A$10"});
    ASSERT_EQ(line.axes.size(), 2u);
    EXPECT_EQ(chart.hiddenAxes, std::set<std::string>{line.axes[0]});  // its months are the columns' months

    // The map's amounts are shaded by a colour scale from white to the differences' red.
    const std::string offices = test::packagePart(path, "xl/worksheets/sheet2.xml");
    EXPECT_NE(offices.find("<conditionalFormatting sqref=\"B6:F9\"><cfRule type=\"colorScale\""), std::string::npos);
    EXPECT_NE(offices.find("<color rgb=\"FFFFFFFF\"/><color rgb=\"FFFF0000\"/>"), std::string::npos);
    for (const char* sheet : {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"}) {
        SCOPED_TRACE(sheet);
        const std::string xml = test::packagePart(path, sheet);
        EXPECT_NE(xml.find("paperSize=\"9\""), std::string::npos);
        EXPECT_NE(xml.find("orientation=\"landscape\""), std::string::npos);
    }
}

TEST(TrendWorkbook, ATrendWithoutMonthsIsNotWritten) {
    test::TempDir dir;
    const Error e = test::errorOf([&] { writeTrendWorkbook({}, {{{2025, 1}, {2025, 2}}, "X"}, dir.file("out")); });
    EXPECT_EQ(e.number(), errc::kUsage);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out") + "/Trend_2025-01_2025-02.xlsx"));
}

}  // namespace
}  // namespace vesk::trend
