#pragma once
// Texts the user sees that are made below the windows. The plain libraries
// keep the Japanese source text, marked with SORVAK_TEXT so that the catalogue
// (translations/*.ts) lists it; the windows look the text up in the catalogue
// where they show it. A formatted text keeps its format and its arguments
// apart, so that the format is translated before it is filled.
//
// A text kept in the ANSI code page (a dialog's title, its filter names) is
// translated before it is converted instead: the locale's character set may
// not hold the Japanese source, and a text turned into "???" can no longer be
// looked up.
#include "base/CodePage.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvak {

// The catalogue's context of every text of the plain libraries.
inline constexpr const char* ShownTextContext = "sorvak";

consteval const char* CataloguedText(const char* context, const char* source) {
    const char* expected = ShownTextContext;
    while (*context != '\0' && *context == *expected)
        ++context, ++expected;
    if (*context != *expected)
        throw "the context of a catalogued text is \"sorvak\"";
    return source;
}

// A text the user sees: the UTF-8 Japanese source, unchanged. The context is
// for the catalogue's scanner (lupdate reads the macro as QT_TRANSLATE_NOOP)
// and must be "sorvak"; anything else does not compile.
#define SORVAK_TEXT(context, source) ::sorvak::CataloguedText(context, source)

// Turns a catalogued source text into the session's language, UTF-8. The
// platform layer installs it once the catalogue is loaded; until then, and
// for Japanese sessions, texts stay their source.
using ShownTextTranslator = std::function<std::string(std::string_view source)>;
void SetShownTextTranslator(ShownTextTranslator translator);

// A catalogued text in the session's language, UTF-8.
std::string TranslatedText(std::string_view source);
// The same in the code page, for a text that is kept as an ANSI string.
std::string AnsiShownText(std::string_view source, int codePage = codepage::System());

// The format with each %s and %d replaced by the next argument, in order;
// "%%" is one "%". A placeholder without an argument stays as it is.
std::string FillFormat(std::string_view format, const std::vector<std::string>& arguments);

} // namespace sorvak
