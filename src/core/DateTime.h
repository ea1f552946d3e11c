#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vesk {

/// A calendar date with an optional time of day, as cells and the database hold them.
struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool hasTime() const { return hour != 0 || minute != 0 || second != 0; }

    /// yyyy-mm-dd, followed by " hh:mm:ss" when the value holds a time: the text imports store.
    std::string toText() const;

    auto operator<=>(const DateTime&) const = default;
};

/// The computer's local time, to the second.
DateTime localNow();

/// Where the time comes from: the computer's clock (localNow), or a test's.
using Clock = std::function<DateTime()>;

/// "yyyy-mm-dd" and "yyyy-mm-dd hh:mm:ss": dates and times as the database stores them.
std::string isoDate(const DateTime& date);
std::string isoDateTime(const DateTime& time);

/// How much of the time a day-first text shows.
enum class TimeShown { None, Minutes, Seconds };
/// "dd/mm/yyyy", as people here write a date; "dd/mm/yyyy hh:mm" or "dd/mm/yyyy hh:mm:ss"
/// with the time.
std::string dayFirst(const DateTime& date, TimeShown time = TimeShown::None);

/// A month as one number, year * 100 + month (202504): what the month indexes are built on.
constexpr int monthKey(int year, int month) { return year * 100 + month; }

/// A calendar month.
struct Period {
    int year = 0;   ///< 1900..9999 on the command line; any year the dates hold
    int month = 0;  ///< 1..12

    int key() const { return monthKey(year, month); }
    /// Months counted from year 0, so that neighbours differ by one.
    constexpr int index() const { return year * 12 + month - 1; }
    bool operator==(const Period&) const = default;
};

/// The month an index (Period::index) counts.
constexpr Period periodOfIndex(int index) { return {index / 12, index % 12 + 1}; }

/// The month a key (Period::key) names.
constexpr Period periodOfKey(long long key) { return {int(key / 100), int(key % 100)}; }

/// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long daysFromCivil(int year, int month, int day);
void civilFromDays(long long days, int& year, int& month, int& day);
/// The date of a day counted from 1970-01-01.
DateTime dateOfDay(long long days);
/// The date of a serial day, counted from 1899-12-30 as spreadsheets and the database
/// count them, at a second of that day.
DateTime serialDay(long long days, long long secondOfDay = 0);

/// "dd/mm/yyyy" of a day counted as daysFromCivil counts it.
std::string dayText(long long days);

/// Days in a month of the proleptic Gregorian calendar.
int daysInMonth(int year, int month);

/// The first and the last day of a month, counted as daysFromCivil counts them.
long long firstDayOf(const Period& month);
long long lastDayOf(const Period& month);
/// The month a day (counted as daysFromCivil counts it) falls in.
Period monthOfDay(long long days);
/// The month `months` after (or, negative, before) a month.
Period shiftedMonth(const Period& month, int months);

/// Reads a date as the database's CDate does: ISO dates and date-times, day-first dates
/// with '/', '-' or '.', two- or four-digit years, English month names or abbreviations
/// in any letter case, an optional time hh:mm[:ss] with optional AM/PM.
/// nullopt when the text is not such a date.
std::optional<DateTime> parseDateText(std::string_view text);

/// English month names, January first.
inline constexpr std::array<std::string_view, 12> kMonthNames = {"January",   "February", "March",    "April",
                                                                 "May",       "June",     "July",     "August",
                                                                 "September", "October",  "November", "December"};

/// English month names: full ("January") or three-letter ("Jan"); month is 1..12.
std::string monthName(int month);
std::string monthAbbrev(int month);
/// "April 2025".
std::string monthAndYear(const Period& month);
/// "2025-04".
std::string isoMonth(const Period& month);

}  // namespace vesk
