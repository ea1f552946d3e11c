#include "report/SummaryText.h"

#include <cmath>
#include <cstdio>

#include "core/Text.h"

namespace vesk::report {

std::string groupedAmount(double amount) {
    if (!std::isfinite(amount)) return std::isnan(amount) ? "NaN" : amount < 0 ? "-Infinity" : "Infinity";
    char digits[400];
    std::snprintf(digits, sizeof digits, "%.2f", std::fabs(amount));
    const std::string plain = digits;
    const std::size_t point = plain.find('.');
    std::string out;
    for (std::size_t i = 0; i < point; ++i) {
        if (i > 0 && (point - i) % 3 == 0) out += ',';
        out += plain[i];
    }
    out += plain.substr(point);
    // A negative amount that rounds to nothing shows no sign.
    return std::signbit(amount) && out != "0.00" ? "-" + out : out;
}

bool isAmountColumn(const std::string& heading) { return upper(heading).find("AMOUNT") != std::string::npos; }

std::string summaryCellText(const store::Value& value, const std::string& heading) {
    if (value.isNull() || !isAmountColumn(heading)) return value.toText();
    return groupedAmount(value.toNumber());
}

}  // namespace vesk::report
