#pragma once

#include <sqlcipher/sqlite3.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "core/DateTime.h"
#include "store/Handle.h"

namespace vesk::test {

/// Another program writing the database file: the engine's own functions only, and a month
/// key and day of the month of its own, which the tables' indexes need to take a row (rows
/// dated as text only).
/// None of this program's statements, functions or checks.
class OtherProgram {
  public:
    explicit OtherProgram(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
        store::detail::applyKey(m_db, store::detail::programKey());
        sqlite3_create_function_v2(m_db, "MonthKey", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, monthKeyOfItsOwn,
                                   nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(m_db, "DayOfMonth", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   dayOfMonthOfItsOwn, nullptr, nullptr, nullptr);
    }
    ~OtherProgram() { sqlite3_close_v2(m_db); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    /// Runs statements; throws with the engine's message when one fails.
    void run(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "failed";
            sqlite3_free(message);
            throw std::runtime_error(sql + ": " + text);
        }
    }

  private:
    static std::optional<DateTime> dateOf(sqlite3_value* value) {
        const unsigned char* text = sqlite3_value_text(value);
        return text ? parseDateText(reinterpret_cast<const char*>(text)) : std::optional<DateTime>();
    }
    static void monthKeyOfItsOwn(sqlite3_context* ctx, int, sqlite3_value** argv) {
        const std::optional<DateTime> date = dateOf(argv[0]);
        sqlite3_result_int(ctx, date ? monthKey(date->year, date->month) : 0);
    }
    static void dayOfMonthOfItsOwn(sqlite3_context* ctx, int, sqlite3_value** argv) {
        const std::optional<DateTime> date = dateOf(argv[0]);
        sqlite3_result_int(ctx, date ? date->day : 0);
    }

    sqlite3* m_db = nullptr;
};

}  // namespace vesk::test
