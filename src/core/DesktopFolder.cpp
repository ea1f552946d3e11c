#include "core/DesktopFolder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/Text.h"

namespace vesk {

std::string desktopFromUserDirs(const std::string& text, const std::string& home) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line);
        const std::string key = "XDG_DESKTOP_DIR=";
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        // A desktop that is the home folder itself means the person has none of its own.
        if (value.empty() || value == home || value == home + "/") return {};
        return value;
    }
    return {};
}

std::string desktopFolder() {
    const char* homeEnv = std::getenv("HOME");
    const std::string home = homeEnv && *homeEnv ? homeEnv : "/tmp";
    const char* configEnv = std::getenv("XDG_CONFIG_HOME");
    const std::string config = configEnv && *configEnv ? configEnv : home + "/.config";
    std::ifstream file(config + "/user-dirs.dirs");
    if (file) {
        std::stringstream text;
        text << file.rdbuf();
        std::string desktop = desktopFromUserDirs(text.str(), home);
        if (!desktop.empty()) return desktop;
    }
    return home + "/Desktop";
}

}  // namespace vesk
