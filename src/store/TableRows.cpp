#include "store/TableRows.h"

#include <algorithm>

namespace vesk::store {

RowInserter::RowInserter(Connection& db, Table table, std::vector<int> target)
    : m_insert(db.prepare(insertStatement(table))), m_target(std::move(target)) {
    const int columns = int(tableColumns(table).size());
    for (int t = 1; t <= columns; ++t) m_insert.bindText(t, "");
}

RowInserter::~RowInserter() {
    // No binding may point at texts that are gone once the statement is reused.
    try {
        for (int target : m_target)
            if (target >= 0) m_insert.bindText(target + 1, "");
    } catch (...) {
        // An empty text always binds.
    }
}

void RowInserter::insert(const std::string_view* texts, std::size_t count) {
    for (std::size_t j = 0; j < m_target.size(); ++j)
        if (m_target[j] >= 0) m_insert.bindText(m_target[j] + 1, j < count ? texts[j] : std::string_view());
    m_insert.run();
}

std::int64_t insertRows(Connection& db, Table table, const std::vector<int>& target, const RowSource& source,
                        const std::function<void(int, int)>& rowDone) {
    std::int64_t stored = 0;
    RowInserter insert(db, table, target);
    const std::size_t columns = std::size_t(std::max(0, source.columns));
    std::vector<std::string> texts(columns);
    std::vector<std::string_view> views(columns);
    for (int i = 1; i <= source.rows; ++i) {
        if (source.blank(i - 1)) continue;
        for (std::size_t j = 0; j < columns; ++j)
            if (j < target.size() && target[j] >= 0) views[j] = texts[j] = source.text(i - 1, int(j));
        insert.insert(views.data(), columns);
        ++stored;
        if (rowDone) rowDone(i, source.rows);
    }
    return stored;
}

}  // namespace vesk::store
