#pragma once
// Keeps text that the program put on the clipboard available after it ends.
#include <string>

namespace sorvak::platform {

// Call at the end of the program while it still owns the CLIPBOARD selection
// with this text. Where a clipboard manager runs, Qt hands the text over
// itself and nothing happens here. Otherwise a detached child process takes
// the selection and serves the text until another program takes it, as
// xclip does. Returns true when a keeper took over.
bool KeepClipboardTextAfterExit(const std::string& utf8Text);

} // namespace sorvak::platform
