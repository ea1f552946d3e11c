#include <sqlcipher/sqlite3.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "store/EngineError.h"
#include "store/ExactSum.h"
#include "store/SmallBuffer.h"
#include "store/SqlDialect.h"

namespace vesk::store {

namespace {

// A failure of a dialect function: its message, the program's error number and the
// result code the engine reports.
struct Fault {
    const char* message;
    long number;
    int code;
};
constexpr Fault kTypeMismatch{kTypeMismatchText, errc::kTypeMismatch, SQLITE_MISMATCH};
constexpr Fault kInvalidNull{kInvalidUseOfNullText, errc::kInvalidUseOfNull, SQLITE_MISMATCH};
constexpr Fault kInvalidCall{"Invalid procedure call or argument", errc::kUsage, SQLITE_ERROR};
constexpr Fault kOverflow{kValOverflowText, errc::kDatabaseBase + SQLITE_ERROR, SQLITE_ERROR};

void fail(sqlite3_context* ctx, const Fault& fault) {
    sqlite3_result_error(ctx, fault.message, -1);
    sqlite3_result_error_code(ctx, fault.code);
    noteDialectFault(sqlite3_context_db_handle(ctx), fault.number, fault.code);
}
void typeMismatch(sqlite3_context* ctx) { fail(ctx, kTypeMismatch); }

std::string_view textOf(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void resultText(sqlite3_context* ctx, std::string_view s) {
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// --- dates -------------------------------------------------------------------------

// Day numbers count from 1899-12-30, the fraction being the time of day (also for
// negative numbers, as the spreadsheet and the database engine count them).
bool dateFromSerial(double serial, DateTime& out) {
    if (!(serial > -657435.0 && serial < 2958466.0)) return false;  // years 100..9999
    double whole = std::trunc(serial);
    long long seconds = std::llround(std::fabs(serial - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds = 0;
        whole += serial < 0 ? -1 : 1;
    }
    out = serialDay(static_cast<long long>(whole), seconds);
    return out.year >= 100 && out.year <= 9999;
}

enum class DateRead { Ok, Null, NotDate };

int twoDigits(std::string_view s, std::size_t at) { return (s[at] - '0') * 10 + (s[at + 1] - '0'); }

// The text CDate itself gives, "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss", read without the
// general parser: Month(CDate(x)) and the like read it once per row.
bool readIso(std::string_view s, DateTime& out) {
    static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd";
    if (s.size() != 10 && s.size() != 19) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (kShape[i] == 'd' ? !isDigit(s[i]) : s[i] != kShape[i]) return false;
    DateTime d;
    d.year = twoDigits(s, 0) * 100 + twoDigits(s, 2);
    d.month = twoDigits(s, 5);
    d.day = twoDigits(s, 8);
    if (s.size() == 19) {
        d.hour = twoDigits(s, 11);
        d.minute = twoDigits(s, 14);
        d.second = twoDigits(s, 17);
    }
    if (d.year < 100 || d.day < 1 || d.day > daysInMonth(d.year, d.month) || d.hour > 23 || d.minute > 59 ||
        d.second > 59)
        return false;
    out = d;
    return true;
}

DateRead readDate(sqlite3_value* v, DateTime& out) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            return DateRead::Null;
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return dateFromSerial(sqlite3_value_double(v), out) ? DateRead::Ok : DateRead::NotDate;
        default: {
            const std::string_view text = textOf(v);
            if (readIso(text, out)) return DateRead::Ok;
            auto d = parseDateText(text);
            if (!d) return DateRead::NotDate;
            out = *d;
            return DateRead::Ok;
        }
    }
}

void putNumber(SmallBuffer& b, int value, int width) {
    char digits[12];
    auto r = std::to_chars(digits, digits + sizeof digits, value);
    for (auto n = r.ptr - digits; n < width; ++n) b.push('0');
    b.append(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits)));
}

void putTwo(char* p, int v) {
    p[0] = static_cast<char>('0' + v / 10);
    p[1] = static_cast<char>('0' + v % 10);
}

void putIso(SmallBuffer& b, const DateTime& d) {
    char buf[20] = "0000-00-00 00:00:00";
    putTwo(buf, d.year / 100);
    putTwo(buf + 2, d.year % 100);
    putTwo(buf + 5, d.month);
    putTwo(buf + 8, d.day);
    if (!d.hasTime()) return b.append(std::string_view(buf, 10));
    putTwo(buf + 11, d.hour);
    putTwo(buf + 14, d.minute);
    putTwo(buf + 17, d.second);
    b.append(std::string_view(buf, 19));
}

// 0 = Sunday.
unsigned weekday(int y, int m, int d) {
    using namespace std::chrono;
    return std::chrono::weekday{sys_days{year{y} / month{unsigned(m)} / day{unsigned(d)}}}.c_encoding();
}

constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

void formatDate(SmallBuffer& b, const DateTime& d, std::string_view pattern) {
    bool afterHour = false;  // "m" right after an hour means minutes
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char u = upper(c);
        if (c == '\\' && i + 1 < pattern.size()) {
            b.push(pattern[i + 1]);
            i += 2;
            continue;
        }
        if (c == '"') {
            std::size_t close = pattern.find('"', i + 1);
            if (close == std::string_view::npos) close = pattern.size();
            b.append(pattern.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        if (u != 'D' && u != 'M' && u != 'Y' && u != 'H' && u != 'N' && u != 'S') {
            b.push(c);
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && upper(pattern[i + run]) == u) ++run;
        i += run;
        switch (u) {
            case 'D':
                if (run >= 4)
                    b.append(kDayNames[weekday(d.year, d.month, d.day)]);
                else if (run == 3)
                    b.append(std::string_view(kDayNames[weekday(d.year, d.month, d.day)], 3));
                else
                    putNumber(b, d.day, static_cast<int>(run));
                break;
            case 'M':
                if (afterHour && run <= 2)
                    putNumber(b, d.minute, static_cast<int>(run));
                else if (run >= 4)
                    b.append(kMonthNames[d.month - 1]);
                else if (run == 3)
                    b.append(kMonthNames[d.month - 1].substr(0, 3));
                else
                    putNumber(b, d.month, static_cast<int>(run));
                break;
            case 'Y':
                if (run >= 3)
                    putNumber(b, d.year, 4);
                else if (run == 2)
                    putNumber(b, d.year % 100, 2);
                else  // day of the year
                    putNumber(b,
                              static_cast<int>(daysFromCivil(d.year, d.month, d.day) - daysFromCivil(d.year, 1, 1) + 1),
                              1);
                break;
            case 'H':
                putNumber(b, d.hour, run >= 2 ? 2 : 1);
                break;
            case 'N':
                putNumber(b, d.minute, run >= 2 ? 2 : 1);
                break;
            default:
                putNumber(b, d.second, run >= 2 ? 2 : 1);
                break;
        }
        afterHour = u == 'H';
    }
}

// --- numbers -------------------------------------------------------------------------

// Truth of a condition: 1, 0, or -1 when it is no truth value at all.
int truthOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            return 0;
        case SQLITE_INTEGER:
            return sqlite3_value_int64(v) != 0;
        case SQLITE_FLOAT:
            return sqlite3_value_double(v) != 0.0;
        default:
            break;
    }
    std::string_view text = textOf(v);
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (equalsNoCase(text, "true")) return 1;
    if (equalsNoCase(text, "false")) return 0;
    switch (sqlite3_value_numeric_type(v)) {
        case SQLITE_INTEGER:
            return sqlite3_value_int64(v) != 0;
        case SQLITE_FLOAT:
            return sqlite3_value_double(v) != 0.0;
        default:
            return -1;
    }
}

