#include "dialogs/FilterExtension.h"

namespace sorvak {

std::string PatternExtension(std::string_view patterns) {
    const std::string_view first = patterns.substr(0, patterns.find(';'));
    const std::size_t dot = first.find('.');
    return dot == std::string_view::npos ? std::string() : std::string(first.substr(dot));
}

namespace {

// Position of the n-th "|" that starts a character, or npos.
std::size_t NthBar(std::string_view text, long long n, int codePage) {
    long long bars = 0;
    for (std::size_t at = 0; at < text.size(); ++at)
        if (text[at] == '|' && !codepage::IsTrailByte(text, at, codePage) && ++bars == n)
            return at;
    return std::string_view::npos;
}

} // namespace

bool FilterExtension(std::string_view filter, int index, std::string& ext, int codePage) {
    if (index <= 0)
        return false;
    // The bar that ends the description of pair `index`; 64 bits, so no
    // index overflows.
    const std::size_t at = NthBar(filter, 2LL * index - 1, codePage);
    if (at == std::string_view::npos)
        return false;
    const std::string_view rest = filter.substr(at + 1);
    // ";" and "." are never second bytes, in code page 932 or UTF-8.
    ext = PatternExtension(rest.substr(0, NthBar(rest, 1, codePage)));
    return true;
}

std::string PlainPatternExtension(std::string_view pattern) {
    const std::string ext = PatternExtension(pattern);
    if (ext.size() < 2 || pattern.size() != ext.size() + 1 || pattern.front() != '*')
        return {};
    if (ext.find_first_of("*?[]/") != std::string::npos)
        return {};
    return ext.substr(1);
}

} // namespace sorvak
