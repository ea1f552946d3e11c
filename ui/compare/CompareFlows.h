#pragma once

#include <functional>
#include <optional>
#include <string>

#include "compare/ComparisonWorkbook.h"
#include "compare/Grid.h"
#include "compare/MonthComparison.h"
#include "compare/OfficeLists.h"
#include "compare/PrintTarget.h"
#include "core/DateTime.h"
#include "core/Prompter.h"

namespace vesk::compare {

// What the comparison form and the comparison verbs tell the person, through whichever
// prompter asks (the form's message boxes, the terminal).

/// Tells how a comparison went: "No records found" for a month without bank rows, else
/// "Comparison Completed" with the scope and the count. True when the month holds rows.
bool tellComparison(Prompter& prompter, const ComparedMonth& compared);

/// The grid an export button would write; an empty one is refused with the reason its kind
/// gives. True when the grid holds rows to export.
bool gridToExport(Prompter& prompter, ExportKind kind, const Grid& grid);

/// Where an export goes, and how the person learns of it.
struct ExportPlace {
    std::string folder;
    /// The form's own folder on the desktop, which the notice names so; else the notice
    /// gives the folder.
    bool onDesktop = false;
    /// Hands the saved file to the desktop's spreadsheet program.
    bool open = false;
};

/// Saving an export, as the export buttons and the export verbs do it: write puts the file
/// into the folder and returns its path; the file is then opened when asked and the person
/// told where it went. A file of the name already there is replaced only when the person says
/// so, since it may hold what they added to it since. Returns the path; none when the file
/// was kept. Throws what write throws.
std::optional<std::string> saveExport(Prompter& prompter, const ExportPlace& place, const std::string& fileName,
                                      const std::function<std::string(const std::string& folder)>& write);

/// What saving the office lists did.
struct SavedOfficeLists {
    std::vector<std::string> paths;  ///< the lists written, then the summary
    std::vector<std::string> kept;   ///< the taken files kept, nothing written in their place
};

/// Saving the month's office lists as saveExport saves an export, each list asked about on its
/// own when its name is taken (kept: nothing of that office is written); then the summary of
/// the lists written, asked about alike and handed to the person when place.open says so, and
/// one message of where they went and what was kept. done(i) follows each list. Throws what
/// writing throws.
SavedOfficeLists saveOfficeLists(Prompter& prompter, const ExportPlace& place, const std::vector<OfficeList>& lists,
                                 const ExportContext& context, const std::function<void(std::size_t)>& done = {});

/// An export button's save (saveExport and what it needs first): a failure is told as the
/// export's error rather than thrown. The saved file, or none.
std::optional<std::string> tryExport(Prompter& prompter, const std::function<std::optional<std::string>()>& save);

/// A list of one sheet as it goes on paper, named for its title.
Printout sheetPrintout(ExportSheet sheet, std::string filterLine = {});

/// Print…: `build` makes the printout, which goes to the target stamped with the clock's time;
/// a failure is said as the print's error. True when handed on.
bool handPrintout(Prompter& prompter, const PrintTarget& target, const Clock& clock,
                  const std::function<Printout()>& build);

}  // namespace vesk::compare
