#pragma once
// The texts of the plain libraries, in the user's language where they are
// shown: each is looked up in the catalogue by its Japanese source text
// (SORVAK_TEXT); a text the catalogue does not hold, such as a file name or
// a picture's size, is shown as it is. Texts kept in the ANSI code page
// (dialog titles, filter names) come translated already (AnsiShownText).
#include <QString>

#include <exception>
#include <string>
#include <string_view>

namespace sorvak::platform {

// A UTF-8 text.
QString ShownText(std::string_view utf8);
// A failure's message, UTF-8: a message made from a catalogued format has the
// format translated first, then filled with its arguments in order. Running
// out of memory reads as the system's text for it.
std::string ShownMessage(const std::exception& failure);

} // namespace sorvak::platform
