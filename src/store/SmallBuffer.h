#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vesk::store {

// Text built on the stack while short; the dialect functions run per row, so the common
// case must not allocate.
class SmallBuffer {
  public:
    void push(char c) {
        if (m_big.empty() && m_size < kSmall) {
            m_small[m_size++] = c;
            return;
        }
        if (m_big.empty()) m_big.assign(m_small, m_size);
        m_big.push_back(c);
        ++m_size;
    }
    void append(std::string_view s) {
        if (s.empty()) return;
        if (m_big.empty() && m_size + s.size() <= kSmall) {
            std::memcpy(m_small + m_size, s.data(), s.size());
            m_size += s.size();
            return;
        }
        if (m_big.empty()) m_big.assign(m_small, m_size);
        m_big.append(s);
        m_size += s.size();
    }
    std::size_t size() const { return m_size; }
    const char* data() const { return m_big.empty() ? m_small : m_big.data(); }
    std::string_view view() const { return {data(), m_size}; }

  private:
    static constexpr std::size_t kSmall = 128;
    char m_small[kSmall];
    std::size_t m_size = 0;
    std::string m_big;
};

}  // namespace vesk::store
