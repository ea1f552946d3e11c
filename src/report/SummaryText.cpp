#include "report/SummaryText.h"

#include "core/Amount.h"
#include "core/Text.h"

namespace vesk::report {

bool isAmountColumn(const std::string& heading) { return upper(heading).find("AMOUNT") != std::string::npos; }

std::string summaryCellText(const store::Value& value, const std::string& heading) {
    if (value.isNull() || !isAmountColumn(heading)) return value.toText();
    return formatAmount(value.toNumber(), Grouping::Thousands);
}

}  // namespace vesk::report
