#pragma once
// The one UTF-8 / UTF-16 codec. Decoding is strict (no overlong forms,
// surrogates or values past U+10FFFF); where a caller turns bad input into
// text, each byte that does not start a valid character gives one U+FFFD.
#include <cstddef>
#include <string>
#include <string_view>

namespace sorvak::utf {

// Decodes the character at text[i]; returns its length in bytes, or 0 when
// no valid character starts there.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp);
void AppendUtf8(char32_t cp, std::string& out);
bool IsValidUtf8(std::string_view text);

std::u16string Utf8ToUtf16(std::string_view utf8);
// Little-endian UTF-16 units as they lie in a byte stream; an odd last byte
// is not a unit and is left out.
std::u16string Utf16LeUnits(std::string_view bytes);

} // namespace sorvak::utf
