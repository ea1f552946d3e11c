#include "store/Statement.h"

#include <sqlcipher/sqlite3.h>

#include <optional>

#include "core/Error.h"
#include "core/Text.h"
#include "store/EngineError.h"
#include "store/Handle.h"
#include "store/SqlDialect.h"
#include "store/WaitState.h"

namespace vesk::store {

namespace {

bool onlyBlanksOrSemicolons(const char* p) {
    for (; *p; ++p)
        if (*p != ';' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') return false;
    return true;
}

Value columnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt, i)));
        case SQLITE_FLOAT:
            return Value(sqlite3_column_double(stmt, i));
        default: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            return Value(std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))));
        }
    }
}

// A field read through its value rather than the column calls, each of which takes the
// connection's lock: the row is read on the thread that steps its statement, and its fields are
// read by the million.
sqlite3_value* fieldOf(sqlite3_stmt* stmt, std::size_t column) {
    return sqlite3_column_value(stmt, static_cast<int>(column));
}

}  // namespace

Value RowView::value(std::size_t column) const { return columnValue(m_stmt, static_cast<int>(column)); }

bool RowView::isNull(std::size_t column) const { return sqlite3_value_type(fieldOf(m_stmt, column)) == SQLITE_NULL; }

std::string_view RowView::text(std::size_t column) const {
    sqlite3_value* v = fieldOf(m_stmt, column);
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
        return {p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v))};
    }
    m_scratch = value(column).toText();
    return m_scratch;
}

double RowView::number(std::size_t column) const {
    sqlite3_value* v = fieldOf(m_stmt, column);
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return static_cast<double>(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return sqlite3_value_double(v);
        case SQLITE_NULL:
            return 0.0;
        default: {
            // As Value::toNumber, without copying the text first.
            const std::string_view t = text(column);
            const std::optional<double> n = parseLeadingNumber(t);
            if (!n) throw Error(errc::kTypeMismatch, "Overflow: '" + std::string(t) + "' is too large a number");
            return *n;
        }
    }
}

double RowView::val(std::size_t column) const {
    sqlite3_value* v = fieldOf(m_stmt, column);
    const int type = sqlite3_value_type(v);
    if (type != SQLITE_TEXT && type != SQLITE_BLOB) return number(column);
    const std::optional<double> n = parseLeadingNumber(text(column));
    if (!n) throw Error(errc::kDatabaseBase + SQLITE_ERROR, kValOverflowText);
    return *n;
}

std::int64_t RowView::integer(std::size_t column) const {
    sqlite3_value* v = fieldOf(m_stmt, column);
    if (sqlite3_value_type(v) == SQLITE_INTEGER) return sqlite3_value_int64(v);
    return value(column).toInt();
}

Statement::Statement(std::shared_ptr<sqlite3> db, const std::string& sql) : m_db(std::move(db)) {
    if (!m_db) throw Error(errc::kUsage, "The database connection is not open");
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_db.get(), sql.c_str(), static_cast<int>(sql.size() + 1), &m_stmt, &tail);
    if (rc != SQLITE_OK) throwEngineError(m_db.get(), rc);
    if (!m_stmt) throw Error(errc::kUsage, "The statement text is empty");
    if (tail && !onlyBlanksOrSemicolons(tail)) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw Error(errc::kUsage, "A prepared statement holds one statement only");
    }
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

