#include "sheet/NumberFormat.h"

#include <cctype>
#include <string>

namespace vesk::sheet {

namespace {

bool isElapsedTime(std::string_view inside) {
    if (inside.empty()) return false;
    const char first = char(std::tolower(static_cast<unsigned char>(inside[0])));
    if (first != 'h' && first != 'm' && first != 's') return false;
    for (char c : inside)
        if (std::tolower(static_cast<unsigned char>(c)) != first) return false;
    return true;
}

}  // namespace

bool isBuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

bool isDateFormat(int numFmtId, std::string_view code) {
    if (code.empty()) return isBuiltInDateFormat(numFmtId);

    // Only the first section decides: it is the one positive numbers (and so dates) use.
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        switch (c) {
            case '"': {
                const std::size_t close = code.find('"', i + 1);
                if (close == std::string_view::npos) return false;
                i = close;
                break;
            }
            case '[': {
                const std::size_t close = code.find(']', i + 1);
                if (close == std::string_view::npos) return false;
                if (isElapsedTime(code.substr(i + 1, close - i - 1))) return true;
                i = close;
                break;
            }
            case '\\':
            case '_':
            case '*':
                ++i;  // escaped literal, padding or fill character
                break;
            case ';':
                return false;
            default:
                switch (std::tolower(static_cast<unsigned char>(c))) {
                    case 'd':
                    case 'm':
                    case 'y':
                    case 'h':
                    case 's':
                        return true;
                    default:
                        break;
                }
        }
    }
    return false;
}

}  // namespace vesk::sheet
