#include "store/Connection.h"

namespace vesk::store {

std::string quote(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

}  // namespace vesk::store
