#include "store/ResultSet.h"

#include "core/Error.h"
#include "core/Text.h"

namespace vesk::store {

ResultSet::ResultSet(std::vector<std::string> columns, std::vector<std::vector<Value>> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows)) {}

const std::vector<Value>& ResultSet::row(std::size_t row) const {
    if (row >= m_rows.size())
        throw Error(errc::kUsage,
                    "Row " + std::to_string(row) + " is past the last of " + std::to_string(m_rows.size()) + " rows");
    return m_rows[row];
}

const Value& ResultSet::field(std::size_t row, std::size_t column) const {
    const std::vector<Value>& r = this->row(row);
    if (column >= r.size())
        throw Error(errc::kUsage, "Column " + std::to_string(column) + " is past the last of " +
                                      std::to_string(r.size()) + " columns");
    return r[column];
}

const Value& ResultSet::field(std::size_t row, const std::string& column) const {
    return field(row, columnIndex(column));
}

std::size_t ResultSet::columnIndex(const std::string& name) const {
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (equalsNoCase(m_columns[i], name)) return i;
    throw Error(errc::kUsage, "The result has no column named '" + name + "'");
}

}  // namespace vesk::store
