#pragma once

#include <functional>
#include <string>

#include "core/Prompter.h"

namespace vesk::compare {

/// Where an export goes, and how the person learns of it.
struct ExportPlace {
    std::string folder;
    /// The form's own folder on the desktop, which the notice names so; else the notice
    /// gives the folder.
    bool onDesktop = false;
    /// Hands the saved file to the desktop's spreadsheet program.
    bool open = false;
};

/// Saving an export, as the export buttons and the export verb do it: write puts the file
/// into the folder and returns its path; the file is then opened when asked and the person
/// told where it went. Returns the path. Throws what write throws.
std::string saveExport(Prompter& prompter, const ExportPlace& place, const std::string& fileName,
                       const std::function<std::string(const std::string& folder)>& write);

}  // namespace vesk::compare
