#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "compare/CompareScreen.h"
#include "compare/ExportScreen.h"
#include "core/Error.h"
#include "sheet/Workbook.h"
#include "support/MonthDatabase.h"
#include "support/PackagePart.h"
#include "support/ScriptedPrompter.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

using test::sheetRows;

class ExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.configure("Hill HO");
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        const char* names[] = {"Alpha SO", "Beta TOTAL Bazar", "Gamma SO", "Delta SO",
                               "Echo SO",  "Foxtrot SO",       "Golf SO"};
        for (int i = 0; i < 7; ++i) {
            const std::string id = std::to_string(10 + i);
            db.office(id, names[i], "SO", "Hill HO", "F" + id);
            db.deposit("F" + id, "0" + std::to_string(i + 1) + "/04/2025", "1234.50");
            db.orv(id, "0" + std::to_string(i + 1) + "/04/2025", "Receipt", "1000");
        }
        logic.blinker().setDuration(std::chrono::milliseconds(0));
        logic.load();
        ASSERT_TRUE(logic.compare());
        exporter.setOutputFolder(out);
    }

    std::string exportConsolidated() {
        auto path = exporter.exportConsolidated();
        EXPECT_TRUE(path.has_value()) << (prompter.messages().empty() ? "" : prompter.lastMessage().text);
        return path.value_or("");
    }
    int pick(const std::string& office) {
        const auto& offices = logic.view().offices;
        return int(std::find(offices.begin(), offices.end(), office) - offices.begin());
    }

    test::TempDir dir;
    std::string out = dir.file("Desktop/VESK - ORV Output");
    test::MonthDatabase db{dir.file("ZETTools.db")};
    test::ScriptedPrompter prompter;
    CompareScreen logic{dir.file("ZETTools.db"), prompter, [] { return DateTime{2025, 5, 10}; }};
    ExportScreen exporter{logic, prompter};
};

TEST_F(ExportTest, ConsolidatedExportOfSevenOffices) {
    const std::string path = exportConsolidated();
    EXPECT_EQ(std::filesystem::path(path).filename(), "April_2025_Consolidated_Difference.xlsx");
    EXPECT_EQ(prompter.lastMessage().text,
              "File successfully saved to Desktop.\r\nFolder : VESK - ORV Output\r\n"
              "File : April_2025_Consolidated_Difference.xlsx");
    EXPECT_EQ(prompter.openedDocuments(), std::vector<std::string>{path});

    const auto rows = sheetRows(path);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[0], "VESK - ORV Comparison - Consolidated Differences");
    EXPECT_EQ(rows[2], "Offices Under Hill HO");
    EXPECT_EQ(rows[3], "Sl.No|Office ID|Facility ID|Office Name|VESK Dep|ORV Dep|Diff Dep|VESK Wdl|ORV Wdl|Diff Wdl");
    EXPECT_EQ(rows[4], "1|10|F10|Alpha SO|1234.50|1000.00|234.50|0.00|0.00|0.00");
    // An office with TOTAL in its name is an office: it is numbered, and the numbers go on after it.
    EXPECT_EQ(rows[5], "2|11|F11|Beta TOTAL Bazar|1234.50|1000.00|234.50|0.00|0.00|0.00");
    EXPECT_EQ(rows[10], "7|16|F16|Golf SO|1234.50|1000.00|234.50|0.00|0.00|0.00");
    EXPECT_EQ(rows[11], "|||TOTAL (7)|8641.50|7000.00|1641.50|0.00|0.00|0.00");

    // Amounts are stored as the texts the grid shows, not as numbers.
    auto book = sheet::Workbook::open(path);
    EXPECT_EQ(book->firstSheet()->cell(5, 5).kind, sheet::Cell::Kind::Text);
    EXPECT_EQ(book->firstSheet()->cell(5, 1).kind, sheet::Cell::Kind::Number);

    const test::CellLook red = test::cellLook(path, "G5");
    EXPECT_EQ(red.fill, "FFFF0000");
    EXPECT_EQ(red.fontColor, "FFFFFFFF");
    EXPECT_TRUE(red.border);
    EXPECT_EQ(test::cellLook(path, "F5").fill, "");
    EXPECT_EQ(test::cellLook(path, "D12").fill, "FFFFFF00");
    EXPECT_EQ(test::cellLook(path, "A12").fill, "");  // the serial column is never coloured

    EXPECT_NE(test::packagePart(path, "xl/worksheets/sheet1.xml").find("A3:J3"), std::string::npos);
    EXPECT_NE(test::packagePart(path, "xl/workbook.xml").find("Consolidated_Difference!$1:$4"), std::string::npos);
}

// A second export replaces the first when the person says so, here filtered otherwise.
TEST_F(ExportTest, AFilterExportsTheShownRowsNumberedWithoutGaps) {
    logic.filterOffices(" d");  // no office begins with a blank: only the total row stays
    const std::string first = exportConsolidated();
    EXPECT_EQ(sheetRows(first).size(), 5u);

    logic.filterOffices("b");
    // The name is taken: No keeps the first file as it was and writes nothing.
    const std::string bytes = test::fileBytes(first);
    prompter.queueAnswer(Answer::No);
    EXPECT_FALSE(exporter.exportConsolidated().has_value());
    EXPECT_EQ(prompter.lastMessage().title, "Replace it?");
    EXPECT_EQ(prompter.lastMessage().defaultAnswer, Answer::Yes);
    EXPECT_EQ(test::fileBytes(first), bytes);
    // Yes, Enter's answer, replaces it.
    prompter.queueAnswer(Answer::Yes);
    const std::string second = exportConsolidated();
    EXPECT_EQ(second, first);
    const auto rows = sheetRows(second);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[2], "Offices Under Hill HO (Filter Text : B)");
    EXPECT_EQ(rows[4], "1|11|F11|Beta TOTAL Bazar|1234.50|1000.00|234.50|0.00|0.00|0.00");
    EXPECT_EQ(rows[5], "|||TOTAL (7)|8641.50|7000.00|1641.50|0.00|0.00|0.00");
}

