#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace vesk::store {

/// One field of a result row, or one bound parameter: Null, integer, real or text.
class Value {
  public:
    Value() = default;
    Value(std::nullptr_t) {}
    Value(int v) : m_v(std::int64_t{v}) {}
    Value(std::int64_t v) : m_v(v) {}
    Value(double v) : m_v(v) {}
    Value(std::string v) : m_v(std::move(v)) {}
    Value(const char* v) : m_v(std::string(v)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(m_v); }
    bool isInteger() const { return std::holds_alternative<std::int64_t>(m_v); }
    bool isReal() const { return std::holds_alternative<double>(m_v); }
    bool isText() const { return std::holds_alternative<std::string>(m_v); }

    /// Text as the engine would give it; "" for Null.
    std::string toText() const;
    /// The number; text is read as the database's Val() reads it; Null is 0.
    double toNumber() const;
    std::int64_t toInt() const;

    const std::variant<std::monostate, std::int64_t, double, std::string>& raw() const { return m_v; }
    bool operator==(const Value&) const = default;

  private:
    std::variant<std::monostate, std::int64_t, double, std::string> m_v;
};

}  // namespace vesk::store
