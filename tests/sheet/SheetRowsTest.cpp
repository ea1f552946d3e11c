// Stored sheets, and rows handed over one by one as a sheet is read: each row once, in order, with its last
// values; a sheet that cannot be read that way says so and is left to be read whole. That the
// rows are the whole sheet's is checked on every fixture and fuzz input (tests/fuzz).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
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

// The string pool of both kinds of sheet: "zero" and "one".
std::shared_ptr<const StringPool> shared() {
    return std::make_shared<const StringPool>(std::vector<std::string>{"zero", "one"});
}

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
    const auto pool = shared();
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

TEST(StoredSheet, LastRowLooksOnlyAtTheColumnAskedAndCellsReadTheirLastValue) {
    StoredSheet s("S", shared(), 3);
    s.setNumber(9, 3, 1);  // a longer column elsewhere, written first
    s.setNumber(1, 1, 0);
    s.setText(1, 1, "head");  // a later value of the same cell wins
    s.setNumber(4, 1, 7);
    s.setSharedText(4, 2, 1);
    s.setNumber(4, 4, 34);  // right of the columns kept
    s.setText(6, 1, "");    // an empty text is a value, as a formula giving "" is
    s.setNumber(8, 1, 5);
    s.clear(8, 1);    // cleared again: not counted
    s.clear(50, 50);  // clearing outside the stored area stores nothing

    struct Case {
        int column;
        int lastRow;
    };
    const Case cases[] = {{1, 6}, {2, 4}, {3, 9}, {4, 0}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(s.lastRow(c.column), c.lastRow);
    }
    EXPECT_TRUE(s.cell(50, 50).isEmpty());
    EXPECT_EQ(s.cell(1, 1).kind, Cell::Kind::Text);
    EXPECT_EQ(s.cell(1, 1).text, "head");
    EXPECT_EQ(s.cell(4, 2).text, "one");
    EXPECT_TRUE(s.cell(4, 4).isEmpty());
    // Cleared cells at the edges do not count in the used area.
    s.setNumber(12, 2, 1);
    s.clear(12, 2);
    EXPECT_EQ(s.usedRows(), 9);
    EXPECT_EQ(s.usedColumns(), 3);
    EXPECT_EQ(StoredSheet("E", shared()).usedRows(), 0);
}

TEST(StoredSheet, BlockReachesPastTheStoredAreaButNotPastTheSheet) {
    StoredSheet s("S", shared());
    s.setNumber(2, 1, 21);
    s.setNumber(3, 2, 32);  // row 3 is wider than row 2
    s.setText(3, 11, "k3");

    const Block b = s.block(2, 1, 5, 12);
    ASSERT_EQ(b.rows(), 4);
    ASSERT_EQ(b.columns(), 12);
    EXPECT_EQ(b.at(0, 0).number, 21);
    EXPECT_TRUE(b.at(0, 1).isEmpty());
    EXPECT_EQ(b.at(1, 1).number, 32);
    EXPECT_EQ(b.at(1, 10).text, "k3");
    EXPECT_TRUE(b.at(1, 11).isEmpty());
    for (int c = 0; c < 12; ++c) EXPECT_TRUE(b.at(3, c).isEmpty()) << c;

    const Block inner = s.block(3, 2, 3, 2);
    ASSERT_EQ(inner.rows(), 1);
    EXPECT_EQ(inner.at(0, 0).number, 32);
    // Ranges no sheet has are refused.
    const int bad[][4] = {{0, 1, 1, 1}, {3, 1, 2, 1}, {1, 3, 1, 2}, {1, 1, 1048577, 1}, {1, 1, 1, 16385}};
    for (const auto& r : bad) {
        SCOPED_TRACE(testing::Message() << r[0] << "," << r[1] << ":" << r[2] << "," << r[3]);
        EXPECT_THROW(s.block(r[0], r[1], r[2], r[3]), Error);
    }
}

// Memory follows the cells that hold something: rewritten and cleared cells cost nothing
// beyond the cells there are at the end (far cells are the damaged corpus's, under its cap).
TEST(StoredSheet, HoldsTheCellsThereAreNotEarlierValues) {
    const std::string text(1000, 't');
    struct Case {
        const char* name;
        void (*fill)(StoredSheet& s, const std::string& text);
        int usedRows, usedColumns;
    };
    const Case cases[] = {
        {"two cells rewritten in turn",
         [](StoredSheet& s, const std::string& t) {
             for (int i = 0; i < 200000; ++i) s.setText(2, 1 + i % 2, t);
         },
         2, 2},
        {"cells written and cleared",
         [](StoredSheet& s, const std::string& t) {
             for (int i = 1; i <= 200000; ++i) {
                 s.setText(i % 1000 + 1, 5, t);
                 s.clear(i % 1000 + 1, 5);
             }
             s.setNumber(7, 7, 1);
         },
         7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoredSheet s("S", shared());
        c.fill(s, text);
        EXPECT_LT(s.heldBytes(), std::size_t(4) << 10) << s.heldBytes();  // every copy kept: 200 MB
        EXPECT_EQ(s.usedRows(), c.usedRows);
        EXPECT_EQ(s.usedColumns(), c.usedColumns);
    }
}

// A rewritten cell gives back the text it held; the text of cells written after it, an empty
// one or an error code included, stays readable (a damaged .xls laid cells out this way).
TEST(StoredSheet, TextOfARewrittenCellIsDroppedWithoutTouchingTheTextAfterIt) {
    struct Write {
        int row, column;
        enum { Text, Error, Number } kind;
        const char* value;
    };
    struct Case {
        const char* name;
        std::vector<Write> writes;
    };
    const std::vector<Case> cases = {
        {"empty text after it", {{1, 1, Write::Text, "abc"}, {1, 2, Write::Text, ""}, {1, 1, Write::Number, "5"}}},
        {"error after it", {{2, 1, Write::Text, "abc"}, {2, 2, Write::Error, "#N/A"}, {2, 1, Write::Text, "xy"}}},
        {"rewritten twice",
         {{1, 3, Write::Text, "one"},
          {1, 4, Write::Text, ""},
          {1, 3, Write::Text, "two"},
          {1, 2, Write::Text, ""},
          {1, 3, Write::Number, "3"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoredSheet s("S", shared());
        std::map<std::pair<int, int>, std::string> expected;  // what each cell reads as, its last write
        for (const Write& w : c.writes) {
            if (w.kind == Write::Text) s.setText(w.row, w.column, w.value);
            if (w.kind == Write::Error) s.setError(w.row, w.column, w.value);
            if (w.kind == Write::Number) s.setNumber(w.row, w.column, std::stod(w.value));
            expected[{w.row, w.column}] = w.value;
        }
        for (const auto& [at, value] : expected) {
            SCOPED_TRACE(testing::Message() << "R" << at.first << "C" << at.second);
            const Cell cell = s.cell(at.first, at.second);
            EXPECT_EQ(cell.kind == Cell::Kind::Number ? numberText(cell.number) : cell.text, value);
        }
    }
}

}  // namespace
}  // namespace vesk::sheet
