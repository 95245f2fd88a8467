#include "base/CodePage.h"

#include "base/Utf.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <memory>
#include <strings.h>
#include <wctype.h>

namespace sorvak::codepage {

namespace {

bool IsAsciiName(const char* name) {
    return strcasecmp(name, "ANSI_X3.4-1968") == 0 || strcasecmp(name, "ASCII") == 0 ||
           strcasecmp(name, "US-ASCII") == 0;
}

bool IsShiftJisName(const char* name) {
    return strcasecmp(name, "SHIFT_JIS") == 0 || strcasecmp(name, "SJIS") == 0 ||
           strcasecmp(name, "CP932") == 0 || strcasecmp(name, "SHIFT-JIS") == 0 ||
           strcasecmp(name, "WINDOWS-31J") == 0;
}

const char* IconvName(int codePage) {
    switch (codePage) {
    case Utf8:
        return "UTF-8";
    case ShiftJis:
        return "CP932";
    default:
        return nullptr;
    }
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// Converts with iconv, putting "?" for every input unit it cannot take
// (the unit is skipped, as a default character stands for one character).
// How many input bytes one character takes that the target cannot hold, so
// that it gives one default character, not one for each of its bytes.
enum class Input { Utf8, Utf16, Bytes };

std::size_t CharacterLength(const char* at, std::size_t left, Input input) {
    const auto lead = static_cast<unsigned char>(at[0]);
    std::size_t length = 1;
    if (input == Input::Utf16) {
        length = 2;
        // A pair only when a low surrogate follows: a lone high surrogate
        // must not take the next character with it.
        if (left >= 4 && (static_cast<unsigned char>(at[1]) & 0xFC) == 0xD8 &&
            (static_cast<unsigned char>(at[3]) & 0xFC) == 0xDC)
            length = 4;
    } else if (input == Input::Utf8) {
        length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        for (std::size_t k = 1; k < length; ++k) {
            if (k >= left || (static_cast<unsigned char>(at[k]) & 0xC0) != 0x80)
                return 1; // malformed: one default character a byte
        }
    }
    return std::min(length, left);
}

std::string Convert(std::string_view in, const std::string& from, const std::string& to,
                    Input input) {
    iconv_t raw = iconv_open(to.c_str(), from.c_str());
    if (raw == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    IconvHandle cd(raw);
    std::string out;
    out.reserve(in.size() + in.size() / 2 + 4);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[4096];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        std::size_t r = iconv(raw, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, dst - buffer);
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ, or EINVAL for a cut sequence at the end.
            out.push_back('?');
            const std::size_t skip = CharacterLength(src, srcLeft, input);
            src += skip;
            srcLeft -= skip;
        }
    }
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(raw, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, dst - buffer);
    return out;
}

std::string CharsetOf(int codePage) {
    if (const char* name = IconvName(codePage))
        return name;
    return SystemCharset();
}

constexpr char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Fixed tables for UTF-8 case mapping; null when the C library lacks them,
// and then only ASCII letters fold.
locale_t Utf8CaseLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    return locale;
}

void UpperUtf8(std::string_view text, std::string& out) {
    const locale_t locale = Utf8CaseLocale();
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            out.push_back(AsciiUpper(c));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = utf::DecodeUtf8(text, i, cp);
        if (length == 0) {
            out.push_back(c);
            ++i;
            continue;
        }
        char32_t upper = cp;
        if (locale != locale_t(nullptr)) {
            const wint_t mapped = towupper_l(static_cast<wint_t>(cp), locale);
            if (mapped <= 0x10FFFF && !(mapped >= 0xD800 && mapped <= 0xDFFF))
                upper = static_cast<char32_t>(mapped);
        }
        utf::AppendUtf8(upper, out);
        i += length;
    }
}

