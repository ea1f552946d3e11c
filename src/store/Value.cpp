#include "store/Value.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/Error.h"
#include "store/SqlDialect.h"

namespace vesk::store {

std::string Value::toText() const {
    if (const auto* s = std::get_if<std::string>(&m_v)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&m_v)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&m_v)) {
        // As the engine prints a real: 15 significant digits, a whole number keeps ".0".
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", *d);
        std::string out = buf;
        if (std::isfinite(*d) && out.find_first_of(".e") == std::string::npos) out += ".0";
        return out;
    }
    return {};
}

double Value::toNumber() const {
    if (const auto* i = std::get_if<std::int64_t>(&m_v)) return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&m_v)) return *d;
    if (const auto* s = std::get_if<std::string>(&m_v)) {
        auto v = parseLeadingNumber(*s);
        if (!v) throw Error(errc::kTypeMismatch, "Overflow: '" + *s + "' is too large a number");
        return *v;
    }
    return 0.0;
}

std::int64_t Value::toInt() const {
    if (const auto* i = std::get_if<std::int64_t>(&m_v)) return *i;
    const double d = std::round(toNumber());
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
        throw Error(errc::kTypeMismatch, "Overflow: " + toText() + " does not fit an integer");
    return static_cast<std::int64_t>(d);
}

}  // namespace vesk::store