Statement::Statement(Statement&& other) noexcept : m_db(std::move(other.m_db)), m_stmt(other.m_stmt) {
    other.m_stmt = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = std::move(other.m_db);
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

void Statement::bindAll(const std::vector<Value>& params) {
    if (!m_stmt) throw Error(errc::kUsage, "The statement was moved away");
    const int expected = sqlite3_bind_parameter_count(m_stmt);
    if (static_cast<int>(params.size()) != expected)
        throw Error(errc::kUsage, "The statement takes " + std::to_string(expected) + " values, " +
                                      std::to_string(params.size()) + " were given");
    for (int i = 0; i < expected; ++i) {
        const Value& v = params[static_cast<std::size_t>(i)];
        int rc = SQLITE_OK;
        // The values outlive the run: bindings are cleared before execute/query return.
        if (v.isNull())
            rc = sqlite3_bind_null(m_stmt, i + 1);
        else if (v.isInteger())
            rc = sqlite3_bind_int64(m_stmt, i + 1, std::get<std::int64_t>(v.raw()));
        else if (v.isReal())
            rc = sqlite3_bind_double(m_stmt, i + 1, std::get<double>(v.raw()));
        else {
            const std::string& s = std::get<std::string>(v.raw());
            rc = sqlite3_bind_text(m_stmt, i + 1, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
        }
        if (rc != SQLITE_OK) {
            sqlite3_clear_bindings(m_stmt);
            throwEngineError(m_db.get(), rc);
        }
    }
}

std::int64_t Statement::execute(const std::vector<Value>& params) {
    bindAll(params);
    const detail::WaitEnd waitEnd;
    const auto before = sqlite3_total_changes(m_db.get());
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
    }
    const auto changed = detail::rowsChanged(m_db.get(), before);
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    if (rc != SQLITE_DONE) throwEngineError(m_db.get(), rc);
    return changed;
}

void Statement::bindText(int index, std::string_view text) {
    if (!m_stmt) throw Error(errc::kUsage, "The statement was moved away");
    // An empty view may hold no pointer, which would bind Null.
    const char* data = text.empty() ? "" : text.data();
    const int rc = sqlite3_bind_text(m_stmt, index, data, static_cast<int>(text.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK) throwEngineError(m_db.get(), rc);
}

std::int64_t Statement::run() {
    if (!m_stmt) throw Error(errc::kUsage, "The statement was moved away");
    const auto before = sqlite3_total_changes(m_db.get());
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
    }
    const auto changed = detail::rowsChanged(m_db.get(), before);
    sqlite3_reset(m_stmt);
    if (rc != SQLITE_DONE) throwEngineError(m_db.get(), rc);
    return changed;
}

ResultSet Statement::query(const std::vector<Value>& params) {
    bindAll(params);
    const detail::WaitEnd waitEnd;
    const int n = sqlite3_column_count(m_stmt);
    std::vector<std::string> columns;
    columns.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const char* name = sqlite3_column_name(m_stmt, i);
        columns.emplace_back(name ? name : "");
    }
    std::vector<std::vector<Value>> rows;
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        std::vector<Value> row;
        row.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) row.push_back(columnValue(m_stmt, i));
        rows.push_back(std::move(row));
    }
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    if (rc != SQLITE_DONE) throwEngineError(m_db.get(), rc);
    return ResultSet(std::move(columns), std::move(rows));
}

void Statement::each(const std::vector<Value>& params, const std::function<void(const RowView&)>& row) {
    bindAll(params);
    const detail::WaitEnd waitEnd;
    // Reset on every way out, a throwing callback's too, so the statement can run again.
    struct Reset {
        sqlite3_stmt* stmt;
        ~Reset() {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    };
    int rc;
    {
        const Reset reset{m_stmt};
        const RowView view(m_stmt);
        while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) row(view);
    }
    if (rc != SQLITE_DONE) throwEngineError(m_db.get(), rc);
}

std::size_t Statement::columnIndex(const std::string& name) const {
    if (!m_stmt) throw Error(errc::kUsage, "The statement was moved away");
    const int n = sqlite3_column_count(m_stmt);
    for (int i = 0; i < n; ++i) {
        const char* column = sqlite3_column_name(m_stmt, i);
        if (column && equalsNoCase(column, name)) return static_cast<std::size_t>(i);
    }
    throw Error(errc::kUsage, "The result has no column named '" + name + "'");
}

}  // namespace vesk::store
