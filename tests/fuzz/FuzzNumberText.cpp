// The readers of numbers given as text under a fuzzer: the database's Val() (amounts
// stored as text are summed by it) and the test whether a number format shows dates. A
// number read must be finite, and the text imports store for it must read back as it
// within the 15 digits that text keeps.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "FuzzWorkbook.h"
#include "core/Amount.h"
#include "sheet/Cell.h"
#include "sheet/NumberFormat.h"
#include "store/SqlDialect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto v = vesk::store::parseLeadingNumber(text)) {
        if (!std::isfinite(*v)) vesk::fuzz::broken("Val read a number that is not finite");
        const std::string stored = vesk::sheet::numberText(*v);
        double back = 0;
        const auto [end, ec] = std::from_chars(stored.data(), stored.data() + stored.size(), back);
        if (ec != std::errc() || end != stored.data() + stored.size())
            vesk::fuzz::broken("the stored text " + stored + " is no number");
        if (std::fabs(back - *v) > std::fabs(*v) * 1e-14 + std::numeric_limits<double>::denorm_min())
            vesk::fuzz::broken("the stored text " + stored + " drifts");
        const auto again = vesk::store::parseLeadingNumber(stored);
        if (!again || *again != back) vesk::fuzz::broken("Val does not read back " + stored);
        (void)vesk::formatAmount(*v, vesk::Grouping::Thousands);
    }
    for (int id : {0, 14, 164}) (void)vesk::sheet::isDateFormat(id, text);
    return 0;
}
