#include "platform/selection/OfferedText.h"

#include "base/Utf.h"
#include "platform/selection/SelectionSource.h"

#include <algorithm>
#include <string_view>

namespace sorvak::platform {

namespace {

// Where the slice from `start` ends: before a byte that starts a character,
// so that no sequence, valid or not, is cut in two.
std::size_t SliceEnd(std::string_view bytes, std::size_t start, std::size_t slice) {
    std::size_t end = std::min(bytes.size(), start + std::max<std::size_t>(slice, 1));
    while (end < bytes.size() && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
        ++end;
    return end;
}

void ThrowIfStopped(const SelectionSource& source) {
    if (source.Stopped())
        throw SelectionStopped();
}

// Each byte that starts no valid character becomes U+FFFD: a slice boundary
// before a byte that starts a character changes nothing.
void AppendRepaired(std::string_view bytes, std::string& out) {
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t length = utf::DecodeUtf8(bytes, i, cp);
        if (length == 0) {
            utf::AppendUtf8(U'\uFFFD', out);
            ++i;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
}

} // namespace

std::string RepairedUtf8(std::string bytes, const SelectionSource& source, std::size_t slice) {
    const std::string_view all(bytes);
    std::size_t valid = 0;
    while (valid < all.size()) {
        ThrowIfStopped(source);
        const std::size_t end = SliceEnd(all, valid, slice);
        if (!utf::IsValidUtf8(all.substr(valid, end - valid)))
            break;
        valid = end;
    }
    if (valid == all.size())
        return bytes;
    std::string repaired(all.substr(0, valid));
    for (std::size_t start = valid; start < all.size();) {
        ThrowIfStopped(source);
        const std::size_t end = SliceEnd(all, start, slice);
        AppendRepaired(all.substr(start, end - start), repaired);
        start = end;
    }
    return repaired;
}

std::string Latin1AsUtf8(const std::string& bytes, const SelectionSource& source,
                         std::size_t slice) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % std::max<std::size_t>(slice, 1) == 0)
            ThrowIfStopped(source);
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            text.push_back(static_cast<char>(byte));
        } else {
            text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}

std::string UriListAsText(const std::string& list) {
    std::string text;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\n', start);
        if (end == std::string::npos)
            end = list.size();
        std::string line = list.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            text += (text.empty() ? "" : "\n") + line;
        start = end + 1;
    }
    if (utf::IsValidUtf8(text))
        return text;
    std::string repaired;
    AppendRepaired(text, repaired);
    return repaired;
}

} // namespace sorvak::platform
