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

std::optional<std::string> saveExport(Prompter& prompter, const ExportPlace& place, const std::string& fileName,
                                      const std::function<std::string(const std::string& folder)>& write) {
    std::error_code ec;
    if (std::filesystem::exists(platform::fsPath(platform::joinPath(place.folder, fileName)), ec) &&
        prompter.message(replaceExport(place.onDesktop ? kOutputFolderName : place.folder, fileName)) != Answer::Yes)
        return std::nullopt;
    const std::string path = write(place.folder);
    if (place.open) prompter.openDocument(path);
    prompter.message(place.onDesktop ? savedOnDesktop(fileName) : savedInFolder(place.folder, fileName));
    return path;
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
