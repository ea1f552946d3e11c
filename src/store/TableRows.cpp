#include "store/TableRows.h"

namespace vesk::store {

std::int64_t insertRows(Connection& db, Table table, const std::vector<int>& target, const RowSource& source,
                        const std::function<void(int, int)>& rowDone) {
    std::int64_t stored = 0;
    Statement insert = db.prepare(insertStatement(table));
    std::vector<Value> values(tableColumns(table).size(), Value(std::string()));
    for (int i = 1; i <= source.rows; ++i) {
        if (source.blank(i - 1)) continue;
        for (int j = 0; j < source.columns && j < int(target.size()); ++j)
            if (target[j] >= 0) values[std::size_t(target[j])] = source.text(i - 1, j);
        insert.execute(values);
        ++stored;
        if (rowDone) rowDone(i, source.rows);
    }
    return stored;
}

}  // namespace vesk::store
