#include "sheet/XmlText.h"

#include <charconv>

#include "core/Text.h"

namespace vesk::sheet {

bool parseInt(std::string_view text, long long& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

void decodeEscapes(std::string& text) {
    if (text.find("_x") == std::string::npos) return;
    const auto escapeAt = [&](std::size_t i, unsigned& code) {
        if (text[i] != '_' || i + 6 >= text.size() || text[i + 1] != 'x' || text[i + 6] != '_') return false;
        const auto [end, ec] = std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16);
        return ec == std::errc() && end == text.data() + i + 6;
    };
    std::size_t out = 0;
    std::string character;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned code = 0, low = 0;
        if (!escapeAt(i, code)) {
            text[out++] = text[i];
            continue;
        }
        i += 6;
        // A character past U+FFFF comes as two escapes, its surrogates.
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && escapeAt(i + 1, low) && low >= 0xDC00 &&
            low < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            i += 7;
        }
        // Seven bytes become at most four, so the decoded text never overtakes the rest.
        character.clear();
        appendUtf8(character, code);
        for (const char c : character) text[out++] = c;
    }
    text.resize(out);
}

}  // namespace vesk::sheet
