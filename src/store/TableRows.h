#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Connection.h"
#include "store/Schema.h"

namespace vesk::store {

/// Rows of text read from a file, bound for a table.
struct RowSource {
    int rows = 0;
    int columns = 0;
    /// The text the table stores for a file cell (0-based row and column); may throw Error.
    std::function<std::string(int row, int column)> text;
    /// True for a row that is not stored (its first column is blank).
    std::function<bool(int row)> blank;
};

/// A table's INSERT, prepared once, for rows of file columns: file column j goes to table
/// column target[j] (-1: dropped), and a table column no file column fills holds "".
/// The texts are bound where they lie, not copied, and rows go in by the dozen, one
/// statement for several: each run of a statement costs about as much as a row.
class RowInserter {
  public:
    RowInserter(Connection& db, Table table, std::vector<int> target);
    ~RowInserter();
    RowInserter(const RowInserter&) = delete;
    RowInserter& operator=(const RowInserter&) = delete;

    /// Inserts rows in their order within the caller's transaction: row r's file column j
    /// < count is texts[r * count + j] (a column past count holds "").
    void insert(const std::string_view* texts, std::size_t count, std::size_t rows = 1);

  private:
    void bind(Statement& statement, std::size_t row, const std::string_view* texts, std::size_t count);

    std::size_t m_columns;
    std::size_t m_rowsAtOnce;
    Statement m_one;
    Statement m_many;
    std::vector<int> m_target;
};

/// Inserts the source's rows into the table within the caller's transaction: file column j
/// goes to table column target[j] (-1: dropped), a table column no file column fills
/// holds "", and a blank row is skipped. rowDone(i, rows) follows
/// each stored file row i (1-based). Returns the number of rows stored.
std::int64_t insertRows(Connection& db, Table table, const std::vector<int>& target, const RowSource& source,
                        const std::function<void(int row, int rows)>& rowDone = {});

/// What a change of many rows did to a table.
struct BulkChange {
    std::int64_t removed = 0;
    std::int64_t written = 0;
};

/// Runs `change`, which only removes rows of the table and writes new ones, within the
/// caller's transaction with the table's row triggers for both set aside, then moves the
/// table's marks as those triggers would have row by row (the count, the highest row id, one
/// change a row) and puts the triggers back: a month's rows then cost one update of the marks,
/// not one each. Should anything fail, the caller's rollback takes the triggers back as well.
/// A file without the triggers has `change` run as it is.
void changeRowsAtOnce(Connection& db, Table table, const std::function<BulkChange()>& change);

}  // namespace vesk::store
