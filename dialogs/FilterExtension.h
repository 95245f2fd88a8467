#pragma once
// The extension of a dialog filter's patterns: the one rule behind the text
// dialogs' default extension and the system dialog's completion of a typed
// name. Bytes in the ANSI code page.
#include "base/CodePage.h"

#include <string>
#include <string_view>

namespace sorvak {

// The extension of the first pattern of a ";"-separated list: from its first
// "." to its end, the dot included ("*.tar.gz" gives ".tar.gz"); "" when it
// has no dot.
std::string PatternExtension(std::string_view patterns);

// The extension of the first pattern of pair `index` (1-based) of a filter
// "description|patterns|...". False, ext unchanged, when the filter has no
// such pair. A "|" that is the second byte of a double-byte character is no
// bar, as in the list the system dialog is given.
bool FilterExtension(std::string_view filter, int index, std::string& ext,
                     int codePage = codepage::System());

// The extension, without its dot, that a typed name takes from a pattern:
// only for a plain pattern "*.ext" whose extension names no wildcard, set or
// folder; else "".
std::string PlainPatternExtension(std::string_view pattern);

} // namespace sorvak