// --- the functions ---------------------------------------------------------------------

void fnIIf(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int truth = truthOf(argv[0]);
    if (truth < 0) return typeMismatch(ctx);
    sqlite3_result_value(ctx, argv[truth ? 1 : 2]);
}

void fnIsNull(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? 1 : 0);
}

void fnUCase(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    SmallBuffer b;
    for (char c : textOf(argv[0])) b.push(upper(c));
    resultText(ctx, b.view());
}

void fnLeft(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return fail(ctx, kInvalidNull);
    long long n = 0;
    switch (sqlite3_value_numeric_type(argv[1])) {
        case SQLITE_INTEGER:
            n = sqlite3_value_int64(argv[1]);
            break;
        case SQLITE_FLOAT:
            n = std::llround(sqlite3_value_double(argv[1]));
            break;
        default:
            return typeMismatch(ctx);
    }
    if (n < 0) return fail(ctx, kInvalidCall);
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    const std::string_view text = textOf(argv[0]);
    // n characters, not bytes: stop before the (n+1)th UTF-8 lead byte.
    std::size_t end = 0;
    long long chars = 0;
    while (end < text.size()) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) {
            if (chars == n) break;
            ++chars;
        }
        ++end;
    }
    resultText(ctx, text.substr(0, end));
}

void fnAbs(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) type = sqlite3_value_numeric_type(argv[0]);
    if (type == SQLITE_INTEGER) {
        const sqlite3_int64 v = sqlite3_value_int64(argv[0]);
        if (v == std::numeric_limits<sqlite3_int64>::min()) return sqlite3_result_double(ctx, -static_cast<double>(v));
        return sqlite3_result_int64(ctx, v < 0 ? -v : v);
    }
    if (type == SQLITE_FLOAT) return sqlite3_result_double(ctx, std::fabs(sqlite3_value_double(argv[0])));
    typeMismatch(ctx);
}

