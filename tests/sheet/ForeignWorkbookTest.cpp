// Workbooks written by other programs (scripts/make-foreign-workbooks): the same CTR sheet
// from every writer Debian packages and two of the npm registry's, each read cell by cell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Error.h"
#include "sheet/Workbook.h"
#include "store/StoreTestSupport.h"
#include "support/TempDir.h"

namespace vesk::sheet {
namespace {

constexpr auto kUnicode = "\u00dcn\u00efc\u00f6d\u00e9 \u20b9 \u65e5\u672c";

struct Writer {
    const char* file;
    bool savedWithSecondSheetActive;
    // What the writer made of what it could not store as it was given.
    const char* unicodeText = kUnicode;  // code-page formats replace what their code page lacks
    const char* trueCell = "True";       // a formula whose result the writer never computed is 0
    const char* falseCell = "False";
    std::size_t longText = 300;  // some cut text to the 255 characters old record types hold
};

std::ostream& operator<<(std::ostream& out, const Writer& w) { return out << w.file; }

const Writer kWriters[] = {
    {"openpyxl.xlsx", true},
    {"openpyxl-iso-dates.xlsx", true},  // dates as ISO 8601 text (t="d"), a time alone among them
    {"xlsxwriter.xlsx", true},
    {"xlsxwriter-constant-memory.xlsx", true},  // inline strings
    {"perl-writer-xlsx.xlsx", true},
    {"r-openxlsx.xlsx", true},
    {"exceljs.xlsx", true},
    {"sheetjs.xlsx", false},
    {"go-tealeg.xlsx", false},
    {"libreoffice.xlsx", true},
    {"libreoffice-ooxml.xlsx", true},
    {"libreoffice.xlsm", true},
    {"gnumeric.xlsx", false},
    {"gnumeric-2010.xlsx", false},
    {"xlwt.xls", true},
    {"perl-writeexcel.xls", true, kUnicode, "0", "0"},
    {"poi-hssf.xls", true},
    {"ruby-spreadsheet.xls", false},
    {"sheetjs-biff8.xls", false, kUnicode, "True", "False", 255},
    {"sheetjs-biff5.xls", false, "_n_c_d_ _ __", "True", "False", 255},
    {"libreoffice-biff8.xls", true},
    {"gnumeric-biff8.xls", false},
    {"gnumeric-biff7.xls", false, "\u00dcn\u00efc\u00f6d\u00e9 ? ??"},
    {"gnumeric-dual.xls", false},  // a BIFF8 and a BIFF5 stream side by side
};

class ForeignWorkbook : public testing::TestWithParam<Writer> {};

TEST_P(ForeignWorkbook, ReadsEveryCellAsTheWriterMeantIt) {
    const Writer& w = GetParam();
    auto book = Workbook::open(test::fixture(std::string("foreign/") + w.file));
    ASSERT_EQ(book->sheetCount(), 2);
    EXPECT_EQ(book->activeSheetIndex(), w.savedWithSecondSheetActive ? 1 : 0);
    EXPECT_EQ(book->sheet(1)->name(), "Other");
    EXPECT_EQ(cellText(book->sheet(1)->cell(1, 1)), "second");

    const auto sheet = book->firstSheet();
    EXPECT_EQ(sheet->name(), "CTR");
    EXPECT_EQ(sheet->usedRows(), 6);
    EXPECT_EQ(sheet->usedColumns(), 11);
    const std::vector<std::vector<std::string>> rows = {
        {"TRAN_ID", "VALUE_DATE", "TRAN_DATE", "CASH_TRAN_TYPE", "TRAN_AMT", "FACILITY_ID", "ACCOUNT_NO",
         "ACCOUNT_NAME", "TRAN_PARTICULARS", "BRANCH_CODE", "REMARKS"},
        {"T1", "2025-04-10", "2025-04-10 13:30:00", "DEPOSIT", "1250.5", "F1", "1234567890", "O'Brien & Sons",
         "Cash\tdesk", "6", w.trueCell},
        {"T2", "2025-04-11", "1899-12-30 07:30:00", "WITHDRAWAL", "-0.1", "F2", "0012345", w.unicodeText,
         "line1\nline2", "12345678901", ""},
        {"T3", "1900-03-01", "2025-12-31 23:59:59", "DEPOSIT", "0.000123", "F3", "1000000000000000",
         std::string(w.longText, 'x'), "a\\b", "0", w.falseCell},
        std::vector<std::string>(11),
        {"end", "", "", "", "", "", "", "", "", "", ""},
    };
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < 11; ++c) {
            SCOPED_TRACE(columnLetters(c + 1) + std::to_string(r + 1));
            EXPECT_EQ(cellText(sheet->cell(r + 1, c + 1)), rows[std::size_t(r)][std::size_t(c)]);
        }
    // Dates, numbers and text keep their kinds: an account number written as text stays text.
    EXPECT_EQ(sheet->cell(2, 2).kind, Cell::Kind::Date);
    EXPECT_EQ(sheet->cell(3, 3).kind, Cell::Kind::Date);
    EXPECT_EQ(sheet->cell(2, 5).kind, Cell::Kind::Number);
    EXPECT_EQ(sheet->cell(2, 7).kind, Cell::Kind::Number);
    EXPECT_EQ(sheet->cell(3, 7).kind, Cell::Kind::Text);
    EXPECT_EQ(sheet->cell(3, 11).kind, Cell::Kind::Empty);
}

INSTANTIATE_TEST_SUITE_P(Writers, ForeignWorkbook, testing::ValuesIn(kWriters));

// What other writers make that this program does not read is refused with a way out.
TEST(ForeignWorkbookRefused, FormatsOtherWritersOfferThatThisProgramDoesNotRead) {
    struct Case {
        const char* file;
        const char* says;
    };
    const Case cases[] = {
        {"sheetjs.xlsb", "is a binary workbook (.xlsb); save it as .xlsx or .xls first"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Error e = test::errorOf([&] { Workbook::open(test::fixture(std::string("foreign/") + c.file)); });
        EXPECT_EQ(e.number(), errc::kWorkbook);
        EXPECT_NE(e.description().find(c.says), std::string::npos) << e.description();
    }
}

}  // namespace
}  // namespace vesk::sheet
