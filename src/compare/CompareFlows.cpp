#include "compare/CompareFlows.h"

#include "compare/CompareWording.h"

namespace vesk::compare {

std::string saveExport(Prompter& prompter, const ExportPlace& place, const std::string& fileName,
                       const std::function<std::string(const std::string& folder)>& write) {
    const std::string path = write(place.folder);
    if (place.open) prompter.openDocument(path);
    prompter.message(place.onDesktop ? savedOnDesktop(fileName) : savedInFolder(place.folder, fileName));
    return path;
}

}  // namespace vesk::compare
