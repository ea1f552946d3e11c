// What the seam does alike on every system: paths as UTF-8, the XDG rules, which are text, and
// a file's ownership of its handle.
#include "core/Platform.h"

#include <sstream>
#include <utility>

#include "core/Text.h"

namespace vesk::platform {

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string joinPath(const std::string& folder, const std::string& name) { return utf8(fsPath(folder) / fsPath(name)); }

std::string fileName(const std::string& path) { return utf8(fsPath(path).filename()); }

// POSIX paths by POSIX rules, whichever system reads them.
std::string xdgDataFolder(const std::string& dataHome, const std::string& home) {
    // A relative XDG_DATA_HOME is invalid and ignored.
    if (!dataHome.empty() && dataHome.front() == '/') return dataHome;
    if (home.empty()) return {};
    return home + (home.back() == '/' ? "" : "/") + ".local/share";
}

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

File::~File() {
    if (isOpen()) closeNative(m_handle);
}

File::File(File&& other) noexcept
    : m_handle(std::exchange(other.m_handle, kNone)),
      m_path(std::move(other.m_path)),
      m_written(other.m_written),
      m_uncached(other.m_uncached) {}

File& File::operator=(File&& other) noexcept {
    if (this == &other) return *this;
    if (isOpen()) closeNative(m_handle);
    m_handle = std::exchange(other.m_handle, kNone);
    m_path = std::move(other.m_path);
    m_written = other.m_written;
    m_uncached = other.m_uncached;
    return *this;
}

}  // namespace vesk::platform
