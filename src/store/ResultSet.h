#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "store/Value.h"

namespace vesk::store {

/// All rows of a query, read at once. Fields are found by 0-based index or by
/// column name or alias (without regard to letter case).
class ResultSet {
  public:
    ResultSet() = default;
    ResultSet(std::vector<std::string> columns, std::vector<std::vector<Value>> rows);

    const std::vector<std::string>& columns() const { return m_columns; }
    std::size_t rowCount() const { return m_rows.size(); }
    bool empty() const { return m_rows.empty(); }

    const Value& field(std::size_t row, std::size_t column) const;
    const Value& field(std::size_t row, const std::string& column) const;
    /// Index of a column by name; throws Error when there is none.
    std::size_t columnIndex(const std::string& name) const;

    const std::vector<Value>& row(std::size_t row) const;

  private:
    std::vector<std::string> m_columns;
    std::vector<std::vector<Value>> m_rows;
};

}  // namespace vesk::store
