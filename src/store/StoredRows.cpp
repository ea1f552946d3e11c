#include "store/StoredRows.h"

#include <sqlcipher/sqlite3.h>

#include <cmath>

#include "core/Text.h"
#include "store/EngineError.h"

namespace vesk::store {

std::string rowIdColumn(std::string_view alias) {
    return (alias.empty() ? std::string() : std::string(alias) + ".") + "rowid AS " + kRowIdColumn + ", ";
}

Error storedValueError(const std::string& path, std::string_view table, std::int64_t row, std::string_view column,
                       const std::optional<std::string>& value) {
    const std::string where = " in row " + std::to_string(row) + ", column " + std::string(column);
    const std::string reason = "its table " + std::string(table) +
                               (value ? " holds '" + excerpt(*value) + "'" + where + ", which the program cannot read"
                                      : " holds no value" + where + ", where one is required");
    return Error(kStoredValueError, damagedText(path, SQLITE_CORRUPT, reason));
}

StoredRows::StoredRows(const Connection& db, std::string table, ResultSet rows)
    : m_path(db.path()),
      m_table(std::move(table)),
      m_rows(std::move(rows)),
      m_rowId(m_rows.columnIndex(kRowIdColumn)) {}

std::int64_t StoredRows::integer(std::size_t row, std::size_t column) const {
    const Value& v = m_rows.field(row, column);
    if (v.isInteger()) return v.toInt();
    if (v.isReal() && std::trunc(std::get<double>(v.raw())) == std::get<double>(v.raw())) return v.toInt();
    fault(row, column);
}

double StoredRows::number(std::size_t row, std::size_t column) const {
    const Value& v = m_rows.field(row, column);
    if (!v.isInteger() && !v.isReal()) fault(row, column);
    return v.toNumber();
}

DateTime StoredRows::time(std::size_t row, std::size_t column) const {
    const std::optional<DateTime> t = parseDateText(text(row, column));
    if (!t) fault(row, column);
    return *t;
}

std::optional<DateTime> StoredRows::optionalTime(std::size_t row, std::size_t column) const {
    if (isNull(row, column)) return std::nullopt;
    return time(row, column);
}

void StoredRows::fault(std::size_t row, std::size_t column) const {
    const Value& v = m_rows.field(row, column);
    throw storedValueError(m_path, m_table, m_rows.field(row, m_rowId).toInt(), m_rows.columns()[column],
                           v.isNull() ? std::nullopt : std::optional(v.toText()));
}

}  // namespace vesk::store
