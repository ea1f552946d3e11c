#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
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

using test::packagePart;
using test::TempDir;

// Column widths from the sheet's <cols>, by 1-based column.
std::map<int, double> columnWidths(const std::string& sheetXml) {
    std::map<int, double> out;
    std::regex col(R"re(<col min="(\d+)" max="(\d+)" width="([0-9.]+)")re");
    for (std::sregex_iterator i(sheetXml.begin(), sheetXml.end(), col), end; i != end; ++i)
        for (int c = std::stoi((*i)[1]); c <= std::stoi((*i)[2]); ++c) out[c] = std::stod((*i)[3]);
    return out;
}

CellStyle makeStyle(const std::function<void(CellStyle&)>& f) {
    CellStyle s;
    f(s);
    return s;
}

// A chart of sheet "S" over row 1 reading the given columns.
ColumnLineChart writerChart(std::vector<ChartSeries> columns) {
    ColumnLineChart chart;
    chart.sheet = "S";
    chart.firstRow = chart.lastRow = chart.categoryColumn = 1;
    chart.columns = std::move(columns);
    return chart;
}

class WriterRoundTrip : public ::testing::TestWithParam<bool> {};

TEST_P(WriterRoundTrip, ReaderSeesWhatWasWritten) {
    TempDir dir;
    const std::string path = dir.file("round.xlsx");
    const std::string longText(32767, 'x');  // the most a cell holds
    {
        WorkbookWriter w(path, "Data", {.constantMemory = GetParam()});
        w.writeText(1, 1, "O'Neil <Road> & \"c\" \xE0\xB2\xAE");  // markup characters and Kannada letters
        w.writeText(1, 2, "  padded  ");
        w.writeNumber(2, 2, 123456789012345.0);
        w.writeDate(3, 2, DateTime{2025, 12, 31, 23, 59, 58},
                    makeStyle([](auto& s) { s.numberFormat = "dd-mm-yyyy hh:mm:ss"; }));
        w.writeText(4, 1, "", makeStyle([](auto& s) { s.border = true; }));
        w.writeText(5, 2, "");  // nothing to keep: no cell
        w.writeText(6, 16384, "far right");
        w.writeText(7, 1, longText);
        w.save();
    }
    auto workbook = Workbook::open(path);
    ASSERT_EQ(workbook->sheetCount(), 1);
    auto sheet = workbook->firstSheet();
    EXPECT_EQ(sheet->name(), "Data");

    struct Expect {
        int row, column;
        Cell::Kind kind;
        std::string text;  // cellText
    };
    const std::vector<Expect> cases = {
        {1, 1, Cell::Kind::Text, "O'Neil <Road> & \"c\" \xE0\xB2\xAE"},
        {1, 2, Cell::Kind::Text, "  padded  "},
        {2, 2, Cell::Kind::Number, "123456789012345"},
        {3, 2, Cell::Kind::Date, "2025-12-31 23:59:58"},
        {4, 1, Cell::Kind::Empty, ""},
        {5, 2, Cell::Kind::Empty, ""},
        {6, 16384, Cell::Kind::Text, "far right"},
        {7, 1, Cell::Kind::Text, longText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row) + " column " + std::to_string(c.column));
        Cell cell = sheet->cell(c.row, c.column);
        EXPECT_EQ(cell.kind, c.kind);
        EXPECT_EQ(cellText(cell), c.text);
    }
    EXPECT_EQ(sheet->lastRow(1), 7);
    EXPECT_EQ(sheet->lastRow(2), 3);
    EXPECT_EQ(sheet->lastRow(16384), 6);
}

