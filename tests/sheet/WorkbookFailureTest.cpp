#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "PackageFile.h"
#include "core/Error.h"
#include "sheet/Workbook.h"
#include "store/StoreTestSupport.h"
#include "support/TempDir.h"

namespace vesk::sheet {
namespace {

using test::fixture;

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
        {"shared string index past the table", failureSheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row>"),
         "shared string"},
        {"unreadable number", failureSheet("<row r=\"1\"><c r=\"A1\"><v>12,5</v></c></row>"),
         "unreadable number '12,5'"},
        {"unreadable boolean", failureSheet("<row r=\"1\"><c r=\"A1\" t=\"b\"><v>yes</v></c></row>"), "boolean"},
        {"row past the last row", failureSheet("<row r=\"1048577\"><c><v>1</v></c></row>"), "outside the sheet"},
        {"column past the last column", failureSheet("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"), "XFE1"},
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
