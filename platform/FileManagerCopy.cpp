#include "FileManagerCopy.h"

#include <cstdint>

namespace sorvak::platform {

namespace {

constexpr std::string_view NautilusPrefix = "x-special/nautilus-clipboard";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// Splits at LF, dropping a CR before it; keeps empty lines.
std::vector<std::string_view> Lines(std::string_view data) {
    std::vector<std::string_view> lines;
    while (!data.empty()) {
        std::size_t end = data.find('\n');
        std::string_view line = data.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        data.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<std::vector<std::string>> ParseUriLines(const std::vector<std::string_view>& lines,
                                                      std::size_t first) {
    std::vector<std::string> paths;
    for (std::size_t i = first; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty() || line.front() == '#')
            continue;
        auto path = LocalPathOfFileUri(line);
        if (!path)
            return std::nullopt;
        paths.push_back(std::move(*path));
    }
    if (paths.empty())
        return std::nullopt;
    return paths;
}

void AppendUnit(std::string& out, std::uint16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

void AppendLe32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Decodes one UTF-8 character at text[i]; advances i. Malformed input gives
// U+FFFD for one byte, so every byte is consumed.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t cp = 0;
    std::uint32_t minimum = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + length > text.size()) {
        ++i;
        return 0xFFFD;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += length;
    return cp;
}

} // namespace

std::optional<std::string> LocalPathOfFileUri(std::string_view uri) {
    if (!StartsWithNoCase(uri, "file:"))
        return std::nullopt;
    std::string_view rest = uri.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost")))
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '?' || c == '#')
            break;
        if (c == '%') {
            const int high = i + 1 < rest.size() ? HexValue(rest[i + 1]) : -1;
            const int low = i + 2 < rest.size() ? HexValue(rest[i + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            const char decoded = static_cast<char>(high * 16 + low);
            if (decoded == '\0')
                return std::nullopt; // no path holds a NUL
            path.push_back(decoded);
            i += 2;
        } else {
            path.push_back(c);
        }
    }
    return path;
}

std::optional<std::vector<std::string>> ParseUriList(std::string_view data) {
    return ParseUriLines(Lines(data), 0);
}

std::optional<std::vector<std::string>> ParseCopiedFiles(std::string_view data) {
    const std::vector<std::string_view> lines = Lines(data);
    if (lines.empty() || (lines[0] != "copy" && lines[0] != "cut"))
        return std::nullopt;
    return ParseUriLines(lines, 1);
}

std::optional<std::vector<std::string>> ParseNautilusText(std::string_view text) {
    if (text.substr(0, NautilusPrefix.size()) != NautilusPrefix)
        return std::nullopt;
    text.remove_prefix(NautilusPrefix.size());
    if (text.empty() || (text.front() != '\n' && text.front() != '\r'))
        return std::nullopt;
    if (text.front() == '\r')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '\n')
        text.remove_prefix(1);
    return ParseCopiedFiles(text);
}

std::string BuildDropFilesBlock(const std::vector<std::string>& paths) {
    std::string block;
    AppendLe32(block, 20); // pFiles
    AppendLe32(block, 0);  // pt.x
    AppendLe32(block, 0);  // pt.y
    AppendLe32(block, 0);  // fNC
    AppendLe32(block, 1);  // fWide
    for (const std::string& path : paths) {
        std::size_t i = 0;
        while (i < path.size()) {
            std::uint32_t cp = NextCodePoint(path, i);
            if (cp >= 0x10000) {
                cp -= 0x10000;
                AppendUnit(block, static_cast<std::uint16_t>(0xD800 | (cp >> 10)));
                AppendUnit(block, static_cast<std::uint16_t>(0xDC00 | (cp & 0x3FF)));
            } else {
                AppendUnit(block, static_cast<std::uint16_t>(cp));
            }
        }
        AppendUnit(block, 0);
    }
    AppendUnit(block, 0);
    return block;
}

} // namespace sorvak::platform
