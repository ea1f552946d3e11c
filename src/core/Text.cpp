#include "core/Text.h"

#include <cctype>

namespace vesk {

std::string trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string excerpt(std::string_view text, std::size_t characters) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // inside a character
        if (count++ == characters) return std::string(text.substr(0, i)) + "\u2026";
    }
    return std::string(text);
}

std::string columnLetters(int column) {
    std::string out;
    while (column > 0) {
        const int rem = (column - 1) % 26;
        out.insert(out.begin(), static_cast<char>('A' + rem));
        column = (column - 1) / 26;
    }
    return out;
}

}  // namespace vesk
