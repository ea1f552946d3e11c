#include "core/Secret.h"

#include <algorithm>

#include "core/Platform.h"

namespace vesk {

Secret::Secret(const char* data, std::size_t size) : m_size(std::min(size, kCapacity)) {
    std::copy_n(data, m_size, m_bytes.data());
}

Secret::Secret(const Secret& other) : m_size(other.m_size) {
    std::copy_n(other.m_bytes.data(), m_size, m_bytes.data());
}

Secret& Secret::operator=(const Secret& other) {
    if (this == &other) return *this;
    clear();
    m_size = other.m_size;
    std::copy_n(other.m_bytes.data(), m_size, m_bytes.data());
    return *this;
}

Secret::~Secret() { clear(); }

bool Secret::push(char c) {
    if (m_size == kCapacity) return false;
    m_bytes[m_size++] = c;
    return true;
}

void Secret::clear() noexcept {
    // Not optimised away as a plain fill of memory about to go would be.
    platform::wipe(m_bytes.data(), m_bytes.size());
    m_size = 0;
}

std::size_t Secret::characters() const {
    // UTF-8: every byte but a continuation byte starts a character.
    return std::size_t(std::count_if(m_bytes.begin(), m_bytes.begin() + std::ptrdiff_t(m_size),
                                     [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
}

bool Secret::operator==(const Secret& other) const {
    return m_size == other.m_size &&
           std::equal(m_bytes.begin(), m_bytes.begin() + std::ptrdiff_t(m_size), other.m_bytes.begin());
}

}  // namespace vesk
