#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/DateTime.h"
#include "core/Error.h"
#include "store/Connection.h"
#include "store/ResultSet.h"

namespace vesk::store {

/// The number of the error a reader of a stored table raises for a value it cannot read: the
/// file is damaged (or written by something other than the program), never silently read as
/// something else.
inline constexpr long kStoredValueError = errc::kDatabaseBase + 1100;

/// The name under which a statement reading a stored table gives each row's rowid, so that a
/// value that cannot be read names its row.
inline constexpr const char* kRowIdColumn = "stored_row";
/// "rowid AS stored_row, " with the table's alias before rowid when given: the start of a read's
/// column list.
std::string rowIdColumn(std::string_view alias = {});

/// The error for the value in the table's row (its rowid) and column; `value` as stored, none
/// for a Null. Its words are the file's damage message (see damagedText).
Error storedValueError(const std::string& path, std::string_view table, std::int64_t row, std::string_view column,
                       const std::optional<std::string>& value);

/// The rows a statement read from one stored table, each column found by its name and each
/// value read as its reader needs it: a value that is not so (a Null where one is required,
/// a text where a number is, a time that is none, a key nothing is named by) is the file's
/// damage, raised as storedValueError. The statement gives the rowid as kRowIdColumn.
class StoredRows {
  public:
    StoredRows(const Connection& db, std::string table, ResultSet rows);

    std::size_t size() const { return m_rows.rowCount(); }
    /// The index of a column by name, looked up once per result; throws Error when the
    /// statement read none of that name.
    std::size_t column(const std::string& name) const { return m_rows.columnIndex(name); }

    bool isNull(std::size_t row, std::size_t column) const { return m_rows.field(row, column).isNull(); }
    /// The text; "" for a Null.
    std::string text(std::size_t row, std::size_t column) const { return m_rows.field(row, column).toText(); }
    /// A whole number; none other, and no Null.
    std::int64_t integer(std::size_t row, std::size_t column) const;
    /// An amount; a whole number or not, no Null.
    double number(std::size_t row, std::size_t column) const;
    /// A time as the program writes it ("yyyy-mm-dd hh:mm:ss").
    DateTime time(std::size_t row, std::size_t column) const;
    std::optional<DateTime> optionalTime(std::size_t row, std::size_t column) const;
    /// A key the parser names a value by (a side, a kind, a status).
    template <class T, class Parse>
    T named(std::size_t row, std::size_t column, Parse&& parse) const {
        const std::optional<T> value = parse(text(row, column));
        if (!value) fault(row, column);
        return *value;
    }

    /// Raises the error for the value in the row and column.
    [[noreturn]] void fault(std::size_t row, std::size_t column) const;

  private:
    std::string m_path;
    std::string m_table;
    ResultSet m_rows;
    std::size_t m_rowId;
};

}  // namespace vesk::store
