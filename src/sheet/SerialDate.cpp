#include "sheet/SerialDate.h"

#include <cmath>

namespace vesk::sheet {

namespace {

constexpr long long kDays1899_12_30 = -25569;  // days from 1970-01-01
constexpr long long kDays1899_12_31 = -25568;
constexpr long long kDays1904_01_01 = -24107;
constexpr double kLastSerial1900 = 2958466;  // 10000-01-01

}  // namespace

std::optional<DateTime> serialToDate(double serial, bool date1904) {
    const double limit = date1904 ? kLastSerial1900 - 1462 : kLastSerial1900;
    if (!std::isfinite(serial) || serial < 0 || serial >= limit) return std::nullopt;

    const long long seconds = std::llround(serial * 86400.0);
    const long long days = seconds / 86400;
    const long long secondOfDay = seconds % 86400;

    DateTime dt;
    if (date1904) {
        civilFromDays(kDays1904_01_01 + days, dt.year, dt.month, dt.day);
    } else if (days == 0) {
        // A bare time: the day the platform's date type counts from.
        civilFromDays(kDays1899_12_30, dt.year, dt.month, dt.day);
    } else if (days < 60) {
        civilFromDays(kDays1899_12_31 + days, dt.year, dt.month, dt.day);
    } else if (days == 60) {
        // Serial 60 is the 29 February 1900 that the 1900 date system counts although it never was.
        dt.year = 1900, dt.month = 2, dt.day = 29;
    } else {
        civilFromDays(kDays1899_12_30 + days, dt.year, dt.month, dt.day);
    }
    dt.hour = int(secondOfDay / 3600);
    dt.minute = int(secondOfDay / 60 % 60);
    dt.second = int(secondOfDay % 60);
    return dt;
}

}  // namespace vesk::sheet
