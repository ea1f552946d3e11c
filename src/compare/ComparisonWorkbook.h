#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "compare/ExportSheet.h"
#include "compare/Grid.h"
#include "compare/LeftOut.h"
#include "compare/Pairing.h"
#include "core/DateTime.h"

namespace vesk::compare {

/// What an export needs besides its grid: the period and office choice as the form's
/// lists hold them, the search box's text and the configured office.
struct ExportContext {
    std::string month;                  ///< "April"
    std::string year;                   ///< "2025"
    std::optional<std::string> office;  ///< the office list's choice; none when nothing is chosen
    std::string filterText;             ///< the search box, as typed
    std::string configuredOffice;
    PairingRules rules;  ///< what the legend says the classes are
};

/// True when the office list's choice is one office, not every office ("All").
bool namesOneOffice(const ExportContext& context);

/// The context of an export of the month's comparison under the configured office.
ExportContext exportContext(Period period, std::string configuredOffice);

enum class ExportKind { Consolidated, Detailed };

/// The folder the workbooks go to by default: this folder on the desktop.
inline constexpr const char* kOutputFolderName = "VESK - ORV Output";
std::string defaultOutputFolder();
/// The folder, created when missing. Throws Error when it cannot be.
std::string createdFolder(const std::string& folder);
/// Writes the sheet as a workbook named fileName in the folder (created when missing), as
/// writeExportSheet writes it; returns its path. Throws Error.
std::string writeExportSheetIn(const ExportSheet& sheet, const std::string& folder, const std::string& fileName,
                               const std::function<void(std::size_t)>& rowDone = {});

/// The sheet for a grid as it is shown: its visible rows numbered without gaps, the
/// total row unnumbered and yellow, differing cells red.
ExportSheet exportSheet(ExportKind kind, const Grid& grid, const ExportContext& context);

/// Writes the grid's visible rows to a formatted workbook in the folder (created when
/// missing), replacing an earlier file of the same name only once the new one is complete;
/// returns its path. rowDone(i) follows each written row. Throws Error.
std::string writeComparisonWorkbook(ExportKind kind, const Grid& grid, const ExportContext& context,
                                    const std::string& folder, const std::function<void(std::size_t)>& rowDone = {});

/// The sheet of what the comparison left out: the title and period lines, the scope line,
/// then each list under its caption with a total row.
ExportSheet leftOutSheet(const LeftOut& leftOut, const ExportContext& context);

/// Writes the left-out sheet as writeComparisonWorkbook writes a grid; returns its path.
std::string writeLeftOutWorkbook(const LeftOut& leftOut, const ExportContext& context, const std::string& folder);

}  // namespace vesk::compare
