#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/ResultSet.h"
#include "store/Value.h"

struct sqlite3_stmt;
struct sqlite3;

namespace vesk::store {

/// The row a statement stands on while it is read step by step: its fields read as a
/// ResultSet's Values would give them, without copying the row. A text is good until the
/// next step.
class RowView {
  public:
    explicit RowView(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    Value value(std::size_t column) const;
    bool isNull(std::size_t column) const;
    std::string_view text(std::size_t column) const;  ///< as Value::toText
    double number(std::size_t column) const;          ///< as Value::toNumber
    std::int64_t integer(std::size_t column) const;   ///< as Value::toInt
    /// As Val() in a statement reads it, failing as it fails there: read here, the amount
    /// costs the engine no call of a function for each row.
    double val(std::size_t column) const;

  private:
    sqlite3_stmt* m_stmt;
    mutable std::string m_scratch;  // a number's text
};

/// A prepared statement; finalized when it goes out of scope. It shares the connection's
/// handle, so it stays usable (and the handle open) even when its Connection is closed first.
class Statement {
  public:
    Statement(std::shared_ptr<sqlite3> db, const std::string& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    /// Binds the values to ?1..?n, runs the statement to its end and resets it;
    /// returns the number of rows changed.
    std::int64_t execute(const std::vector<Value>& params = {});

    /// Binds the values, reads every row, resets.
    ResultSet query(const std::vector<Value>& params = {});
    /// Binds the values and hands each row to `row` as the engine steps to it, resets: for
    /// the reads of a month's rows, which a result set would copy field by field.
    void each(const std::vector<Value>& params, const std::function<void(const RowView&)>& row);
    /// The index of a result column by name (letter case aside); throws Error when there is none.
    std::size_t columnIndex(const std::string& name) const;

    /// Binds a text to ?index (from 1) without copying it: it must stay as it is until the
    /// statement next runs or is bound again.
    void bindText(int index, std::string_view text);
    /// Runs the statement with the values bound, to its end, and resets it; the values stay
    /// bound for the next run. Returns the number of rows changed.
    std::int64_t run();

  private:
    void bindAll(const std::vector<Value>& params);

    std::shared_ptr<sqlite3> m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

}  // namespace vesk::store
