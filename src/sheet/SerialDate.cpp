#include "sheet/SerialDate.h"

#include <cmath>

namespace vesk::sheet {

namespace {

constexpr long long k1904Shift = 1462;       // 1904-01-01 is serial day 1462 of the 1900 count
constexpr double kLastSerial1900 = 2958466;  // 10000-01-01

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

}  // namespace vesk::sheet
