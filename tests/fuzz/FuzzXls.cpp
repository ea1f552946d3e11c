// The .xls reader under a fuzzer. An input that starts as a compound document is opened
// as it is: its sector tables, directory and streams, then the records. Any other input is
// the workbook stream itself, put in a sound compound document, so that most of the
// fuzzing reaches the records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzWorkbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.substr(0, 8) == "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")
        vesk::fuzz::readWorkbook("fuzz.xls", std::string(input));
    else
        vesk::fuzz::readWorkbook("fuzz.xls", vesk::fuzz::compoundDocument(input));
    return 0;
}
