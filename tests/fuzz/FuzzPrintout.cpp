// The reader of a printout handed to the windowed program: whatever it takes must encode back
// to the very bytes it read, since the writer has one way only of writing each printout.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzWorkbook.h"
#include "compare/Printout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto printout = vesk::compare::decodePrintout(bytes);
        printout && vesk::compare::encodePrintout(*printout) != bytes)
        vesk::fuzz::broken("a printout read does not write back as its bytes");
    return 0;
}
