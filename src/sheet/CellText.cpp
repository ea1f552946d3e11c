#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "core/Error.h"
#include "sheet/Cell.h"

namespace vesk::sheet {

std::string numberText(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
    if (v == 0) return "0";  // also -0

    // Whole numbers of up to 15 digits are most cells (ids, counts, serials): no rounding to do.
    if (std::fabs(v) < 1e15 && v == std::trunc(v)) {
        char whole[24];
        const auto end = std::to_chars(whole, whole + sizeof whole, static_cast<long long>(v)).ptr;
        return std::string(whole, end);
    }

    // 15 significant digits, then the decimal point placed by hand so that no exponent is written.
    char buf[40];
    const char* const end = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14).ptr;
    const char* e = std::find(static_cast<const char*>(buf), end, 'e');
    char digits[16];
    std::size_t count = 0;
    for (const char* p = buf; p != e; ++p)
        if (*p != '.') digits[count++] = *p;
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
    // The largest doubles round up past the largest double; rounded down, the text still reads as a number.
    if (exponent == 308 && std::string_view(digits, count) == "179769313486232") digits[14] = '1';
    while (count > 1 && digits[count - 1] == '0') --count;

    std::string out = v < 0 ? "-" : "";
    const int pointAt = exponent + 1;  // digits before the decimal point
    const std::string_view d(digits, count);
    if (pointAt <= 0) {
        out.append("0.").append(std::size_t(-pointAt), '0').append(d);
    } else if (std::size_t(pointAt) >= count) {
        out.append(d).append(std::size_t(pointAt) - count, '0');
    } else {
        out.append(d.substr(0, std::size_t(pointAt))).append(".").append(d.substr(std::size_t(pointAt)));
    }
    return out;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80) ++count;  // a lead byte or ASCII
        if (c >= 0xF0) ++count;           // outside the basic plane: two UTF-16 units
    }
    return count;
}

std::string cellText(const Cell& cell) {
    switch (cell.kind) {
        case Cell::Kind::Empty:
            return {};
        case Cell::Kind::Number:
            return numberText(cell.number);
        case Cell::Kind::Text:
            return cell.text;
        case Cell::Kind::Boolean:
            return cell.boolean ? "True" : "False";
        case Cell::Kind::Date:
            return cell.date.toText();
        case Cell::Kind::Error:
            break;
    }
    throw Error(errc::kCellError, "Cell holds the error value " + cell.text);
}

}  // namespace vesk::sheet
