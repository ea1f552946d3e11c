#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace vesk::store {

/// Registers the dialect's functions on a connection: IIf, IsNull$, UCase, Left$, Abs,
/// Val, CDate, Month, Year, Day, Format, MonthKey, DayOfMonth and an exact Sum in place of the
/// engine's. The program's own statements are written in the engine's dialect and call only IIf,
/// Abs, Val, CDate, Month, Year, Format, MonthKey, DayOfMonth and Sum; the others (Left and IsNull carry a '$',
/// both being keywords of the engine) serve statements stored in files and written by hand.
/// Throws Error.
///
/// - IIf(c, a, b): a when c is a non-zero number, numeric text or "True"; Null is false;
///   other text is a "Type mismatch" error.
/// - Val(x): the leading number of a text (see parseLeadingNumber); a number passes
///   through; Null gives 0 so that a missing amount counts as nothing.
/// - CDate(x): a date text in any form parseDateText reads, or a day number counted
///   from 1899-12-30, as "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss"; anything else is a
///   "Type mismatch" error, and Null is the error "Invalid use of Null".
/// - Month, Year, Day: of anything CDate reads; Null gives Null.
/// - Format(d, pattern): d as CDate reads it, with the tokens d dd ddd dddd m mm mmm mmmm
///   yy yyyy h hh n nn s ss in any letter case ("m" after "h" means minutes); text that
///   is no date comes back unchanged; Null gives Null.
/// - Sum(x): numbers and text added by ExactSum, text read as Val reads it ("1,250.00" is
///   1250); Null ignored; all Null (or no rows) gives Null; an integer when every value was one.
/// - MonthKey(d): year * 100 + month of anything CDate reads; 0 for Null and for anything
///   else. It never fails, so indexes are built on it.
/// - DayOfMonth(d): the day of the month of anything CDate reads; 0 for Null and for anything
///   else. It never fails either: the month indexes hold it after the office.
void registerDialectFunctions(sqlite3* db);

/// The leading number of a text as Val() reads it: blanks anywhere are skipped, a sign,
/// digits with grouping commas in the whole part ("1,25,000.50" is 125000.5), one
/// decimal point and an exponent (E or D) are read up to the first character that
/// cannot continue the number; no number gives 0. nullopt when the number is too large
/// for a double.
std::optional<double> parseLeadingNumber(std::string_view text);

/// What Val() fails with in a statement, a text whose number is too large for a double.
inline constexpr const char* kValOverflowText = "Overflow";

}  // namespace vesk::store
