#include "core/DateTime.h"

#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/Platform.h"
#include "core/Text.h"

namespace vesk {

namespace {

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
        std::string_view full = kMonthNames[m - 1];
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

long long daysFromCivil(int y, int m, int d) {
    using namespace std::chrono;
    // A day past the month's end counts on into the next month, as the calendar does.
    return sys_days{year{y} / month{unsigned(m)} / day{unsigned(d)}}.time_since_epoch().count();
}

void civilFromDays(long long z, int& y, int& m, int& d) {
    using namespace std::chrono;
    const year_month_day date{sys_days{days{z}}};
    y = int(date.year());
    m = int(unsigned(date.month()));
    d = int(unsigned(date.day()));
}

DateTime dateOfDay(long long days) {
    DateTime date;
    civilFromDays(days, date.year, date.month, date.day);
    return date;
}

DateTime serialDay(long long days, long long secondOfDay) {
    static const long long kEpoch = daysFromCivil(1899, 12, 30);
    DateTime t = dateOfDay(kEpoch + days);
    t.hour = int(secondOfDay / 3600);
    t.minute = int(secondOfDay / 60 % 60);
    t.second = int(secondOfDay % 60);
    return t;
}

int daysInMonth(int y, int m) {
    using namespace std::chrono;
    if (m < 1 || m > 12) return 0;
    return int(unsigned((year{y} / month{unsigned(m)} / last).day()));
}

long long firstDayOf(const Period& month) { return daysFromCivil(month.year, month.month, 1); }

long long lastDayOf(const Period& month) {
    return daysFromCivil(month.year, month.month, daysInMonth(month.year, month.month));
}

Period monthOfDay(long long days) {
    int y = 0, m = 0, d = 0;
    civilFromDays(days, y, m, d);
    return {y, m};
}

Period shiftedMonth(const Period& month, int months) { return periodOfIndex(month.index() + months); }

std::string DateTime::toText() const { return hasTime() ? isoDateTime(*this) : isoDate(*this); }

std::string isoDate(const DateTime& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string isoDateTime(const DateTime& t) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

std::string dayFirst(const DateTime& d, TimeShown time) {
    char buf[48];
    switch (time) {
        case TimeShown::None:
            std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day, d.month, d.year);
            break;
        case TimeShown::Minutes:
            std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d", d.day, d.month, d.year, d.hour, d.minute);
            break;
        case TimeShown::Seconds:
            std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", d.day, d.month, d.year, d.hour, d.minute,
                          d.second);
            break;
    }
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

std::string monthName(int month) {
    return month >= 1 && month <= 12 ? std::string(kMonthNames[month - 1]) : std::string();
}

std::string monthAbbrev(int month) { return monthName(month).substr(0, 3); }

std::string monthAndYear(const Period& month) { return monthName(month.month) + " " + std::to_string(month.year); }

std::string dayText(long long days) { return dayFirst(dateOfDay(days)); }

DateTime localNow() {
    const std::tm local = platform::localTime(std::time(nullptr));
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string isoMonth(const Period& month) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d", month.year, month.month);
    return text;
}

}  // namespace vesk
