#include "core/DateTime.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "core/Text.h"

namespace vesk {

namespace {

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// A small cursor over the text; every reader leaves the position unchanged on failure.
struct Cursor {
    std::string_view s;
    size_t pos = 0;

    bool atEnd() const { return pos >= s.size(); }
    char peek() const { return atEnd() ? '\0' : s[pos]; }

    void skipBlanks() {
        while (!atEnd() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    }

    // Up to maxDigits digits; returns the count read (0 when none).
    int number(int& value, int maxDigits = 4) {
        size_t start = pos;
        value = 0;
        while (!atEnd() && std::isdigit(static_cast<unsigned char>(s[pos])) && int(pos - start) < maxDigits) {
            value = value * 10 + (s[pos] - '0');
            ++pos;
        }
        if (!atEnd() && std::isdigit(static_cast<unsigned char>(s[pos]))) {  // too many digits
            pos = start;
            return 0;
        }
        return int(pos - start);
    }

    std::string_view word() {
        size_t start = pos;
        while (!atEnd() && std::isalpha(static_cast<unsigned char>(s[pos]))) ++pos;
        return s.substr(start, pos - start);
    }

    bool accept(char c) {
        if (peek() != c) return false;
        ++pos;
        return true;
    }
};

// "apr", "April", "SEPT" -> 4, 4, 9; 0 when no month.
int monthFromWord(std::string_view w) {
    if (w.size() < 3) return 0;
    for (int m = 1; m <= 12; ++m) {
        std::string_view full = kMonths[m - 1];
        if (equalsNoCase(w, full) || equalsNoCase(w, full.substr(0, 3))) return m;
    }
    if (equalsNoCase(w, "Sept")) return 9;
    return 0;
}

// Two-digit years: 00-29 are this century, 30-99 the last, as the database engine reads them.
int widenYear(int year, int digits) {
    if (digits == 4) return year;
    if (digits != 2) return -1;
    return year < 30 ? 2000 + year : 1900 + year;
}

bool isDateSep(char c) { return c == '/' || c == '-' || c == '.'; }

bool readDate(Cursor& c, DateTime& out) {
    const size_t start = c.pos;
    int a = 0, b = 0, y = 0;
    int da = c.number(a);
    if (da > 0) {
        char sep = c.peek();
        if (isDateSep(sep)) {
            ++c.pos;
            int db = c.number(b, 2);
            if (db > 0) {
                if (!c.accept(sep)) return c.pos = start, false;
                int dy = c.number(y);
                if (dy == 0) return c.pos = start, false;
                if (da == 4) {  // yyyy-mm-dd
                    if (dy > 2) return c.pos = start, false;
                    out.year = a, out.month = b, out.day = y;
                } else {  // day first
                    if (da > 2) return c.pos = start, false;
                    out.day = a, out.month = b, out.year = widenYear(y, dy);
                }
                return true;
            }
            // dd-Mon-yyyy
            std::string_view w = c.word();
            int m = monthFromWord(w);
            if (m == 0 || da > 2 || !c.accept(sep)) return c.pos = start, false;
            int dy = c.number(y);
            if (dy == 0) return c.pos = start, false;
            out.day = a, out.month = m, out.year = widenYear(y, dy);
            return true;
        }
        // "5 April 2025"
        if (da > 2) return c.pos = start, false;
        c.skipBlanks();
        int m = monthFromWord(c.word());
        if (m == 0) return c.pos = start, false;
        c.skipBlanks();
        int dy = c.number(y);
        if (dy == 0) return c.pos = start, false;
        out.day = a, out.month = m, out.year = widenYear(y, dy);
        return true;
    }
    // "April 5, 2025"
    int m = monthFromWord(c.word());
    if (m == 0) return c.pos = start, false;
    c.skipBlanks();
    int dd = c.number(a, 2);
    if (dd == 0) return c.pos = start, false;
    c.accept(',');
    c.skipBlanks();
    int dy = c.number(y);
    if (dy == 0) return c.pos = start, false;
    out.day = a, out.month = m, out.year = widenYear(y, dy);
    return true;
}

bool readTime(Cursor& c, DateTime& out) {
    int h = 0, mi = 0, sec = 0;
    if (c.number(h, 2) == 0 || !c.accept(':') || c.number(mi, 2) != 2) return false;
    if (c.accept(':')) {
        if (c.number(sec, 2) != 2) return false;
        if (c.accept('.')) {  // fractions of a second are dropped
            int frac = 0;
            if (c.number(frac, 9) == 0) return false;
        }
    }
    c.skipBlanks();
    std::string_view ampm = c.word();
    if (!ampm.empty()) {
        bool pm = equalsNoCase(ampm, "PM");
        if (!pm && !equalsNoCase(ampm, "AM")) return false;
        if (h < 1 || h > 12) return false;
        h = (h % 12) + (pm ? 12 : 0);
    }
    if (h > 23 || mi > 59 || sec > 59) return false;
    out.hour = h, out.minute = mi, out.second = sec;
    return true;
}

}  // namespace

// H. Hinnant's algorithms.
long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

std::string DateTime::toText() const {
    char buf[32];
    if (hasTime())
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::optional<DateTime> parseDateText(std::string_view text) {
    Cursor c{text};
    c.skipBlanks();
    DateTime dt;
    if (!readDate(c, dt)) return std::nullopt;
    if (dt.year < 100 || dt.year > 9999 || dt.day < 1 || dt.day > daysInMonth(dt.year, dt.month)) return std::nullopt;
    if (!c.accept('T')) c.skipBlanks();
    if (!c.atEnd() && !readTime(c, dt)) return std::nullopt;
    c.skipBlanks();
    if (!c.atEnd()) return std::nullopt;
    return dt;
}

std::string monthName(int month) { return month >= 1 && month <= 12 ? kMonths[month - 1] : std::string(); }

std::string monthAbbrev(int month) { return monthName(month).substr(0, 3); }

}  // namespace vesk
