#include "store/TableRows.h"

#include <algorithm>

#include "core/Error.h"

namespace vesk::store {

namespace {

// Rows one statement takes: a dozen or so (more gain little), within the engine's 999 values.
constexpr std::size_t kRowsAtOnce = 16;
constexpr std::size_t kMostValues = 999;

std::size_t rowsAtOnce(Table table) {
    return std::max<std::size_t>(1, std::min(kRowsAtOnce, kMostValues / tableColumns(table).size()));
}

}  // namespace

RowInserter::RowInserter(Connection& db, Table table, std::vector<int> target)
    : m_columns(tableColumns(table).size()),
      m_rowsAtOnce(rowsAtOnce(table)),
      m_one(db.prepare(insertStatement(table))),
      m_many(db.prepare(insertStatement(table, int(m_rowsAtOnce)))),
      m_target(std::move(target)) {
    for (std::size_t t = 1; t <= m_columns; ++t) m_one.bindText(int(t), "");
    for (std::size_t t = 1; t <= m_columns * m_rowsAtOnce; ++t) m_many.bindText(int(t), "");
}

RowInserter::~RowInserter() {
    // No binding may point at texts that are gone once the statements are reused.
    try {
        for (std::size_t row = 0; row < m_rowsAtOnce; ++row)
            for (int target : m_target)
                if (target >= 0) {
                    m_many.bindText(int(row * m_columns) + target + 1, "");
                    if (row == 0) m_one.bindText(target + 1, "");
                }
    } catch (...) {
        // An empty text always binds.
    }
}

void RowInserter::bind(Statement& statement, std::size_t row, const std::string_view* texts, std::size_t count) {
    for (std::size_t j = 0; j < m_target.size(); ++j)
        if (m_target[j] >= 0)
            statement.bindText(int(row * m_columns) + m_target[j] + 1, j < count ? texts[j] : std::string_view());
}

void RowInserter::insert(const std::string_view* texts, std::size_t count, std::size_t rows) {
    std::size_t r = 0;
    for (; r + m_rowsAtOnce <= rows; r += m_rowsAtOnce) {
        for (std::size_t k = 0; k < m_rowsAtOnce; ++k) bind(m_many, k, texts + (r + k) * count, count);
        m_many.run();
    }
    for (; r < rows; ++r) {
        bind(m_one, 0, texts + r * count, count);
        m_one.run();
    }
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

void changeRowsAtOnce(Connection& db, Table table, const std::function<BulkChange()>& change) {
    if (!db.inTransaction()) throw Error(errc::kUsage, "Rows are changed at once only within a transaction");
    const std::string name = tableName(table);
    const ResultSet triggers =
        db.query("SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 AND name IN (?2, ?3)",
                 {name, name + "_row_added", name + "_row_removed"});
    if (triggers.rowCount() != 2) {
        change();
        return;
    }
    for (std::size_t r = 0; r < triggers.rowCount(); ++r) db.execute("DROP TRIGGER " + triggers.field(r, 0).toText());
    const BulkChange done = change();
    db.execute(
        "UPDATE row_marks SET changes = changes + ?1, row_count = row_count + ?2, last_rowid = (SELECT "
        "ifnull(MAX(rowid), 0) FROM " +
            name + ") WHERE report = ?3",
        {done.removed + done.written, done.written - done.removed, name});
    for (std::size_t r = 0; r < triggers.rowCount(); ++r) db.execute(triggers.field(r, 1).toText());
}

}  // namespace vesk::store