// Print… hands on the rows the export would write of the filtered grid, the filter named
// under the title lines.
TEST_F(ExportTest, PrintHandsOnTheShownRowsAndTheirFilter) {
    std::vector<Printout> printed;
    exporter.setPrintTarget([&](const Printout& p) { printed.push_back(p); },
                            [] {
                                return DateTime{2025, 5, 10, 9, 5};
                            });
    logic.filterOffices("b");
    ASSERT_TRUE(exporter.printConsolidated());
    ASSERT_EQ(printed.size(), 1u);
    const ExportSheet& sheet = printed[0].sheets.at(0);
    ASSERT_EQ(sheet.rows.size(), 2u);
    EXPECT_EQ(sheet.rows[0].cells.at(2).text, "Beta TOTAL Bazar");
    EXPECT_EQ(printed[0].filterLine, "Filter Text : B");
    EXPECT_EQ(printed[0].printedAt, "Printed on 10/05/2025 09:05");
}

TEST_F(ExportTest, DetailedExportsForOneOfficeAndForAll) {
    logic.filterOffices("ALPHA");
    ASSERT_TRUE(logic.chooseOffice(pick("Gamma SO")));
    auto path = exporter.exportDetailed();
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(std::filesystem::path(*path).filename(), "April_2025_Detailed_Difference.xlsx");
    auto rows = sheetRows(*path);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1], "Period : April 2025  |  Office: Gamma SO");
    EXPECT_EQ(rows[2], "Sl.No|Date|Office Name|VESK Dep|ORV Dep|Diff Dep|VESK Wdl|ORV Wdl|Diff Wdl");
    EXPECT_EQ(rows[3], "1|03/04/2025|Gamma SO|1234.50|1000.00|234.50|0.00|0.00|0.00");
    EXPECT_NE(test::packagePart(*path, "xl/workbook.xml").find("Detailed_Difference!$1:$3"), std::string::npos);

    // All: every listed office, the ones the filter hides included; a scope line without the filter.
    ASSERT_TRUE(logic.chooseOffice(pick("All")));
    prompter.queueAnswer(Answer::Yes);
    path = exporter.exportDetailed();
    ASSERT_TRUE(path.has_value());
    rows = sheetRows(*path);
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows[2], "Offices Under Hill HO");
}

// Reset leaves the grids set up with one blank row each, a comparison where nothing differs
// none: either way no data to export, and the good files stay.
TEST_F(ExportTest, WithoutRowsNeitherExportReplacesAGoodFile) {
    ASSERT_TRUE(logic.chooseOffice(pick("All")));
    const std::string consolidated = exportConsolidated();
    const auto detailed = exporter.exportDetailed();
    ASSERT_TRUE(detailed.has_value());
    const auto consolidatedRows = sheetRows(consolidated);
    const auto detailedRows = sheetRows(*detailed);

    logic.reset();
    EXPECT_FALSE(exporter.exportConsolidated().has_value());
    EXPECT_EQ(prompter.lastMessage().text, "No mismatch data available to export.");
    EXPECT_EQ(prompter.lastMessage().title, "No data");
    EXPECT_FALSE(exporter.exportDetailed().has_value());
    EXPECT_EQ(prompter.lastMessage().text, "No data to export.");

    db.connection().execute("UPDATE orvtable SET tot_amount = '1234.50'");
    logic.compare();
    ASSERT_TRUE(logic.consolidated().rows.empty());
    EXPECT_FALSE(exporter.exportConsolidated().has_value());
    EXPECT_FALSE(exporter.exportDetailed().has_value());
    EXPECT_EQ(sheetRows(consolidated), consolidatedRows);
    EXPECT_EQ(sheetRows(*detailed), detailedRows);
}

TEST(ExportSheetFile, AFailedWriteLeavesTheEarlierFileWhole) {
    test::TempDir dir;
    const std::string path = dir.file("April_2025_Consolidated_Difference.xlsx");
    ExportSheet sheet;
    sheet.sheetName = "Consolidated_Difference";
    sheet.title = "T";
    sheet.periodLine = "P";
    sheet.headers = {"Office Name"};
    sheet.rows.push_back({1, {{"Alpha SO", ExportSheet::Highlight::None, std::nullopt}}});
    writeExportSheet(sheet, path);
    const auto before = std::filesystem::file_size(path);

    // A cell longer than a workbook cell may hold makes the writer fail half-way.
    sheet.rows.push_back({2, {{std::string(40000, 'x'), ExportSheet::Highlight::None, std::nullopt}}});
    EXPECT_THROW(writeExportSheet(sheet, path), Error);
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(sheetRows(path).size(), 4u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);  // no temporary file left behind
}

TEST_F(ExportTest, AnUnwritableOutputFolderGivesAnExportError) {
    const std::string file = dir.file("plain-file");
    { std::ofstream(file) << "x"; }
    exporter.setOutputFolder(file + "/VESK - ORV Output");
    EXPECT_FALSE(exporter.exportConsolidated().has_value());
    EXPECT_EQ(prompter.lastMessage().text.rfind("Export Error: ", 0), 0u);
    EXPECT_EQ(prompter.lastMessage().shownTitle(), "VESK - ORV Comparison Tool");
    EXPECT_TRUE(prompter.openedDocuments().empty());
}

}  // namespace
}  // namespace vesk::compare
