#pragma once

#include <string>

namespace vesk {

/// The person's desktop folder: XDG_DESKTOP_DIR from the user-dirs file when it names
/// one, else ~/Desktop.
std::string desktopFolder();

/// Reads XDG_DESKTOP_DIR out of a user-dirs file's text ("$HOME/Desktop" expanded with
/// home); empty when the text does not set it.
std::string desktopFromUserDirs(const std::string& text, const std::string& home);

}  // namespace vesk
