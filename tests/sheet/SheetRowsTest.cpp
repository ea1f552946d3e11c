// Rows handed over one by one as a sheet is read: each row once, in order, with its last
// values; a sheet that cannot be read that way says so and is left to be read whole. That the
// rows are the whole sheet's is checked on every fixture and fuzz input (tests/fuzz).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "PackageFile.h"
#include "core/Error.h"
#include "sheet/SheetRows.h"
#include "sheet/StoredSheet.h"
#include "sheet/Workbook.h"
#include "store/StoreTestSupport.h"
#include "support/TempDir.h"

namespace vesk::sheet {
namespace {

// A cell as one line of text: its kind and value.
std::string describe(const Cell& c) {
    switch (c.kind) {
        case Cell::Kind::Empty:
            return "";
        case Cell::Kind::Error:
            return "error " + c.text;
        default:
            return cellText(c);
    }
}

// Collects the rows handed over: row number -> columns 1..n described.
class RowLog final : public RowSink {
  public:
    std::map<int, std::vector<std::string>> rows;
    std::vector<int> order;

    void row(int number, const RowCells& cells) override {
        order.push_back(number);
        std::vector<std::string> described;
        for (int c = 1; c <= cells.columns(); ++c) {
            described.push_back(describe(cells.cell(c)));
            // The text view and the cell agree.
            if (cells.kind(c) == Cell::Kind::Text) {
                EXPECT_EQ(cells.text(c), cells.cell(c).text);
            }
        }
        rows[number] = described;
    }
};

TEST(RowBuilder, HandsOverEachRowOnceWithItsLastValues) {
    const auto pool = std::make_shared<StringPool>(std::vector<std::string>{"zero", "one"});
    struct Case {
        const char* what;
        std::function<void(RowBuilder&)> put;
        std::map<int, std::vector<std::string>> rows;  // columns 1..3
    };
    const Case cases[] = {
        {"rows in order, every kind of cell",
         [](RowBuilder& b) {
             b.setNumber(1, 1, 12.5);
             b.setSharedText(1, 2, 1);
             b.setText(1, 3, "Hill");
             b.setBoolean(3, 1, true);
             b.setDate(3, 2, DateTime{2025, 4, 10, 9, 30, 0});
             b.setError(3, 3, "#N/A");
         },
         {{1, {"12.5", "one", "Hill"}}, {3, {"True", "2025-04-10 09:30:00", "error #N/A"}}}},
        {"a cell written again in its row, in any order",
         [](RowBuilder& b) {
             b.setText(2, 3, "first");
             b.setText(2, 1, "a");
             b.setText(2, 3, "second");
             b.setNumber(2, 1, 7);
             b.setText(2, 2, "b");
             b.setSharedText(2, 2, 0);
         },
         {{2, {"7", "zero", "second"}}}},
        {"a text written again after an empty one: the empty one still reads",
         [](RowBuilder& b) {
             b.setText(1, 1, "abc");
             b.setText(1, 2, "");
             b.setText(1, 1, "d");
         },
         {{1, {"d", "", ""}}}},
        {"columns right of the last kept are dropped, a row of them is none",
         [](RowBuilder& b) {
             b.setText(1, 4, "far");
             b.setText(2, 1, "near");
             b.setText(2, 9, "far");
             b.setText(1, 5, "back to row 1, but dropped");
         },
         {{2, {"near", "", ""}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RowLog log;
        RowBuilder builder(log, 3, pool.get());
        c.put(builder);
        builder.flush();
        EXPECT_EQ(log.rows, c.rows);
        std::vector<int> numbers;
        for (const auto& [number, cells] : c.rows) numbers.push_back(number);
        EXPECT_EQ(log.order, numbers);
    }
}

TEST(RowBuilder, ARowAfterALaterOneCannotBeHandedOver) {
    RowLog log;
    RowBuilder builder(log, 3, nullptr);
    builder.setText(5, 1, "five");
    builder.setText(6, 1, "six");
    EXPECT_THROW(builder.setNumber(5, 2, 1), RowsOutOfOrder);
    EXPECT_EQ(log.order, std::vector<int>{5});
}

// Streams the first sheet; nullopt when it cannot be streamed.
std::optional<RowLog> streamed(const Workbook& book, int lastColumn) {
    RowLog log;
    if (!book.streamSheet(0, lastColumn, log)) return std::nullopt;
    return log;
}

TEST(StreamedSheet, ASheetItCannotStreamIsLeftToBeReadWhole) {
    test::TempDir dir;
    struct Case {
        const char* what;
        std::string sheetData;
        bool streams;
    };
    const std::string a1 = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
    const std::string a3 = "<row r=\"3\"><c r=\"A3\"><v>3</v></c></row>";
    const Case cases[] = {
        {"rows in order", a1 + a3, true},
        {"a row after a later one", a3 + a1, false},
        {"a comment, which the scanner leaves to the general parser", a1 + "<!-- note -->" + a3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file(std::string(c.what).substr(0, 5) + ".xlsx");
        test::writeSheetPackage(path, {.sheetData = c.sheetData});
        auto book = Workbook::open(path);
        EXPECT_EQ(streamed(*book, 5).has_value(), c.streams);
        // Whole, the sheet reads either way, as before.
        auto sheet = book->sheet(0, 5);
        EXPECT_EQ(cellText(sheet->cell(1, 1)), "1");
        EXPECT_EQ(cellText(sheet->cell(3, 1)), "3");
    }
}

TEST(StreamedSheet, ADamagedSheetIsRefusedAsWhenReadWhole) {
    test::TempDir dir;
    const std::string path = dir.file("bad.xlsx");
    test::writeSheetPackage(
        path, {.sheetData = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"2\"><c r=\"A2\"><v>x</v></c>"});
    auto book = Workbook::open(path);
    RowLog log;
    const std::string whole = test::errorOf([&] { book->sheet(0); }).description();
    EXPECT_NE(whole, "");
    EXPECT_EQ(test::errorOf([&] { book->streamSheet(0, 5, log); }).description(), whole);
}

}  // namespace
}  // namespace vesk::sheet
