#include "driver/NameTemplate.h"

#include <cstring>
#include <vector>

namespace sorvak {

namespace {

std::string_view KindName(SavedKind kind) {
    switch (kind) {
    case SavedKind::Picture:
        return "picture";
    case SavedKind::Text:
        return "text";
    case SavedKind::Files:
        return "files";
    }
    return {};
}

[[noreturn]] void Refuse(std::string_view pattern) {
    throw ENameTemplate(
        SORVAK_TEXT("sorvak", "名前のテンプレート \"%s\" からはファイル名を作れません"),
        {std::string(pattern)});
}

// glibc's conversions; "E" and "O" modifiers and the GNU flags and width
// may come before them.
bool IsConversion(char c) {
    return c != '\0' && std::strchr("aAbBcCdDeFgGhHIjklmMnpPrRsStTuUVwWxXyYzZ%+", c) != nullptr;
}

// The end of the "%..." field that starts at `at`, or npos when it is not
// one strftime knows.
std::size_t ConversionEnd(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    while (i < text.size() && text[i] != '\0' && std::strchr("_-0^#", text[i]) != nullptr)
        ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'O'))
        ++i;
    if (i >= text.size() || !IsConversion(text[i]))
        return std::string_view::npos;
    return i + 1;
}

// strftime of a piece without braces. Its result may be empty, which
// strftime cannot tell from a buffer too small: a leading space does.
std::string FormatTime(std::string_view piece, const std::tm& time, std::string_view pattern) {
    for (std::size_t i = 0; i < piece.size(); ++i) {
        if (piece[i] != '%')
            continue;
        const std::size_t end = ConversionEnd(piece, i);
        if (end == std::string_view::npos)
            Refuse(pattern);
        i = end - 1;
    }
    const std::string format = " " + std::string(piece);
    std::vector<char> buffer(format.size() * 4 + 64);
    for (;;) {
        const std::size_t length =
            std::strftime(buffer.data(), buffer.size(), format.c_str(), &time);
        if (length > 0)
            return std::string(buffer.data() + 1, length - 1);
        if (buffer.size() > 65536)
            Refuse(pattern);
        buffer.resize(buffer.size() * 2);
    }
}

std::string FieldValue(std::string_view name, const NameFields& fields, std::string_view pattern) {
    const auto number = [](const std::optional<int>& value) {
        return value ? std::to_string(*value) : std::string();
    };
    if (name == "width")
        return number(fields.Width);
    if (name == "height")
        return number(fields.Height);
    if (name == "kind")
        return std::string(KindName(fields.Kind));
    Refuse(pattern);
}

} // namespace

std::string ExpandNameTemplate(std::string_view pattern, const NameFields& fields) {
    if (pattern.find('\0') != std::string_view::npos)
        Refuse(pattern);
    std::string name;
    std::size_t start = 0;
    while (start < pattern.size()) {
        const std::size_t open = pattern.find('{', start);
        name += FormatTime(pattern.substr(start, open - start), fields.LocalTime, pattern);
        if (open == std::string_view::npos)
            break;
        const std::size_t close = pattern.find('}', open);
        if (close == std::string_view::npos)
            Refuse(pattern);
        name += FieldValue(pattern.substr(open + 1, close - open - 1), fields, pattern);
        start = close + 1;
    }
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
        Refuse(pattern);
    return name;
}

void CheckNameTemplate(std::string_view pattern) {
    // Every kind, so that a field or "%" is checked whatever is copied later;
    // a name that only some times or kinds make empty is refused then.
    NameFields fields;
    fields.LocalTime.tm_year = 100;
    fields.LocalTime.tm_mday = 1;
    fields.Width = 1;
    fields.Height = 1;
    ExpandNameTemplate(pattern, fields);
}

} // namespace sorvak
