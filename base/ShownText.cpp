#include "base/ShownText.h"

#include <utility>

namespace sorvak {

namespace {

ShownTextTranslator& InstalledTranslator() {
    static ShownTextTranslator translator;
    return translator;
}

} // namespace

void SetShownTextTranslator(ShownTextTranslator translator) {
    InstalledTranslator() = std::move(translator);
}

std::string TranslatedText(std::string_view source) {
    const ShownTextTranslator& translator = InstalledTranslator();
    return translator ? translator(source) : std::string(source);
}

std::string AnsiShownText(std::string_view source, int codePage) {
    return codepage::FromUtf8(TranslatedText(source), codePage);
}

std::string FillFormat(std::string_view format, const std::vector<std::string>& arguments) {
    std::string out;
    out.reserve(format.size());
    auto next = arguments.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char kind = format[i + 1];
            if (kind == '%') {
                out.push_back('%');
                ++i;
                continue;
            }
            if ((kind == 's' || kind == 'd') && next != arguments.end()) {
                out.append(*next++);
                ++i;
                continue;
            }
        }
        out.push_back(format[i]);
    }
    return out;
}

} // namespace sorvak
