#pragma once

#include <string>
#include <string_view>

#include "core/DateTime.h"

namespace vesk::sheet {

/// One cell as a workbook holds it.
struct Cell {
    enum class Kind { Empty, Number, Text, Boolean, Date, Error };

    Kind kind = Kind::Empty;
    double number = 0;  ///< Number
    std::string text;   ///< Text; for Error the code as shown ("#N/A")
    bool boolean = false;
    DateTime date;  ///< Date (with a time when it holds one)

    static Cell makeNumber(double v) {
        Cell c;
        c.kind = Kind::Number;
        c.number = v;
        return c;
    }
    static Cell makeText(std::string v) {
        Cell c;
        c.kind = Kind::Text;
        c.text = std::move(v);
        return c;
    }
    static Cell makeBoolean(bool v) {
        Cell c;
        c.kind = Kind::Boolean;
        c.boolean = v;
        return c;
    }
    static Cell makeDate(const DateTime& v) {
        Cell c;
        c.kind = Kind::Date;
        c.date = v;
        return c;
    }
    static Cell makeError(std::string code) {
        Cell c;
        c.kind = Kind::Error;
        c.text = std::move(code);
        return c;
    }

    bool isEmpty() const { return kind == Kind::Empty; }
};

/// The most characters a cell holds, as in every spreadsheet program.
constexpr std::size_t kMaxCellCharacters = 32767;
/// Characters of UTF-8 text as a spreadsheet counts them (UTF-16 units).
std::size_t characterCount(std::string_view utf8);

/// The cell as every import stores it: "" for empty, plain decimal for numbers (at most
/// 15 significant digits, no exponent, no trailing zeros), yyyy-mm-dd[ hh:mm:ss] for
/// dates, True/False for booleans. An error cell throws Error (errc::kCellError).
std::string cellText(const Cell& cell);

/// A number as cellText writes it.
std::string numberText(double v);

}  // namespace vesk::sheet
