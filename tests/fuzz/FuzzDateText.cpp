// The readers of dates given as text under a fuzzer: the one imports and the database's
// CDate use, and the one of date cells written as text. A date read must be a real one,
// and its text as imports store it must read back as the same date.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzWorkbook.h"
#include "core/DateTime.h"
#include "sheet/SerialDate.h"

namespace {

void check(const std::optional<vesk::DateTime>& d, std::optional<vesk::DateTime> (*read)(std::string_view),
           const char* reader) {
    if (!d) return;
    if (!vesk::fuzz::isRealDate(*d))
        vesk::fuzz::broken(std::string(reader) + " read an impossible date " + d->toText());
    const std::string stored = d->toText();
    if (read(stored) != d) vesk::fuzz::broken(std::string(reader) + " does not read back " + stored);
}

std::optional<vesk::DateTime> importDate(std::string_view text) { return vesk::parseDateText(text); }
std::optional<vesk::DateTime> cellDate(std::string_view text) { return vesk::sheet::cellDateText(text); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check(importDate(text), importDate, "parseDateText");
    check(cellDate(text), cellDate, "cellDateText");
    return 0;
}
