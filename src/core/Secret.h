#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace vesk {

/// A secret's bytes (a passphrase, a key) in a buffer of its own that is wiped whenever it
/// lets go of them: on clear(), on assignment and when it goes. Never a std::string, whose
/// copies and reallocations would leave the bytes about.
class Secret {
  public:
    /// The longest secret kept; a longer one is cut at this length.
    static constexpr std::size_t kCapacity = 512;

    Secret() = default;
    Secret(const char* data, std::size_t size);
    explicit Secret(std::string_view text) : Secret(text.data(), text.size()) {}
    Secret(const Secret& other);
    Secret& operator=(const Secret& other);
    ~Secret();

    /// Adds a byte; false when the secret is full.
    bool push(char c);
    void clear() noexcept;

    const char* data() const { return m_bytes.data(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    /// Counted in characters, not bytes: a letter of another script counts once.
    std::size_t characters() const;

    bool operator==(const Secret& other) const;

  private:
    std::array<char, kCapacity> m_bytes{};
    std::size_t m_size = 0;
};

}  // namespace vesk
