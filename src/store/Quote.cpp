#include "store/Connection.h"

namespace vesk::store {

std::string quote(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (char c : text) {
        if (c == '\'') out += '\'';
        // The engine reads a statement only up to a zero byte, so one inside a literal
        // is spelled as an expression that yields it.
        if (c == '\0')
            out += "'||char(0)||'";
        else
            out += c;
    }
    out += '\'';
    return out;
}

}  // namespace vesk::store
