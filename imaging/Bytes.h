#pragma once
// Fixed-width fields for file headers: little-endian for BMP, big-endian for PNG.
#include <cstdint>

namespace sorvak::bytes {

inline std::uint8_t* PutLE16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    return p + 2;
}
inline std::uint8_t* PutLE32(std::uint8_t* p, std::uint32_t v) {
    PutLE16(p, v & 0xFFFF);
    PutLE16(p + 2, v >> 16);
    return p + 4;
}
inline std::uint8_t* PutBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
    return p + 4;
}

} // namespace sorvak::bytes
