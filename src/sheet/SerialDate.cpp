#include "sheet/SerialDate.h"

#include <cmath>
#include <cstddef>
#include <string>

#include "core/Text.h"

namespace vesk::sheet {

namespace {

constexpr long long k1904Shift = 1462;       // 1904-01-01 is serial day 1462 of the 1900 count
constexpr double kLastSerial1900 = 2958466;  // 10000-01-01

// Reads ISO 8601 pieces from the front of a text; each reader moves on only when it matched.
class IsoText {
  public:
    explicit IsoText(std::string_view text) : m_s(text) {}

    bool atEnd() const { return m_at == m_s.size(); }
    bool accept(char c) {
        if (m_at >= m_s.size() || m_s[m_at] != c) return false;
        ++m_at;
        return true;
    }
    // Exactly `width` digits.
    bool digits(int width, int& out) {
        if (m_s.size() - m_at < std::size_t(width)) return false;
        int v = 0;
        for (int i = 0; i < width; ++i) {
            const char c = m_s[m_at + std::size_t(i)];
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        m_at += std::size_t(width);
        out = v;
        return true;
    }
    std::size_t skipDigits() {
        const std::size_t start = m_at;
        while (m_at < m_s.size() && m_s[m_at] >= '0' && m_s[m_at] <= '9') ++m_at;
        return m_at - start;
    }
    // yyyy-mm-dd
    bool date(DateTime& out) {
        const std::size_t start = m_at;
        int y = 0, m = 0, d = 0;
        if (digits(4, y) && accept('-') && digits(2, m) && accept('-') && digits(2, d) && y >= 100 && m >= 1 &&
            m <= 12 && d >= 1 && d <= daysInMonth(y, m)) {
            out.year = y, out.month = m, out.day = d;
            return true;
        }
        m_at = start;
        return false;
    }
    // hh:mm[:ss[.f...]] and an optional zone: Z, +hh, +hhmm or +hh:mm (or -).
    bool time(DateTime& out) {
        int h = 0, mi = 0, sec = 0;
        if (!digits(2, h) || !accept(':') || !digits(2, mi)) return false;
        if (accept(':')) {
            if (!digits(2, sec)) return false;
            if ((accept('.') || accept(',')) && skipDigits() == 0) return false;
        }
        if (!accept('Z') && (accept('+') || accept('-'))) {
            int zoneHours = 0, zoneMinutes = 0;
            if (!digits(2, zoneHours)) return false;
            const bool colon = accept(':');
            if (!digits(2, zoneMinutes) && colon) return false;
            if (zoneHours > 23 || zoneMinutes > 59) return false;
        }
        if (h > 23 || mi > 59 || sec > 59) return false;
        out.hour = h, out.minute = mi, out.second = sec;
        return true;
    }

  private:
    std::string_view m_s;
    std::size_t m_at = 0;
};

std::optional<DateTime> isoDateText(std::string_view text) {
    IsoText in(text);
    DateTime out;  // 1899-12-30 unless a date is read
    if (in.date(out)) {
        if (in.atEnd()) return out;
        if (!in.accept('T') && !in.accept(' ')) return std::nullopt;
    } else {
        in.accept('T');
    }
    if (!in.time(out) || !in.atEnd()) return std::nullopt;
    return out;
}

}  // namespace

std::optional<DateTime> serialToDate(double serial, bool date1904) {
    const double limit = date1904 ? kLastSerial1900 - k1904Shift : kLastSerial1900;
    if (!std::isfinite(serial) || serial < 0 || serial >= limit) return std::nullopt;

    const long long seconds = std::llround(serial * 86400.0);
    const long long days = seconds / 86400;
    const long long secondOfDay = seconds % 86400;

    if (date1904) return serialDay(k1904Shift + days, secondOfDay);
    // A bare time falls on the day the platform's date type counts from.
    if (days == 0) return serialDay(0, secondOfDay);
    // Before March 1900 the 1900 date system counts from a day later, having counted a
    // 29 February 1900 (serial 60) that never was.
    if (days < 60) return serialDay(days + 1, secondOfDay);
    if (days == 60)
        return DateTime{1900, 2, 29, int(secondOfDay / 3600), int(secondOfDay / 60 % 60), int(secondOfDay % 60)};
    return serialDay(days, secondOfDay);
}

std::optional<DateTime> cellDateText(std::string_view text) {
    const std::string trimmed = trim(text);
    if (auto iso = isoDateText(trimmed)) return iso;
    return parseDateText(trimmed);
}

}  // namespace vesk::sheet
