#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "PackageFile.h"
#include "core/Error.h"
#include "sheet/Workbook.h"
#include "store/StoreTestSupport.h"
#include "support/TempDir.h"

namespace vesk::sheet {
namespace {

using test::fixture;

// The text an import would store, or "<error #N/A>" for an error cell.
std::string shown(const Cell& c) {
    if (c.kind == Cell::Kind::Error) return "<error " + c.text + ">";
    return cellText(c);
}

struct Expected {
    const char* address;
    Cell::Kind kind;
    std::string text;
};

void expectCells(const Sheet& sheet, const std::vector<Expected>& cells) {
    for (const Expected& e : cells) {
        SCOPED_TRACE(e.address);
        std::string letters;
        std::string digits;
        for (const char* p = e.address; *p; ++p)
            (std::isdigit(static_cast<unsigned char>(*p)) ? digits : letters) += *p;
        const Cell c = sheet.cell(std::stoi(digits), columnNumber(letters));
        EXPECT_EQ(c.kind, e.kind);
        EXPECT_EQ(shown(c), e.text);
    }
}

constexpr auto kNumber = Cell::Kind::Number;
constexpr auto kText = Cell::Kind::Text;
constexpr auto kDate = Cell::Kind::Date;
constexpr auto kBool = Cell::Kind::Boolean;
constexpr auto kError = Cell::Kind::Error;

TEST(XlsxRead, DateSystem1904CustomFormatsAndSharedStrings) {
    auto book = Workbook::open(fixture("dates-1904.xlsx"));
    ASSERT_EQ(book->sheetCount(), 2);
    EXPECT_EQ(book->activeSheetIndex(), 1);
    EXPECT_EQ(book->firstSheet()->name(), "Notes");
    EXPECT_EQ(book->firstSheet()->cell(1, columnNumber("AA")).number, 27);

    auto sheet = book->activeSheet();
    EXPECT_EQ(sheet->name(), "Dates");
    expectCells(*sheet, {
                            {"A1", kText, "Label"},
                            {"B1", kDate, "2025-04-10"},           // dd/mm/yyyy
                            {"B3", kDate, "2025-04-10 12:00:00"},  // hh:mm
                            {"B4", kNumber, "44295"},              // 0.00 "days"
                            {"B6", kDate, "1904-01-02 06:00:00"},  // [h]:mm:ss
                            {"B9", kDate, "2025-04-11"},           // yyyy\-mm\-dd, a hair before midnight
                            {"B11", kDate, "1904-01-01"},
                            {"B15", kError, "<error #N/A>"},
                            {"B17", kBool, "True"},
                            {"B19", kText, "Bold and plain"},
                            {"B20", kText, "Tokyo"},  // the phonetic reading is not part of the value
                            {"B22", kText, "line\rbreak_x0041_"},
                            {"B24", kNumber, "0.000000123456789012346"},
                        });
    EXPECT_EQ(sheet->lastRow(2), 24);
}

// Parts found by whatever target a writer gives, and workbook settings as writers spell them.
TEST(XlsxRead, FindsPartsAndReadsSettingsAsWritersSpellThem) {
    test::TempDir dir;
    const std::string sharedA1 = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>";
    const auto settings = [](const char* workbookXml) {
        return test::SheetPackage{.sheetData = "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>44295</v></c></row>",
                                  .extraWorkbookXml = workbookXml,
                                  .withStyles = true};
    };
    struct Case {
        const char* name;
        test::SheetPackage package;
        const char* a1;
    };
    const Case cases[] = {
        {"absolute", {sharedA1, "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"}, "shared"},
        {"dot-dot", {sharedA1, "../data/one.xml", "data/one.xml"}, "shared"},
        {"escaped space", {sharedA1, "worksheets/my%20sheet.xml", "xl/worksheets/my sheet.xml"}, "shared"},
        {"entry named with backslashes", {sharedA1, "worksheets/sheet1.xml", "xl\\Worksheets\\sheet1.xml"}, "shared"},
        {"target with backslashes", {sharedA1, "worksheets\\sheet1.xml", "xl/worksheets/sheet1.xml"}, "shared"},
        {"entry named from the root", {sharedA1, "worksheets/sheet1.xml", "/xl/worksheets/sheet1.xml"}, "shared"},
        {"date1904 true", settings("<workbookPr date1904=\"true\"/>"), "2025-04-10"},
        {"date1904 false", settings("<workbookPr date1904=\"false\"/>"), "2021-04-09"},
        {"active tab past the end", settings("<bookViews><workbookView activeTab=\"7\"/></bookViews>"), "2021-04-09"},
        {"unreadable active tab", settings("<bookViews><workbookView activeTab=\"x\"/></bookViews>"), "2021-04-09"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string(c.name) + ".xlsx");
        test::writeSheetPackage(path, c.package);
        auto book = Workbook::open(path);
        EXPECT_EQ(book->activeSheetIndex(), 0);
        EXPECT_EQ(cellText(book->firstSheet()->cell(1, 1)), c.a1);
    }
}

// The escapes of characters XML cannot carry: a zero character would cut the text short
// wherever it is handed on as a C string, so it is dropped (other control characters stay:
// the damaged corpus); what comes out is always UTF-8.
TEST(XlsxRead, EscapedControlCharactersNeverYieldAZeroByte) {
    test::TempDir dir;
    const std::string path = dir.file("escapes.xlsx");
    test::writeSheetPackage(
        path,
        {.sheetData = "<row r=\"1\"><c r=\"B1\" t=\"inlineStr\"><is><t>_x0000__x0000_</t></is></c>"
                      "<c r=\"D1\" t=\"str\"><v>f_x0000_x</v></c>"
                      "<c r=\"E1\" t=\"inlineStr\"><is><t>_xD83D__xDE00_ and _xD800_ _xDC00_x</t></is></c></row>"});
    auto sheet = Workbook::open(path)->firstSheet();
    expectCells(*sheet, {
                            {"B1", kText, ""},
                            {"D1", kText, "fx"},
                            // A character past U+FFFF as its two surrogates; a lone one is no character.
                            {"E1", kText, "\U0001F600 and \uFFFD \uFFFDx"},
                        });
}

// A workbook handed over in memory reads as the same file opened from disk.
TEST(WorkbookFromBytes, ReadsAsTheFileReads) {
    for (const char* name : {"dates-1904.xlsx", "libreoffice.xls", "damaged/ok-backslash-names.xlsx"}) {
        SCOPED_TRACE(name);
        std::ifstream in(fixture(name), std::ios::binary);
        auto fromMemory = Workbook::fromBytes(name, std::string(std::istreambuf_iterator<char>(in), {}));
        auto fromFile = Workbook::open(fixture(name));
        ASSERT_EQ(fromMemory->sheetCount(), fromFile->sheetCount());
        EXPECT_EQ(fromMemory->activeSheetIndex(), fromFile->activeSheetIndex());
        for (int i = 0; i < fromFile->sheetCount(); ++i) {
            const auto a = fromMemory->sheet(i), b = fromFile->sheet(i);
            EXPECT_EQ(a->name(), b->name());
            ASSERT_EQ(a->usedRows(), b->usedRows());
            ASSERT_EQ(a->usedColumns(), b->usedColumns());
            for (int r = 1; r <= b->usedRows(); ++r)
                for (int c = 1; c <= b->usedColumns(); ++c) EXPECT_EQ(shown(a->cell(r, c)), shown(b->cell(r, c)));
        }
    }
    // An error cell of the older format reads as one, and refuses to be taken as text.
    const Cell error = Workbook::open(fixture("libreoffice.xls"))->firstSheet()->cell(4, 4);
    EXPECT_EQ(shown(error), "<error #N/A>");
    EXPECT_THROW(cellText(error), Error);
    // Larger than asked for: nothing is held, the file is opened by its path instead.
    EXPECT_EQ(readFileBytes(fixture("libreoffice.xlsx"), 10), nullptr);
}

TEST(WorkbookFromBytes, RefusalsNameWhatTheCallerNamed) {
    struct Case {
        std::string bytes;
        const char* says;
    };
    const Case cases[] = {
        {"", "'upload' is empty"},
        {"PK\x03\x04 not really", "'upload' is damaged: the zip package cannot be read"},
        {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), "'upload' is damaged"},
        {"<html>", "'upload' is not a workbook but a web page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const Error e = test::errorOf([&] { Workbook::fromBytes("upload", c.bytes); });
        EXPECT_EQ(e.number(), errc::kWorkbook);
        EXPECT_NE(e.description().find(c.says), std::string::npos) << e.description();
    }
}

}  // namespace
}  // namespace vesk::sheet
