#include "compare/CompareFlows.h"

#include <filesystem>
#include <system_error>

#include "compare/CompareWording.h"
#include "core/Error.h"
#include "core/Platform.h"

namespace vesk::compare {

bool tellComparison(Prompter& prompter, const ComparedMonth& compared) {
    if (!compared.result.anyRows) {
        prompter.message(noRecords());
        return false;
    }
    prompter.message(comparisonCompleted(compared.result, compared.scope));
    return true;
}

bool gridToExport(Prompter& prompter, ExportKind kind, const Grid& grid) {
    if (grid.hasData()) return true;
    // The consolidated grid is empty when nothing was compared; the detailed one also before an office is picked.
    prompter.message(kind == ExportKind::Consolidated ? noMismatchData() : noDataToExport());
    return false;
}

namespace {

std::string shownFolder(const ExportPlace& place) { return place.onDesktop ? kOutputFolderName : place.folder; }

// A file of the name already there is replaced only when the person says so.
bool mayWrite(Prompter& prompter, const ExportPlace& place, const std::string& fileName) {
    std::error_code ec;
    return !std::filesystem::exists(platform::fsPath(platform::joinPath(place.folder, fileName)), ec) ||
           prompter.message(replaceExport(shownFolder(place), fileName)) == Answer::Yes;
}

}  // namespace

std::optional<std::string> saveExport(Prompter& prompter, const ExportPlace& place, const std::string& fileName,
                                      const std::function<std::string(const std::string& folder)>& write) {
    if (!mayWrite(prompter, place, fileName)) return std::nullopt;
    const std::string path = write(place.folder);
    if (place.open) prompter.openDocument(path);
    prompter.message(place.onDesktop ? savedOnDesktop(fileName) : savedInFolder(place.folder, fileName));
    return path;
}

SavedOfficeLists saveOfficeLists(Prompter& prompter, const ExportPlace& place, const std::vector<OfficeList>& lists,
                                 const ExportContext& context, const std::function<void(std::size_t)>& done) {
    SavedOfficeLists saved;
    std::vector<OfficeList> written;  // without their sheets: the summary needs their lines only
    std::vector<std::string> keptOffices;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const OfficeList& list = lists[i];
        if (mayWrite(prompter, place, list.fileName)) {
            saved.paths.push_back(writeOfficeList(list, place.folder));
            written.push_back({list.office, list.dates, list.rows, list.fileName, {}});
        } else {
            saved.kept.push_back(platform::joinPath(place.folder, list.fileName));
            keptOffices.push_back(list.office);
        }
        if (done) done(i);
    }
    std::optional<std::string> summary;
    if (!written.empty()) {
        const std::string name = officeListsFileName(context);
        if (mayWrite(prompter, place, name)) {
            saved.paths.push_back(writeOfficeListsSummary(written, context, place.folder));
            summary = name;
            if (place.open) prompter.openDocument(saved.paths.back());
        } else {
            saved.kept.push_back(platform::joinPath(place.folder, name));
        }
    }
    prompter.message(officeListsSaved(shownFolder(place), written.size(), summary, keptOffices));
    return saved;
}

std::optional<std::string> tryExport(Prompter& prompter, const std::function<std::optional<std::string>()>& save) {
    try {
        return save();
    } catch (const std::exception& caught) {
        prompter.message(exportFailed(asError(caught)));
        return std::nullopt;
    }
}

Printout sheetPrintout(ExportSheet sheet, std::string filterLine) {
    Printout printout;
    printout.documentName = sheet.title;
    printout.sheets.push_back(std::move(sheet));
    printout.filterLine = std::move(filterLine);
    return printout;
}

bool handPrintout(Prompter& prompter, const PrintTarget& target, const Clock& clock,
                  const std::function<Printout()>& build) {
    if (!target) return false;
    try {
        Printout printout = build();
        printout.printedAt = printedOnText(clock());
        target(printout);
        return true;
    } catch (const std::exception& caught) {
        prompter.message(printFailed(asError(caught)));
        return false;
    }
}

}  // namespace vesk::compare
