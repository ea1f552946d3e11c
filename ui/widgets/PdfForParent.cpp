#include "widgets/PdfForParent.h"

#include "compare/CompareWording.h"
#include "compare/Printout.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "widgets/Printing.h"

namespace vesk::gui {

int writePdfForParent(const std::string& path) {
    platform::ParentChannel parent;
    std::string bytes;
    char buffer[64 * 1024];
    while (const std::size_t got = parent.read(buffer, sizeof buffer)) bytes.append(buffer, got);
    std::string answer = "0\n";
    try {
        const std::optional<compare::Printout> printout = compare::decodePrintout(bytes);
        if (!printout) throw Error(errc::kInternal, compare::kPrintoutDamaged);
        writePrintoutPdf(*printout, path);
    } catch (const Error& e) {
        answer = std::to_string(e.number()) + "\n" + e.description();
    }
    parent.write(answer.data(), answer.size());
    return answer == "0\n" ? 0 : 1;
}

}  // namespace vesk::gui
