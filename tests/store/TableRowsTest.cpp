// Rows inserted many to a statement land one by one, in order, where their columns go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/Connection.h"
#include "store/TableRows.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

TEST(RowInserter, RowsGoInInOrderWithTheirColumnsWhereverTheyGo) {
    struct Case {
        Table table;
        std::size_t rows;  // in one call
    };
    // Around the rows one statement takes (16 for the bank, 12 for the office master's 83 columns).
    const Case cases[] = {{Table::Finacle, 0},  {Table::Finacle, 16}, {Table::Finacle, 17},
                          {Table::Finacle, 50}, {Table::Master, 12},  {Table::Master, 25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(tableName(c.table)) + " " + std::to_string(c.rows));
        test::TempDir dir;
        Connection db;
        db.open(dir.file(kDatabaseFileName));
        // File column 0 goes to table column 2, 1 to 0, 2 is dropped; the table's others hold "".
        const std::vector<int> target = {2, 0, -1};
        std::vector<std::string> texts;
        for (std::size_t r = 0; r < c.rows; ++r)
            for (const char* column : {"a", "b", "c"}) texts.push_back(column + std::to_string(r));
        std::vector<std::string_view> views(texts.begin(), texts.end());
        {
            RowInserter insert(db, c.table, target);
            insert.insert(views.data(), 3, c.rows);
            // A row of fewer columns than the file has: the missing ones hold "".
            const std::string_view shortRow[] = {"x"};
            insert.insert(shortRow, 1);
        }
        const std::vector<std::string>& columns = tableColumns(c.table);
        const ResultSet rs = db.query("SELECT " + columns[0] + ", " + columns[1] + ", " + columns[2] + ", " +
                                      columns[3] + " FROM " + tableName(c.table) + " ORDER BY rowid");
        ASSERT_EQ(rs.rowCount(), c.rows + 1);
        for (std::size_t r = 0; r < c.rows; ++r) {
            const std::string n = std::to_string(r);
            EXPECT_EQ(rs.field(r, 0), Value("b" + n));
            EXPECT_EQ(rs.field(r, 1), Value(""));
            EXPECT_EQ(rs.field(r, 2), Value("a" + n));
            EXPECT_EQ(rs.field(r, 3), Value(""));
        }
        EXPECT_EQ(rs.field(c.rows, 0), Value(""));
        EXPECT_EQ(rs.field(c.rows, 2), Value("x"));
    }
}

}  // namespace
}  // namespace vesk::store
