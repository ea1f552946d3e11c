#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Error.h"
#include "sheet/Cell.h"

namespace vesk::sheet {

std::string numberText(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
    if (v == 0) return "0";  // also -0

    // 15 significant digits, then the decimal point placed by hand so that no exponent is written.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') digits += *p;
    int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = v < 0 ? "-" : "";
    const int pointAt = exponent + 1;  // digits before the decimal point
    if (pointAt <= 0) {
        out += "0." + std::string(std::size_t(-pointAt), '0') + digits;
    } else if (std::size_t(pointAt) >= digits.size()) {
        out += digits + std::string(std::size_t(pointAt) - digits.size(), '0');
    } else {
        out += digits.substr(0, std::size_t(pointAt)) + "." + digits.substr(std::size_t(pointAt));
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
