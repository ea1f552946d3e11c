#include <gtest/gtest.h>

#include "compare/Printout.h"

namespace vesk::compare {
namespace {

ExportSheet::Cell cell(std::string text, ExportSheet::Highlight highlight = ExportSheet::Highlight::None,
                       std::optional<Rgb> fill = std::nullopt) {
    return {std::move(text), highlight, fill};
}

Printout richPrintout() {
    ExportSheet sheet;
    sheet.sheetName = "Left_Out";
    sheet.title = "Title: with 3:colons\nand a line";
    sheet.periodLine = "Period : April 2025";
    sheet.scopeLine = "Head Office : Bay HO";
    sheet.headers = {"Office Name", "Amount", ""};
    sheet.rows = {{1, {cell("Bay SO", ExportSheet::Highlight::Red), cell("-1234.50", {}, Rgb{1, 2, 3})}},
                  {std::nullopt, {cell("Total"), cell(std::string("a\0b", 3))}}};
    sheet.sections = {{"Only in VESK", {"ID"}, {{7, {cell("T1", ExportSheet::Highlight::Yellow)}}}}};
    sheet.legend = {{"Red: differs", Rgb{255, 0, 0}}};
    sheet.widths = {{9, 40.5}};
    Printout p;
    p.documentName = "April_2025_Left_Out";
    p.filterLine = "Filter : Ba";
    p.printedAt = "Printed on 09/12/2026 14:05";
    p.signOffs = {{"Prepared by", "A. Clerk", "Postal Assistant"}, {"Checked by", "", ""}};
    p.sheets = {sheet, ExportSheet{}};
    return p;
}

// What goes to the windowed program arrives whole, whatever the cells hold, and anything else
// is refused rather than half read: a pipe cut short, a byte too many, a count past the end.
TEST(Printout, ArrivesWholeOrNotAtAll) {
    const Printout sent = richPrintout();
    const std::string bytes = encodePrintout(sent);
    const std::optional<Printout> got = decodePrintout(bytes);
    ASSERT_TRUE(got);
    EXPECT_EQ(encodePrintout(*got), bytes);
    EXPECT_EQ(got->signOffs, sent.signOffs);
    ASSERT_EQ(got->sheets.size(), 2u);
    const ExportSheet& s = got->sheets[0];
    EXPECT_EQ(s.title, sent.sheets[0].title);
    EXPECT_EQ(s.scopeLine, sent.sheets[0].scopeLine);
    EXPECT_FALSE(got->sheets[1].scopeLine);
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_EQ(s.rows[0].serial, 1);
    EXPECT_EQ(s.rows[0].cells[0].highlight, ExportSheet::Highlight::Red);
    EXPECT_EQ(s.rows[0].cells[1].fill, (Rgb{1, 2, 3}));
    EXPECT_FALSE(s.rows[1].serial);
    EXPECT_EQ(s.rows[1].cells[1].text, std::string("a\0b", 3));
    EXPECT_EQ(s.sections.at(0).rows.at(0).serial, 7);
    EXPECT_EQ(s.legend.at(0).second, (Rgb{255, 0, 0}));
    EXPECT_EQ(s.widths, sent.sheets[0].widths);

    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        ASSERT_FALSE(decodePrintout(std::string_view(bytes).substr(0, cut))) << cut;
    EXPECT_FALSE(decodePrintout(bytes + "0"));
    // A million rows announced in a few bytes: refused before anything is made for them.
    std::string huge = encodePrintout(Printout{});
    huge.replace(huge.size() - 3, 3, "7:1000000");
    EXPECT_FALSE(decodePrintout(huge));
    // A number written two ways would read as one: only the one way is taken.
    std::string padded = encodePrintout(Printout{});
    padded.replace(padded.size() - 3, 3, "2:00");
    EXPECT_FALSE(decodePrintout(padded));
}

TEST(Printout, IsNamedAfterItsFileAndDated) {
    const Printout p = printoutOf("April_2025_Left_Out.xlsx", {ExportSheet{}}, DateTime{2026, 12, 9, 14, 5, 0});
    EXPECT_EQ(p.documentName, "April_2025_Left_Out");
    EXPECT_EQ(p.printedAt, "Printed on 09/12/2026 14:05");
    EXPECT_EQ(p.sheets.size(), 1u);
}

}  // namespace
}  // namespace vesk::compare