void UpperShiftJis(std::string_view text, std::string& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (ShiftJisCharLength(text, i) == 2) {
            auto trail = static_cast<unsigned char>(text[i + 1]);
            // Full-width a-z (82 81..82 9A) to A-Z (82 60..82 79).
            if (b == 0x82 && trail >= 0x81 && trail <= 0x9A)
                trail = static_cast<unsigned char>(trail - 0x21);
            out.push_back(char(b));
            out.push_back(char(trail));
            i += 2;
        } else {
            out.push_back(AsciiUpper(text[i]));
            ++i;
        }
    }
}

} // namespace

std::string UpperCase(std::string_view text, int codePage) {
    std::string out;
    out.reserve(text.size());
    if (codePage == Utf8) {
        UpperUtf8(text, out);
    } else if (codePage == ShiftJis) {
        UpperShiftJis(text, out);
    } else {
        for (char c : text)
            out.push_back(char(std::toupper(static_cast<unsigned char>(c))));
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b, int codePage) {
    if (codePage == Utf8) {
        // ASCII bytes are whole characters in UTF-8: compare them directly and
        // upper-case only from the first non-ASCII character on.
        std::size_t i = 0;
        while (i < a.size() && i < b.size()) {
            const auto ca = static_cast<unsigned char>(a[i]);
            const auto cb = static_cast<unsigned char>(b[i]);
            if (ca >= 0x80 || cb >= 0x80)
                return UpperCase(a.substr(i), codePage) == UpperCase(b.substr(i), codePage);
            if (AsciiUpper(char(ca)) != AsciiUpper(char(cb)))
                return false;
            ++i;
        }
        return a.size() == b.size();
    }
    return UpperCase(a, codePage) == UpperCase(b, codePage);
}

std::string SystemCharset() {
    const char* name = nl_langinfo(CODESET);
    if (name == nullptr || *name == '\0' || IsAsciiName(name))
        return "UTF-8";
    if (IsShiftJisName(name))
        return "CP932";
    return name;
}

int System() {
    std::string name = SystemCharset();
    if (strcasecmp(name.c_str(), "UTF-8") == 0 || strcasecmp(name.c_str(), "UTF8") == 0)
        return Utf8;
    if (name == "CP932")
        return ShiftJis;
    return SingleByte;
}

bool IsTrailByte(std::string_view text, std::size_t index, int codePage) {
    if (index >= text.size())
        return false;
    const auto byte = static_cast<unsigned char>(text[index]);
    if (codePage == Utf8)
        return (byte & 0xC0) == 0x80;
    if (codePage != ShiftJis)
        return false;
    // Walk from the start: only the byte before decides what a byte is.
    std::size_t i = 0;
    while (i < index)
        i += ShiftJisCharLength(text, i);
    return i > index;
}

std::string FromUtf8(std::string_view utf8, int codePage) {
    if (codePage == Utf8)
        return std::string(utf8);
    return Convert(utf8, "UTF-8", CharsetOf(codePage), Input::Utf8);
}

std::string ToUtf8(std::string_view ansi, int codePage) {
    if (codePage == Utf8)
        return std::string(ansi);
    return Convert(ansi, CharsetOf(codePage), "UTF-8", Input::Bytes);
}

void FromUtf8InSlices(std::string_view utf8, int codePage, std::size_t slice,
                      const std::function<void(std::string_view)>& piece) {
    if (codePage == Utf8) {
        piece(utf8);
        return;
    }
    // Each slice ends before a byte that starts a character (or a stray
    // byte), so no character is cut; the code pages convert without state.
    slice = std::max<std::size_t>(slice, 1);
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t end = std::min(utf8.size(), pos + slice);
        while (end > pos && end < utf8.size() &&
               (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        if (end == pos) {
            // A slice shorter than the character: the whole character.
            end = std::min(utf8.size(), pos + slice);
            while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
                ++end;
        }
        piece(FromUtf8(utf8.substr(pos, end - pos), codePage));
        pos = end;
    }
}

std::string FromUtf16(std::u16string_view text, int codePage) {
    std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return Convert(bytes, "UTF-16LE", CharsetOf(codePage), Input::Utf16);
}

} // namespace sorvak::codepage
