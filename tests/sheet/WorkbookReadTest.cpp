#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
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
        {"<html>", "'upload' is not a workbook but a web page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const Error e = test::errorOf([&] { Workbook::fromBytes("upload", c.bytes); });
        EXPECT_EQ(e.number(), errc::kWorkbook);
        EXPECT_NE(e.description().find(c.says), std::string::npos) << e.description();
    }
}

// Opens the file and reads every sheet, as an import would.
void readAll(const std::string& path) {
    auto book = Workbook::open(path);
    for (int i = 0; i < book->sheetCount(); ++i) book->sheet(i)->lastRow(1);
}

// How a test file comes to be at its path (or not).
using MakeFile = std::function<void(const std::string& path)>;

MakeFile failureBytes(const std::string& bytes) {
    return [bytes](const std::string& p) { std::ofstream(p, std::ios::binary) << bytes; };
}
MakeFile failureCopyOf(const char* fixtureName, double share = 1) {
    return [=](const std::string& p) { test::copyPrefix(fixture(fixtureName), p, share); };
}
MakeFile failureSheet(const char* sheetData) {
    return [sheetData](const std::string& p) { test::writeSheetPackage(p, {.sheetData = sheetData}); };
}
MakeFile failureParts(std::vector<std::pair<std::string, std::string>> entries) {
    return [entries](const std::string& p) { test::writePackage(p, entries); };
}

// Every bad file, and every damaged part of a good-looking one, is refused with its reason;
// nothing in it is skipped.
TEST(WorkbookOpen, EveryBadFileBecomesAnError) {
    test::TempDir dir;
    // Names a file gives its sheets and parts are quoted in refusals cut short: a hostile file
    // cannot make a message nobody reads to its end.
    const std::string longName(5000, 'N');
    const std::pair<std::string, std::string> workbook = {
        "xl/workbook.xml", "<workbook><sheets><sheet name=\"" + longName + "\" id=\"rId1\"/></sheets></workbook>"};
    const std::pair<std::string, std::string> rels = {
        "xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"" +
                                          longName + ".xml\"/></Relationships>"};
    struct Case {
        const char* name;
        MakeFile make;
        const char* says;
        long number = errc::kWorkbook;
        bool quotesCutShort = false;
    };
    const std::vector<Case> cases = {
        {"missing", [](const std::string&) {}, "missing.xlsx", errc::kFileNotFound},
        {"text named .xlsx", failureBytes("TRAN_ID,VALUE_DATE\n1,2025-04-10\n"), "is not a workbook"},
        {"web page named .xls", failureBytes("\xEF\xBB\xBF\r\n<html><table><tr><td>1</td></tr></table></html>"),
         "web page"},
        {"truncated xlsx", failureCopyOf("dates-1904.xlsx", 0.5), "damaged"},
        {"truncated xls", failureCopyOf("libreoffice.xls", 0.5), "damaged"},
        {"Excel 2.1 worksheet, a bare record stream",
         failureBytes(std::string("\x09\x00\x04\x00\x02\x00\x10\x00\x0a\x00\x00\x00", 12)),
         "is in an Excel 2-4 format this program cannot read; save it as .xlsx or .xls first"},
        {"Excel 4.0 worksheet", failureBytes(std::string("\x09\x04\x06\x00\x00\x00\x10\x00", 8)), "Excel 2-4 format"},
        {"encrypted package", failureCopyOf("encrypted.xlsx"), "encrypted"},
        {"password-protected xls", failureCopyOf("password.xls"), "password protected"},
        // Which cells are refused, and why, is the worksheet reader's own test; one reaches here.
        {"unreadable number", failureSheet("<row r=\"1\"><c r=\"A1\"><v>12,5</v></c></row>"),
         "unreadable number '12,5'"},
        {"entity declarations",
         failureParts({{"_rels/.rels", "<Relationships/>"},
                       {"xl/workbook.xml",
                        "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
                        "<workbook><sheets><sheet name=\"&b;\" id=\"r\"/></sheets></workbook>"}}),
         "document type"},
        {"sheet without a part", failureParts({workbook}), "the sheet 'NNN", errc::kWorkbook, true},
        {"missing part", failureParts({workbook, rels}), "the part xl/NNN", errc::kWorkbook, true},
        {"damaged sheet",
         failureParts({workbook,
                       rels,
                       {"xl/" + longName + ".xml", "<worksheet><sheetData><row r=\"0\"/></sheetData></worksheet>"}}),
         "The sheet 'NNN", errc::kWorkbook, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::to_string(&c - cases.data()) + c.name + ".xlsx");
        c.make(path);
        const Error e = test::errorOf([&] { readAll(path); });
        EXPECT_EQ(e.number(), c.number) << e.description();
        EXPECT_NE(e.description().find(c.says), std::string::npos) << e.description();
        if (c.quotesCutShort) {
            EXPECT_NE(e.description().find("N\u2026"), std::string::npos) << e.description();
            EXPECT_LT(e.description().size(), 300u);
        }
    }
}

TEST(WorkbookOpen, SheetIndexOutsideTheWorkbook) {
    EXPECT_THROW(Workbook::open(fixture("dates-1904.xlsx"))->sheet(-1), Error);
    EXPECT_THROW(Workbook::open(fixture("libreoffice.xls"))->sheet(2), Error);
}

}  // namespace
}  // namespace vesk::sheet
