#include "FilterExtension.h"

namespace sorvak {

std::string PatternExtension(std::string_view patterns) {
    const std::string_view first = patterns.substr(0, patterns.find(';'));
    const std::size_t dot = first.find('.');
    return dot == std::string_view::npos ? std::string() : std::string(first.substr(dot));
}

bool FilterExtension(std::string_view filter, int index, std::string& ext) {
    if (index <= 0)
        return false;
    // The bar that ends the description of pair `index`.
    const long wanted = 2L * index - 1;
    long bars = 0;
    std::size_t at = 0;
    for (; at < filter.size(); ++at)
        if (filter[at] == '|' && ++bars == wanted)
            break;
    if (at == filter.size())
        return false;
    const std::string_view rest = filter.substr(at + 1);
    ext = PatternExtension(rest.substr(0, rest.find('|')));
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