void fnVal(sqlite3_context* ctx, int, sqlite3_value** argv) {
    switch (sqlite3_value_type(argv[0])) {
        case SQLITE_NULL:
            return sqlite3_result_double(ctx, 0.0);
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return sqlite3_result_value(ctx, argv[0]);
        default:
            break;
    }
    auto v = parseLeadingNumber(textOf(argv[0]));
    if (!v) return fail(ctx, kOverflow);
    sqlite3_result_double(ctx, *v);
}

void fnCDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    DateTime d;
    switch (readDate(argv[0], d)) {
        case DateRead::Null:
            return fail(ctx, kInvalidNull);
        case DateRead::NotDate:
            return typeMismatch(ctx);
        case DateRead::Ok:
            break;
    }
    SmallBuffer b;
    putIso(b, d);
    resultText(ctx, b.view());
}

// yyyymm of a date, 0 for Null or anything that is no date. Never fails, so it can key an
// index: a row with a bad date still goes in, and the statements' own Year()/Month() tests
// still raise Type mismatch for it.
void fnMonthKey(sqlite3_context* ctx, int, sqlite3_value** argv) {
    DateTime d;
    if (readDate(argv[0], d) != DateRead::Ok) return sqlite3_result_int(ctx, 0);
    sqlite3_result_int(ctx, monthKey(d.year, d.month));
}

// The day of the month of a date, 0 for Null or anything that is no date; never fails, as
// MonthKey, so that it keys an index beside it: a month's rows of a few days are then reached
// without reading the others.
void fnDayOfMonth(sqlite3_context* ctx, int, sqlite3_value** argv) {
    DateTime d;
    if (readDate(argv[0], d) != DateRead::Ok) return sqlite3_result_int(ctx, 0);
    sqlite3_result_int(ctx, d.day);
}

template <int DateTime::*Field>
void fnDatePart(sqlite3_context* ctx, int, sqlite3_value** argv) {
    DateTime d;
    switch (readDate(argv[0], d)) {
        case DateRead::Null:
            return sqlite3_result_null(ctx);
        case DateRead::NotDate:
            return typeMismatch(ctx);
        case DateRead::Ok:
            break;
    }
    sqlite3_result_int(ctx, d.*Field);
}

void fnFormat(sqlite3_context* ctx, int, sqlite3_value** argv) {
    DateTime d;
    switch (readDate(argv[0], d)) {
        case DateRead::Null:
            return sqlite3_result_null(ctx);
        case DateRead::NotDate:
            return sqlite3_result_value(ctx, argv[0]);
        case DateRead::Ok:
            break;
    }
    SmallBuffer b;
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL || sqlite3_value_bytes(argv[1]) == 0)
        putIso(b, d);
    else
        formatDate(b, d, textOf(argv[1]));
    resultText(ctx, b.view());
}

void sumStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int type = sqlite3_value_numeric_type(argv[0]);
    if (type == SQLITE_NULL) return;
    void* mem = sqlite3_aggregate_context(ctx, sizeof(ExactSum));
    if (!mem) return sqlite3_result_error_nomem(ctx);
    auto* sum = std::launder(static_cast<ExactSum*>(mem));
    if (type == SQLITE_INTEGER) {
        sum->add(static_cast<std::int64_t>(sqlite3_value_int64(argv[0])));
    } else if (type == SQLITE_TEXT) {
        // Amounts stored as text count as Val reads them, so "1,250.00" is 1250, not 1.
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        auto v = parseLeadingNumber(std::string_view(text ? text : "", std::size_t(sqlite3_value_bytes(argv[0]))));
        sum->add(v ? *v : sqlite3_value_double(argv[0]));
    } else {
        sum->add(sqlite3_value_double(argv[0]));
    }
}

