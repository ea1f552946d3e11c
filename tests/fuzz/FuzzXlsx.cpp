// The .xlsx reader under a fuzzer. An input that starts as a zip package is opened as it
// is: the container, its inflation and every part behind it. Any other input is cut at zero
// bytes into the parts of a package, in this order: the sheet, the shared strings, the
// styles, the workbook part, its relationships and the package's relationships; parts it
// does not give are sound ones. A mutated zip rarely gets past its checksums, so this is
// how most of the fuzzing reaches the XML readers. Whatever reads a sheet's XML behind
// Workbook::sheet() is fuzzed through here; a reader with an entry point of its own (a
// scanner of the sheet's bytes) gets the sheet part handed to it directly as well, beside
// the readWorkbook() call below.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzWorkbook.h"

namespace {

constexpr std::string_view kSheet =
    R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
    R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" s="1"><v>45757.5</v></c></row></sheetData></worksheet>)";
constexpr std::string_view kSharedStrings =
    "<sst><si><t>first</t></si><si><r><t>sec</t></r><r><t>ond</t></r></si></sst>";
constexpr std::string_view kStyles =
    R"(<styleSheet><numFmts><numFmt numFmtId="164" formatCode="dd/mm/yyyy hh:mm"/></numFmts>)"
    R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/></cellXfs></styleSheet>)";
constexpr std::string_view kWorkbook =
    R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<workbookPr/><sheets><sheet name="One" sheetId="1" r:id="rId1"/></sheets></workbook>)";
constexpr std::string_view kWorkbookRels =
    R"(<Relationships><Relationship Id="rId1" Type="http://x/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://x/relationships/styles" Target="styles.xml"/>)"
    R"(<Relationship Id="rId3" Type="http://x/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
    R"(</Relationships>)";
constexpr std::string_view kRootRels =
    R"(<Relationships><Relationship Id="rId1" Type="http://x/relationships/officeDocument" )"
    R"(Target="xl/workbook.xml"/></Relationships>)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.substr(0, 2) == "PK") {
        vesk::fuzz::readWorkbook("fuzz.xlsx", std::string(input));
        return 0;
    }
    std::vector<std::pair<std::string, std::string_view>> parts = {{"xl/worksheets/sheet1.xml", kSheet},
                                                                   {"xl/sharedStrings.xml", kSharedStrings},
                                                                   {"xl/styles.xml", kStyles},
                                                                   {"xl/workbook.xml", kWorkbook},
                                                                   {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                                                                   {"_rels/.rels", kRootRels}};
    std::string_view rest = input;
    for (std::size_t i = 0; i < parts.size() && !rest.empty(); ++i) {
        const std::size_t end = rest.find('\0');
        parts[i].second = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    vesk::fuzz::readWorkbook("fuzz.xlsx", vesk::fuzz::zipPackage(parts));
    return 0;
}
