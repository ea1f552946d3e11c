#include <gtest/gtest.h>

#include <map>

#include "core/Error.h"
#include "sheet/StoredSheet.h"

namespace vesk::sheet {
namespace {

std::shared_ptr<const StringPool> shared() {
    return std::make_shared<const StringPool>(std::vector<std::string>{"zero", "one"});
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
