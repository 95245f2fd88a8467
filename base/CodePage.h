#pragma once
// The ANSI code page on Linux: the character set of the user's locale.
// All double-byte rules go through these helpers, with the code page as a
// parameter so that code page 932 and UTF-8 are tested alike.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace sorvak::codepage {

constexpr int ShiftJis = 932;
constexpr int Utf8 = 65001;
constexpr int SingleByte = 1252; // any set without double-byte characters

// The locale's code page (setlocale(LC_ALL, "") must have run). An unset
// locale (plain ASCII, "C") counts as UTF-8, as on every current desktop.
int System();
// The locale's character set name for iconv ("UTF-8", "SHIFT_JIS", ...).
std::string SystemCharset();

// A lead byte of a double-byte character in code page 932.
constexpr bool IsShiftJisLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
// A byte that can follow a lead byte. Any other byte after a lead byte is a
// character of its own, so that "/" and "." keep their meaning in a damaged
// name (a Linux path separates at every "/").
constexpr bool IsShiftJisTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
// The length in bytes, 1 or 2, of the code page 932 character at text[index].
constexpr std::size_t ShiftJisCharLength(std::string_view text, std::size_t index) {
    return index + 1 < text.size() && IsShiftJisLeadByte(static_cast<unsigned char>(text[index])) &&
                   IsShiftJisTrailByte(static_cast<unsigned char>(text[index + 1]))
               ? 2
               : 1;
}

// True when text[index] is not the first byte of its character: the second
// byte of a double-byte character in 932, a continuation byte in UTF-8.
// An ASCII byte is never such a byte in UTF-8.
bool IsTrailByte(std::string_view text, std::size_t index, int codePage = System());

// Conversions for the clipboard and for showing texts through Qt. Characters
// the target lacks become "?", the default character of the code pages.
std::string FromUtf8(std::string_view utf8, int codePage = System());
std::string ToUtf8(std::string_view ansi, int codePage = System());
// FromUtf8 of a long text a slice of about `slice` bytes at a time, each
// handed to `piece`, so that the whole is never held twice; the pieces join
// to what FromUtf8 of the whole gives. UTF-8 is handed on as it is.
void FromUtf8InSlices(std::string_view utf8, int codePage, std::size_t slice,
                      const std::function<void(std::string_view)>& piece);
// UTF-16 (host order units) to the ANSI code page, as WideCharToMultiByte does.
std::string FromUtf16(std::u16string_view text, int codePage = System());

// Upper-casing under the locale's rules, for case-insensitive names.
// UTF-8: every valid character by the Unicode simple upper-case mapping (the
// C.UTF-8 tables, so the result does not depend on the user's language);
// invalid bytes stay as they are. Code page 932: ASCII letters and the
// full-width Latin letters; second bytes of double-byte characters are never
// touched. Single-byte sets: toupper() of the current locale.
std::string UpperCase(std::string_view text, int codePage = System());
// Equal when upper-cased alike (see UpperCase).
bool SameText(std::string_view a, std::string_view b, int codePage = System());

} // namespace sorvak::codepage
