// Any bytes as a typed file name and an extension: the name functions of the
// text dialogs under both code pages, checked against each other.
#include "dialogs/TextDlgHelpers.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

// First byte: the searched character and the count; then the name, a NUL,
// and the extension.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const char ch = static_cast<char>(data[0]);
    const int n = static_cast<int>(data[0] % 8) - 1;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string_view name = rest.substr(0, nul);
    const std::string_view ext = nul == std::string_view::npos ? "" : rest.substr(nul + 1);

    const int pos = sorvak::NthCharPos(ch, rest, n);
    const auto count = [&](std::size_t end) {
        return std::count(rest.begin(), rest.begin() + end, ch);
    };
    if (pos > 0)
        Check(rest[pos - 1] == ch && count(pos) == n);
    else
        Check(n < 1 || count(rest.size()) < n);

    for (int codePage : {sorvak::codepage::Utf8, sorvak::codepage::ShiftJis}) {
        const std::string replaced = sorvak::ReplaceExtension(name, ext, codePage);
        const std::string lower = sorvak::LowerFileExtension(name, codePage);
        if (name.empty() || name.back() == '/') {
            Check(replaced == std::string(name) + "*" + std::string(ext));
            continue;
        }
        // The extension is a dotted tail of the last component, never all of it.
        Check(lower.size() < name.size());
        const std::string_view tail = name.substr(name.size() - lower.size());
        Check(SameIgnoringAsciiCase(lower, tail));
        if (!lower.empty()) {
            Check(lower[0] == '.' && tail.find('/') == std::string_view::npos);
            Check(name[name.size() - lower.size() - 1] != '/');
        }
        // Replacing swaps exactly that tail.
        Check(replaced ==
              std::string(name.substr(0, name.size() - lower.size())) + std::string(ext));
    }
    return 0;
}
