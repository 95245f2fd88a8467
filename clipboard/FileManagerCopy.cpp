#include "clipboard/FileManagerCopy.h"

#include <cstdint>

namespace sorvak {

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

} // namespace sorvak
