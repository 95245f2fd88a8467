#pragma once
// Keeps text that the program put on the Wayland clipboard available after
// it ends.
#include <string>

namespace sorvak::platform {

// Call at the end of the program on the data-control transport. A detached
// child process offers the text as the clipboard through data-control and
// serves it until another program takes the clipboard, as wl-copy does.
// Returns true when the keeper took over.
bool KeepWaylandTextAfterExit(const std::string& utf8Text);

} // namespace sorvak::platform
