#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>

#include "cli/Cli.h"

namespace vesk::cli {

std::optional<std::string> Arguments::option(const std::string& name) const {
    for (const auto& [n, v] : m_options)
        if (n == name) return v;
    return std::nullopt;
}

bool Arguments::flag(const std::string& name) const {
    return std::find(m_flags.begin(), m_flags.end(), name) != m_flags.end();
}

long long Arguments::integer(const std::string& name, long long fallback, long long lo, long long hi) const {
    auto text = option(name);
    if (!text) return fallback;
    long long v = 0;
    const char* end = text->data() + text->size();
    auto [p, ec] = std::from_chars(text->data(), end, v);
    if (ec != std::errc() || p != end || text->empty())
        throw UsageError("option --" + name + " needs a whole number, not '" + *text + "'");
    if (v < lo || v > hi)
        throw UsageError("option --" + name + " must be from " + std::to_string(lo) + " to " + std::to_string(hi));
    return v;
}

}  // namespace vesk::cli
