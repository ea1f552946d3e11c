#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "PackageFile.h"
#include "core/Error.h"
#include "sheet/Workbook.h"
#include "support/TempDir.h"

namespace vesk::sheet {
namespace {

using test::fixture;

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// Opens the file and reads every sheet, as an import would.
void readAll(const std::string& path) {
    auto book = Workbook::open(path);
    for (int i = 0; i < book->sheetCount(); ++i) book->sheet(i)->lastRow(1);
}

struct FailureCase {
    const char* name;
    std::function<void(const std::string& path)> make;  // leaves the file at path (or not)
    long number;
    const char* descriptionPart;
};

TEST(WorkbookOpen, EveryBadFileBecomesAnError) {
    test::TempDir dir;
    const std::vector<FailureCase> cases = {
        {"missing", [](const std::string&) {}, errc::kFileNotFound, "missing.xlsx"},
        {"text named .xlsx", [](const std::string& p) { writeFile(p, "TRAN_ID,VALUE_DATE\n1,2025-04-10\n"); },
         errc::kWorkbook, "is not a workbook"},
        {"web page named .xls",
         [](const std::string& p) { writeFile(p, "\xEF\xBB\xBF\r\n<html><table><tr><td>1</td></tr></table></html>"); },
         errc::kWorkbook, "web page"},
        {"truncated xlsx",
         [](const std::string& p) {
             const std::string from = fixture("dates-1904.xlsx");
             test::copyPrefix(from, p, test::fileSize(from) / 2);
         },
         errc::kWorkbook, "damaged"},
        {"truncated xls",
         [](const std::string& p) {
             const std::string from = fixture("libreoffice.xls");
             test::copyPrefix(from, p, test::fileSize(from) / 2);
         },
         errc::kWorkbook, "damaged"},
        {"Excel 2.1 worksheet, a bare record stream",
         [](const std::string& p) {
             writeFile(p, std::string("\x09\x00\x04\x00\x02\x00\x10\x00\x0a\x00\x00\x00", 12));
         },
         errc::kWorkbook, "Excel 2-4 format"},
        {"Excel 4.0 worksheet",
         [](const std::string& p) { writeFile(p, std::string("\x09\x04\x06\x00\x00\x00\x10\x00", 8)); },
         errc::kWorkbook, "Excel 2-4 format"},
        {"encrypted package", [](const std::string& p) { test::copyPrefix(fixture("encrypted.xlsx"), p, 1 << 20); },
         errc::kWorkbook, "encrypted"},
        {"password-protected xls", [](const std::string& p) { test::copyPrefix(fixture("password.xls"), p, 1 << 20); },
         errc::kWorkbook, "password protected"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path =
            dir.file(c.name == std::string("missing") ? "missing.xlsx" : c.name + std::string(".xlsx"));
        c.make(path);
        try {
            readAll(path);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), c.number) << e.description();
            EXPECT_NE(e.description().find(c.descriptionPart), std::string::npos) << e.description();
        }
    }
}

TEST(WorkbookOpen, DamagedSheetContentIsReportedNotSkipped) {
    test::TempDir dir;
    struct Case {
        const char* name;
        const char* sheetData;
        const char* descriptionPart;
    };
    const Case cases[] = {
        {"shared string index past the table", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row>", "shared string"},
        {"unreadable number", "<row r=\"1\"><c r=\"A1\"><v>12,5</v></c></row>", "unreadable number '12,5'"},
        {"unreadable boolean", "<row r=\"1\"><c r=\"A1\" t=\"b\"><v>yes</v></c></row>", "boolean"},
        {"row past the last row", "<row r=\"1048577\"><c><v>1</v></c></row>", "outside the sheet"},
        {"column past the last column", "<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>", "XFE1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("bad.xlsx");
        test::SheetPackage p;
        p.sheetData = c.sheetData;
        test::writeSheetPackage(path, p);
        auto book = Workbook::open(path);
        try {
            book->firstSheet();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), errc::kWorkbook);
            EXPECT_NE(e.description().find(c.descriptionPart), std::string::npos) << e.description();
        }
    }
}

TEST(WorkbookOpen, EntityDeclarationsAreRefused) {
    test::TempDir dir;
    const std::string path = dir.file("entities.xlsx");
    test::writePackage(path,
                       {{"_rels/.rels", "<Relationships/>"},
                        {"xl/workbook.xml",
                         "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;\">]>"
                         "<workbook><sheets><sheet name=\"&b;\" id=\"r\"/></sheets></workbook>"}});
    try {
        Workbook::open(path);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(e.description().find("document type"), std::string::npos) << e.description();
    }
}

// Names a file gives its sheets and parts are quoted in refusals, cut short: a hostile file
// cannot make a message nobody reads to its end.
TEST(WorkbookOpen, NamesFromTheFileAreQuotedCutShort) {
    test::TempDir dir;
    const std::string longName(5000, 'N');
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> entries;
        const char* says;
    };
    const std::string workbook = "<workbook><sheets><sheet name=\"" + longName + "\" id=\"rId1\"/></sheets></workbook>";
    const std::string rels = "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"" + longName +
                             ".xml\"/></Relationships>";
    const std::vector<Case> cases = {
        {"sheet without a part", {{"xl/workbook.xml", workbook}}, "the sheet 'NNN"},
        {"missing part", {{"xl/workbook.xml", workbook}, {"xl/_rels/workbook.xml.rels", rels}}, "the part xl/NNN"},
        {"damaged sheet",
         {{"xl/workbook.xml", workbook},
          {"xl/_rels/workbook.xml.rels", rels},
          {"xl/" + longName + ".xml", "<worksheet><sheetData><row r=\"0\"/></sheetData></worksheet>"}},
         "The sheet 'NNN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("names.xlsx");
        test::writePackage(path, c.entries);
        try {
            readAll(path);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_NE(e.description().find(c.says), std::string::npos) << e.description();
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
