#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

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
        {"empty", [](const std::string& p) { writeFile(p, ""); }, errc::kWorkbook, "empty"},
        {"random bytes",
         [](const std::string& p) {
             std::mt19937 gen(7);
             std::string bytes(4096, '\0');
             for (char& c : bytes) c = char(gen() & 0xFF);
             bytes[0] = 'x';
             writeFile(p, bytes);
         },
         errc::kWorkbook, "is not a workbook"},
        {"text named .xlsx", [](const std::string& p) { writeFile(p, "TRAN_ID,VALUE_DATE\n1,2025-04-10\n"); },
         errc::kWorkbook, "is not a workbook"},
        {"web page named .xls",
         [](const std::string& p) { writeFile(p, "\xEF\xBB\xBF\r\n<html><table><tr><td>1</td></tr></table></html>"); },
         errc::kWorkbook, "web page"},
        {"zip signature then junk", [](const std::string& p) { writeFile(p, std::string("PK\x03\x04", 4) + "junk"); },
         errc::kWorkbook, "damaged"},
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
        {"compound header only", [](const std::string& p) { test::copyPrefix(fixture("libreoffice.xls"), p, 512); },
         errc::kWorkbook, "damaged"},
        {"package without workbook",
         [](const std::string& p) { test::copyPrefix(fixture("no-workbook.xlsx"), p, 1 << 20); }, errc::kWorkbook,
         "no workbook part"},
        {"word document",
         [](const std::string& p) {
             test::writePackage(p, {{"_rels/.rels", "<Relationships/>"}, {"word/document.xml", "<document/>"}});
         },
         errc::kWorkbook, "is not a workbook"},
        {"binary workbook",
         [](const std::string& p) {
             test::writePackage(p, {{"_rels/.rels",
                                     "<Relationships><Relationship Id=\"r\" Type=\"http://schemas.openxmlformats.org/"
                                     "officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.bin\"/>"
                                     "</Relationships>"},
                                    {"xl/workbook.bin", "binary"}});
         },
         errc::kWorkbook, ".xlsb"},
        {"sheet cut off", [](const std::string& p) { test::copyPrefix(fixture("malformed-sheet.xlsx"), p, 1 << 20); },
         errc::kWorkbook, "not well-formed"},
        {"encrypted package", [](const std::string& p) { test::copyPrefix(fixture("encrypted.xlsx"), p, 1 << 20); },
         errc::kWorkbook, "encrypted"},
        {"password-protected xls", [](const std::string& p) { test::copyPrefix(fixture("password.xls"), p, 1 << 20); },
         errc::kWorkbook, "password protected"},
        {"folder", [](const std::string& p) { std::filesystem::create_directory(p); }, errc::kWorkbook, "folder"},
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
        {"negative shared string index", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>-1</v></c></row>", "shared string"},
        {"unreadable number", "<row r=\"1\"><c r=\"A1\"><v>12,5</v></c></row>", "unreadable number '12,5'"},
        {"infinite number", "<row r=\"1\"><c r=\"A1\"><v>1e999</v></c></row>", "unreadable number"},
        {"unreadable boolean", "<row r=\"1\"><c r=\"A1\" t=\"b\"><v>yes</v></c></row>", "boolean"},
        {"unreadable ISO date", "<row r=\"1\"><c r=\"A1\" t=\"d\"><v>soon</v></c></row>", "date"},
        {"unknown cell type", "<row r=\"1\"><c r=\"A1\" t=\"q\"><v>1</v></c></row>", "unknown cell type"},
        {"row past the last row", "<row r=\"1048577\"><c><v>1</v></c></row>", "outside the sheet"},
        {"row zero", "<row r=\"0\"><c><v>1</v></c></row>", "outside the sheet"},
        {"column past the last column", "<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>", "XFE1"},
        {"reference without row", "<row r=\"1\"><c r=\"A\"><v>1</v></c></row>", "a cell at 'A'"},
        {"cell outside any row", "<c><v>1</v></c>", "outside any row"},
        {"mismatched tags", "<row r=\"1\"><c r=\"A1\"><v>1</c></v></row>", "not well-formed"},
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

TEST(WorkbookOpen, SheetIndexOutsideTheWorkbook) {
    auto book = Workbook::open(fixture("dates-1904.xlsx"));
    for (int index : {-1, 2}) {
        SCOPED_TRACE(index);
        EXPECT_THROW(book->sheet(index), Error);
    }
    auto xls = Workbook::open(fixture("libreoffice.xls"));
    EXPECT_THROW(xls->sheet(2), Error);
}

}  // namespace
}  // namespace vesk::sheet
