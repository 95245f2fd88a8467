#pragma once
// File names from a template (--name) for saves into a folder: strftime's
// fields for the time of the save, and {width}, {height}, {kind} for what
// is saved. The extension is not part of it; the format gives it.
#include "base/Exception.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace sorvak {

// A template that cannot give a file name: a usage error, not a failure.
class ENameTemplate : public Exception {
public:
    using Exception::Exception;
};

enum class SavedKind { Picture, Text, Files };

struct NameFields {
    std::tm LocalTime{};
    SavedKind Kind = SavedKind::Picture;
    // A picture's size; {width} and {height} are empty for text and files.
    std::optional<int> Width;
    std::optional<int> Height;
};

// The name the template gives for these fields, without an extension.
// Throws ENameTemplate for an unknown {field}, an unclosed "{", a "%" that
// ends the template or names no field strftime knows, and a result that is
// empty, ".", ".." or holds a "/" (or a NUL, which no name can hold).
std::string ExpandNameTemplate(std::string_view pattern, const NameFields& fields);

// Refuses a template that can never give a name, before anything is read;
// what a result holds is only known when it is made.
void CheckNameTemplate(std::string_view pattern);

} // namespace sorvak
