#include "CodePage.h"

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <memory>
#include <strings.h>

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
std::string Convert(std::string_view in, const std::string& from, const std::string& to,
                    std::size_t unitSize) {
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
            std::size_t skip = std::min(unitSize, srcLeft);
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

} // namespace

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
    // Walk from the start: only a lead byte decides what the next byte is.
    std::size_t i = 0;
    while (i < index) {
        if (IsShiftJisLeadByte(static_cast<unsigned char>(text[i])))
            i += 2;
        else
            i += 1;
    }
    return i > index;
}

std::string FromUtf8(std::string_view utf8, int codePage) {
    if (codePage == Utf8)
        return std::string(utf8);
    return Convert(utf8, "UTF-8", CharsetOf(codePage), 1);
}

std::string ToUtf8(std::string_view ansi, int codePage) {
    if (codePage == Utf8)
        return std::string(ansi);
    return Convert(ansi, CharsetOf(codePage), "UTF-8", 1);
}

std::string FromUtf16(std::u16string_view text, int codePage) {
    std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return Convert(bytes, "UTF-16LE", CharsetOf(codePage), 2);
}

} // namespace sorvak::codepage