void sumFinal(sqlite3_context* ctx) {
    auto* sum = static_cast<ExactSum*>(sqlite3_aggregate_context(ctx, 0));
    if (!sum || sum->count() == 0) return sqlite3_result_null(ctx);
    if (sum->isInteger()) return sqlite3_result_int64(ctx, sum->integerTotal());
    sqlite3_result_double(ctx, sum->total());
}

using ScalarFn = void (*)(sqlite3_context*, int, sqlite3_value**);

struct Scalar {
    const char* name;
    int args;
    ScalarFn fn;
};

// A plain decimal of at most 15 digits, as amounts are stored ("1250.75", "-3"): its digits as
// an integer and the power of ten it is divided by are both exact in a double, so the one
// rounding of the division gives the nearest double, as from_chars does. None for any other text.
std::optional<double> plainDecimal(std::string_view text) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr int kMostDigits = 15;
    const bool negative = !text.empty() && text.front() == '-';
    std::int64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            if (++count > kMostDigits) return std::nullopt;
            digits = digits * 10 + (c - '0');
            decimals += point;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0) return std::nullopt;
    if (digits == 0) return 0.0;  // no negative zero
    const double value = static_cast<double>(digits) / kPowers[decimals];
    return negative ? -value : value;
}

}  // namespace

std::optional<double> parseLeadingNumber(std::string_view text) {
    if (const std::optional<double> plain = plainDecimal(text)) return plain;
    SmallBuffer b;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i])) ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') b.push('-');
        ++i;
    }
    // The decimal exponent of the leading digit, to tell overflow from underflow.
    long long magnitude = 0;
    bool leadingSeen = false, pointSeen = false, anyDigit = false;
    for (;; ++i) {
        skipBlanks();
        if (i >= text.size()) break;
        const char c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            if (c != '0' && !leadingSeen) leadingSeen = true;
            if (leadingSeen && !pointSeen) ++magnitude;
            if (!leadingSeen && pointSeen) --magnitude;
            b.push(c);
        } else if (c == ',' && anyDigit && !pointSeen) {
            continue;  // digit grouping, "1,25,000"
        } else if (c == '.' && !pointSeen) {
            pointSeen = true;
            b.push('.');
        } else {
            break;
        }
    }
    if (!anyDigit) return 0.0;
    if (i < text.size() && (upper(text[i]) == 'E' || upper(text[i]) == 'D')) {
        std::size_t save = i;
        ++i;
        skipBlanks();
        bool negative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            negative = text[i] == '-';
            ++i;
        }
        long long exponent = 0;
        bool expDigits = false;
        for (;; ++i) {
            skipBlanks();
            if (i >= text.size() || !isDigit(text[i])) break;
            expDigits = true;
            if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
        }
        if (expDigits) {
            if (negative) exponent = -exponent;
            magnitude += exponent;
            b.push('e');
            char digits[24];
            auto r = std::to_chars(digits, digits + sizeof digits, exponent);
            b.append(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits)));
        } else {
            i = save;
        }
    }
    double value = 0;
    const char* first = b.data();
    const char* last = first + b.size();
    auto r = std::from_chars(first, last, value);
    if (r.ec == std::errc::result_out_of_range) {
        if (!leadingSeen || magnitude <= 0) return 0.0;
        return std::nullopt;
    }
    if (r.ec != std::errc()) return 0.0;  // "-." and the like
    if (value == 0.0) return 0.0;         // no negative zero
    return value;
}

void registerDialectFunctions(sqlite3* db) {
    static constexpr Scalar kScalars[] = {
        {"IIf", 3, fnIIf},
        {"IsNull$", 1, fnIsNull},
        {"UCase", 1, fnUCase},
        {"Left$", 2, fnLeft},
        {"Abs", 1, fnAbs},
        {"Val", 1, fnVal},
        {"CDate", 1, fnCDate},
        {"Month", 1, fnDatePart<&DateTime::month>},
        {"Year", 1, fnDatePart<&DateTime::year>},
        {"Day", 1, fnDatePart<&DateTime::day>},
        {"Format", 2, fnFormat},
        {"MonthKey", 1, fnMonthKey},
        {"DayOfMonth", 1, fnDayOfMonth},
    };
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    for (const Scalar& s : kScalars) {
        int rc = sqlite3_create_function_v2(db, s.name, s.args, flags, nullptr, s.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) throwEngineError(db, rc);
    }
    int rc = sqlite3_create_function_v2(db, "Sum", 1, flags, nullptr, nullptr, sumStep, sumFinal, nullptr);
    if (rc != SQLITE_OK) throwEngineError(db, rc);
}

}  // namespace vesk::store
