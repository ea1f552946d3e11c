#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vesk::sheet {

// Unsigned integers as the binary workbook formats store them, least significant byte
// first. The caller has checked that the bytes are there.
inline std::uint16_t u16(std::string_view s, std::size_t at) {
    return std::uint16_t(static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8));
}

inline std::uint32_t u32(std::string_view s, std::size_t at) {
    return u16(s, at) | (std::uint32_t(u16(s, at + 2)) << 16);
}

}  // namespace vesk::sheet
