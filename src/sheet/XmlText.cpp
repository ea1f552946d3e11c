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
    std::size_t i = text.find("_x");
    if (i == std::string::npos) return;
    std::size_t out = i;
    for (; i < text.size(); ++i) {
        unsigned code = 0;
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
            const auto [end, ec] = std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16);
            if (ec == std::errc() && end == text.data() + i + 6) {
                // Seven bytes become at most three, so the decoded text never overtakes the rest.
                // A zero character would end the text wherever it is passed on as a C string.
                if (code != 0) {
                    std::string bytes;
                    appendUtf8(bytes, char32_t(code));
                    for (const char b : bytes) text[out++] = b;
                }
                i += 6;
                continue;
            }
        }
        text[out++] = text[i];
    }
    text.resize(out);
}

}  // namespace vesk::sheet