INSTANTIATE_TEST_SUITE_P(Modes, WriterRoundTrip, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Streamed" : "InMemory"; });

// The look of an exported report: what the package must say for the spreadsheet to show it.
TEST(WriterPackage, StylesMergesAndPageSetupReachTheFile) {
    TempDir dir;
    const std::string path = dir.file("report.xlsx");
    const CellStyle title = makeStyle([](auto& s) {
        s.bold = true;
        s.fontSize = 14;
        s.centred = true;
    });
    const CellStyle bordered = makeStyle([](auto& s) { s.border = true; });
    const CellStyle red = makeStyle([](auto& s) {
        s.fontColor = rgb(255, 255, 255);
        s.fillColor = rgb(255, 0, 0);
        s.border = true;
    });
    const CellStyle yellow = makeStyle([](auto& s) {
        s.bold = true;
        s.fillColor = rgb(255, 255, 0);
        s.border = true;
    });
    {
        WorkbookWriter w(path, "Consolidated_Difference");
        w.mergeText(1, 1, 1, 10, "VESK - ORV Comparison - Consolidated Differences", title);
        w.setColumnStyle(2, makeStyle([](auto& s) { s.numberFormat = "dd/mm/yyyy"; }));
        for (int r = 5; r < 8; ++r) w.writeText(r, 7, "12.00", r % 2 ? red : bordered);
        w.writeText(8, 2, "TOTAL (3)", yellow);
        w.setPageSetup({.leftMargin = 20 / 72.0,
                        .rightMargin = 20 / 72.0,
                        .topMargin = 30 / 72.0,
                        .bottomMargin = 30 / 72.0,
                        .centreHorizontally = true,
                        .fitPagesWide = 1,
                        .titleFirstRow = 1,
                        .titleLastRow = 4});
        w.save();
    }
    const std::string styles = packagePart(path, "xl/styles.xml");
    const std::string sheet = packagePart(path, "xl/worksheets/sheet1.xml");
    const std::string workbook = packagePart(path, "xl/workbook.xml");

    const std::vector<std::pair<const std::string*, std::string>> required = {
        {&styles, "<b/>"},
        {&styles, "<sz val=\"14\"/>"},
        {&styles, "<color rgb=\"FFFFFFFF\"/>"},
        {&styles, "<patternFill patternType=\"solid\"><fgColor rgb=\"FFFF0000\"/>"},
        {&styles, "<left style=\"thin\">"},
        {&styles, "formatCode=\"dd/mm/yyyy\""},
        {&styles, "<alignment horizontal=\"center\"/>"},
        {&sheet, "<mergeCell ref=\"A1:J1\"/>"},
        {&sheet, "<pageSetUpPr fitToPage=\"1\"/>"},
        {&sheet, "<printOptions horizontalCentered=\"1\"/>"},
        {&sheet, "paperSize=\"9\""},
        {&sheet, "fitToHeight=\"0\""},
        {&sheet,
         "<pageMargins left=\"0.2777777777777778\" right=\"0.2777777777777778\" "
         "top=\"0.4166666666666667\" bottom=\"0.4166666666666667\""},
        {&workbook,
         "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">Consolidated_Difference!$1:$4"
         "</definedName>"},
    };
    for (const auto& [part, text] : required) {
        SCOPED_TRACE(text);
        EXPECT_NE(part->find(text), std::string::npos);
    }
    // Identical styles share one format: default, title, bordered, red, yellow, date column.
    EXPECT_NE(styles.find("<cellXfs count=\"6\">"), std::string::npos) << styles;
}

TEST(WriterColumns, FittedWidthsFollowTheLongestValue) {
    TempDir dir;
    const std::string path = dir.file("widths.xlsx");
    const CellStyle bold = makeStyle([](auto& s) { s.bold = true; });
    const CellStyle amount = makeStyle([](auto& s) { s.numberFormat = "#,##0.00"; });
    {
        WorkbookWriter w(path, "S");
        w.mergeText(1, 1, 1, 4, std::string(80, 'T'));  // a merged title widens nothing
        w.writeText(2, 1, "ab");
        w.writeText(3, 1, "abcdefghij");
        w.writeText(2, 2, std::string(10, 'x'), bold);
        w.writeNumber(2, 3, 1234567.5, amount);  // shown as 1,234,567.50
        w.writeText(2, 4, std::string(400, 'y'));
        w.writeText(2, 5, "short");
        w.setColumnWidth(5, 40);  // a fixed width wins over fitting
        w.fitColumnsToContents();
        w.save();
    }
    auto widths = columnWidths(packagePart(path, "xl/worksheets/sheet1.xml"));
    ASSERT_EQ(widths.size(), 5u);
    EXPECT_TRUE(widths[1] >= 10 && widths[1] < 14) << widths[1];
    EXPECT_GT(widths[2], widths[1]);  // same length, bold
    EXPECT_TRUE(widths[3] >= 12 && widths[3] < 16) << widths[3];
    // The file stores widths with the spreadsheet's cell padding added (under one character).
    EXPECT_NEAR(widths[4], 255, 1);
    EXPECT_NEAR(widths[5], 40, 1);
}

TEST(WriterErrors, FailuresBecomeErrorsAndLeaveNoFile) {
    TempDir dir;
    struct Case {
        std::string name;
        std::function<void(const std::string& path)> act;
    };
    const std::vector<Case> cases = {
        {"folder missing",
         [](const std::string&) {
             WorkbookWriter w("/nonexistent-folder-vesk/x.xlsx", "S");
             w.writeText(1, 1, "a");
             w.save();
         }},
        {"sheet name with a bracket", [](const std::string& p) { WorkbookWriter w(p, "Bad[name]"); }},
        {"column past XFD", [](const std::string& p) { WorkbookWriter(p, "S").writeNumber(1, 16385, 1); }},
        {"text longer than a cell holds",
         [](const std::string& p) { WorkbookWriter(p, "S").writeText(1, 1, std::string(32768, 'x')); }},
        {"30 February",
         [](const std::string& p) {
             WorkbookWriter(p, "S").writeDate(1, 1, DateTime{2025, 2, 30});
         }},
        {"reversed merge", [](const std::string& p) { WorkbookWriter(p, "S").mergeText(2, 3, 1, 1, "x"); }},
        {"streamed row going back",
         [](const std::string& p) {
             WorkbookWriter w(p, "S", {.constantMemory = true});
             w.writeText(5, 1, "a");
             w.writeText(4, 1, "b");
         }},
        {"second sheet of the same name",
         [](const std::string& p) {
             WorkbookWriter w(p, "S");
             w.addSheet("S");
         }},
        {"colour scale over no rows",
         [](const std::string& p) {
             WorkbookWriter(p, "S").colourScale(6, 2, 5, 4, Rgb{255, 255, 255}, Rgb{255, 0, 0});
         }},
        {"chart without columns", [](const std::string& p) { WorkbookWriter(p, "S").insertChart(writerChart({})); }},
        {"chart reading column 0",
         [](const std::string& p) {
             WorkbookWriter(p, "S").insertChart(writerChart({{"A", 0, std::nullopt}}));
         }},
        {"write after save",
         [](const std::string& p) {
             WorkbookWriter w(p, "S");
             w.save();
             std::filesystem::remove(p);
             w.writeText(1, 1, "late");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::to_string(&c - cases.data()) + ".xlsx");
        const Error e = test::errorOf([&] { c.act(path); });
        EXPECT_EQ(e.number(), errc::kWorkbook);
        EXPECT_FALSE(e.description().empty());
        if (c.name == "folder missing") {
            EXPECT_NE(e.description().find("/nonexistent-folder-vesk/x.xlsx"), std::string::npos) << e.description();
        }
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST(WriterErrors, ReplacesAnEarlierFile) {
    TempDir dir;
    const std::string path = dir.file("again.xlsx");
    for (const char* text : {"first", "second"}) {
        WorkbookWriter w(path, "S");
        w.writeText(1, 1, text);
        w.save();
    }
    EXPECT_EQ(cellText(Workbook::open(path)->firstSheet()->cell(1, 1)), "second");
}

// Each match of the pattern's first group, in order.
std::vector<std::string> writerMatches(const std::string& text, const std::string& pattern) {
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

Plot writerPlot(const std::string& xml, const std::string& kind) {
    const std::vector<std::string> bodies = writerMatches(xml, "<c:" + kind + ">(.*?)</c:" + kind + ">");
    if (bodies.size() != 1) return {};
    // The plot's own axis ids come after its last series.
    const std::string& body = bodies[0];
    const std::size_t tail = body.rfind("</c:ser>");
    return {writerMatches(body, "<c:tx><c:v>([^<]*)</c:v></c:tx>"),
            writerMatches(tail == std::string::npos ? body : body.substr(tail), "<c:axId val=\"(\\d+)\"/>")};
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
            WorkbookWriter w(path, "S");
            for (int r = 1; r <= 3; ++r)
                for (int col = 1; col <= 5; ++col) w.writeNumber(r, col, r * col);
            ColumnLineChart chart = writerChart({});
            chart.lastRow = 3;
            int column = 2;
            for (const std::string& name : c.columns) chart.columns.push_back({name, column++, Rgb{200, 0, 0}});
            for (const std::string& name : c.lines) chart.lines.push_back({name, column++, std::nullopt});
            chart.lineAxisName = "Count & more";
            chart.row = 5;
            w.insertChart(chart);
            w.save();
        }
        const std::string xml = test::packagePart(path, "xl/charts/chart1.xml");
        const Plot bars = writerPlot(xml, "barChart"), lines = writerPlot(xml, "lineChart");
        EXPECT_EQ(bars.series, c.columns);
        EXPECT_EQ(lines.series, c.lines);
        ASSERT_EQ(bars.axes.size(), 2u);
        ASSERT_EQ(lines.axes.size(), 2u);
        // Four axes, two a plot; the lines' value axis on the right, crossing at the far end.
        const std::vector<std::string> ids = writerMatches(xml, "<c:(?:catAx|valAx)><c:axId val=\"(\\d+)\"/>");
        EXPECT_EQ(ids, (std::vector<std::string>{bars.axes[0], bars.axes[1], lines.axes[0], lines.axes[1]}));
        const std::vector<std::string> right =
            writerMatches(xml,
                          "<c:valAx><c:axId val=\"(\\d+)\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling>"
                          "<c:delete val=\"0\"/><c:axPos val=\"r\"/>");
        EXPECT_EQ(right, std::vector<std::string>{lines.axes[1]});
        EXPECT_NE(xml.find("<a:t>Count &amp; more</a:t>"), std::string::npos);
        EXPECT_NE(xml.find("<c:crosses val=\"max\"/>"), std::string::npos);
        // Each line marks its points; the workbook still opens as a workbook.
        EXPECT_EQ(writerMatches(xml, "(<c:marker><c:symbol val=\"circle\"/>)").size(), c.lines.size());
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
