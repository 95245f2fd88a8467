#pragma once
// Fixed-width fields of binary formats: little-endian (BMP, the file-list
// block, form streams) and big-endian (PNG). Readers take the offset of the
// field; the caller has checked that it lies inside the bytes.
#include <cstdint>
#include <string>
#include <string_view>

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

inline void AppendLE16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void AppendLE32(std::string& out, std::uint32_t v) {
    AppendLE16(out, v & 0xFFFF);
    AppendLE16(out, v >> 16);
}

inline std::uint16_t ReadLE16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}
inline std::uint32_t ReadLE32(std::string_view bytes, std::size_t at) {
    return ReadLE16(bytes, at) | static_cast<std::uint32_t>(ReadLE16(bytes, at + 2)) << 16;
}

} // namespace sorvak::bytes
