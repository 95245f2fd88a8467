#pragma once
// A file name's extension as the type the owner offers: `-o page.html` takes
// the owner's text/html, `-o drawing.svg` its image/svg+xml, unchanged.
#include "platform/selection/SelectionSource.h"

#include <optional>
#include <string>

namespace sorvak::platform {

struct OfferedBytes {
    std::string MimeType; // as the owner named it
    std::string Bytes;
};

// The owner's bytes of the type the system's MIME database gives the file
// name's extension, when the owner offers that type or one of its aliases.
// Nothing for a name without an extension or one the database does not know,
// for .txt (the text road writes the locale's text with CR LF) and for the
// four picture formats (the picture road, which takes the owner's bytes or
// converts); nothing too when nobody owns the clipboard or the owner refuses
// the type. Throws SelectionTimeout when the owner does not answer.
std::optional<OfferedBytes> OfferedBytesForName(SelectionSource& source,
                                                const std::string& fileName);

} // namespace sorvak::platform
