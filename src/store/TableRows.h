#pragma once

#include <functional>
#include <string>
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

/// Inserts the source's rows into the table within the caller's transaction: file column j
/// goes to table column target[j] (-1: dropped), a table column no file column fills
/// holds "", and a blank row is skipped. rowDone(i, rows) follows
/// each stored file row i (1-based). Returns the number of rows stored.
std::int64_t insertRows(Connection& db, Table table, const std::vector<int>& target, const RowSource& source,
                        const std::function<void(int row, int rows)>& rowDone = {});

}  // namespace vesk::store
