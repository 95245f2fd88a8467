#pragma once
// What the clipboard's owner offers, as `wl-paste --list-types` lists it.
#include "platform/selection/SelectionSource.h"

#include <string>
#include <vector>

namespace sorvak::platform {

// The owner's mime types in its order; the transport's own targets that are
// no content (X11's TARGETS, TIMESTAMP, MULTIPLE) are left out. Empty when
// nobody owns the clipboard; throws SelectionTimeout when the owner does not
// say.
std::vector<std::string> OfferedTypes(SelectionSource& source);

} // namespace sorvak::platform
