#pragma once
// The program's failures: exceptions whose what() is the message text in
// UTF-8, exactly as the error box shows it in Japanese. The program's own texts
// are UTF-8 already; a part from the system or a file name, which comes in the
// ANSI code page, is converted where it enters the message.
#include "base/ShownText.h"

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorvak {

class Exception : public std::runtime_error {
public:
    // A message that is shown as it is, or looked up whole in the catalogue.
    using std::runtime_error::runtime_error;
    // A message made from a catalogued format (SORVAK_TEXT) and its
    // arguments, so that the error box can translate the format first.
    Exception(const char* format, std::vector<std::string> arguments)
        : std::runtime_error(FillFormat(format, arguments)), format_(format),
          arguments_(std::move(arguments)) {}

    // The catalogued format, or nullptr when the message was given whole.
    const char* Format() const { return format_; }
    const std::vector<std::string>& Arguments() const { return arguments_; }

private:
    const char* format_ = nullptr;
    std::vector<std::string> arguments_;
};

// Abort-class failure: ends an operation silently, shown by nobody.
class EAbort : public Exception {
public:
    EAbort() : Exception(std::string()) {}
};

// A failure's message as the user reads it, UTF-8, through translate (a
// catalogued source text to the session's language): a message made from a
// catalogued format has the format translated first, then filled with its
// arguments in order. Running out of memory reads as the system's text for
// it. The error box and the command line both say it so.
std::string TranslatedMessage(const std::exception& failure,
                              const std::function<std::string(std::string_view)>& translate);

} // namespace sorvak
