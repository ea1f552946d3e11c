#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/ExportSheet.h"
#include "core/DateTime.h"

namespace vesk::compare {

/// One signature's place in the block that closes a printed statement.
struct SignOff {
    std::string role;  ///< "Prepared by", "Checked by", "Approved by"
    std::string name;
    std::string designation;
    auto operator<=>(const SignOff&) const = default;
};

/// What goes on paper: the sheets as their workbook has them, with what paper adds. The window
/// prints it through its preview; the command line hands it, encoded, to the windowed program,
/// which writes it to a PDF.
struct Printout {
    std::string documentName;  ///< the print job's name, and the PDF's title
    /// Each from a new page; a sheet's sections one under another, its legend under them.
    std::vector<ExportSheet> sheets;
    /// What the list was filtered to, under the title lines of every page; empty when whole.
    std::string filterLine;
    /// A block closing the last page, a column per signature; none when empty.
    std::vector<SignOff> signOffs;
    /// At the foot of every page with its number: "Printed on dd/mm/yyyy hh:mm".
    std::string printedAt;
};

/// The sheets as printed at `now`, named after the file they are exported to
/// ("April_2025_Left_Out.xlsx" prints as "April_2025_Left_Out").
Printout printoutOf(const std::string& fileName, std::vector<ExportSheet> sheets, const DateTime& now);

/// The printout as bytes for another process, and back. decodePrintout takes any bytes and
/// answers nullopt for what encodePrintout did not write.
std::string encodePrintout(const Printout& printout);
std::optional<Printout> decodePrintout(std::string_view bytes);

}  // namespace vesk::compare
