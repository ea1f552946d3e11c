#include <gtest/gtest.h>

#include <regex>

#include "TrendDatabase.h"
#include "support/PackagePart.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"
#include "trend/TrendWorkbook.h"

namespace vesk::trend {
namespace {

// Each match of the pattern's first group, in order.
std::vector<std::string> trendMatches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> out;
    const std::regex re(pattern);
    for (std::sregex_iterator i(text.begin(), text.end(), re), end; i != end; ++i) out.push_back((*i)[1]);
    return out;
}

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
    // Differing as a line. How the two plots' axes stand is the chart writer's test.
    EXPECT_NE(test::packagePart(path, "xl/drawings/_rels/drawing1.xml.rels").find("../charts/chart1.xml"),
              std::string::npos);
    const std::string chart = test::packagePart(path, "xl/charts/chart1.xml");
    for (const auto& [kind, values] : {std::pair{"barChart", "Trend!$J$6:$J$10"}, {"lineChart", "Trend!$C$6:$C$10"}}) {
        SCOPED_TRACE(kind);
        const std::vector<std::string> plot =
            trendMatches(chart, std::string("<c:") + kind + ">(.*?)</c:" + kind + ">");
        ASSERT_EQ(plot.size(), 1u);
        EXPECT_EQ(trendMatches(plot[0], "<c:val>.*?<c:f>([^<]*)</c:f>"), std::vector<std::string>{values});
        EXPECT_EQ(trendMatches(plot[0], "<c:cat>.*?<c:f>([^<]*)</c:f>"), std::vector<std::string>{"Trend!$A$6:$A$10"});
    }
    EXPECT_EQ(trendMatches(chart, "<c:delete val=\"(1)\"/>").size(), 1u);  // the line's months axis, hidden

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
