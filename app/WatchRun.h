#pragma once
// --watch: stays running and saves each new clipboard content into a folder
// until an ending signal (SIGTERM, SIGINT, SIGHUP) or the display ends it.
#include "app/ClipboardChoice.h"

#include <optional>
#include <string>

namespace sorvak::app {

struct WatchOptions {
    std::string Folder; // file-system bytes
    std::optional<std::string> NameTemplate;
    std::optional<std::string> Format;
    bool Notify = false;
    bool Quiet = false; // no error lines
};

// Runs the application's event loop. Prints each file's path on standard
// output and each failure on standard error, and goes on; the exit status
// once the display goes away.
int RunWatch(const WatchOptions& options, ClipboardTransport transport);

} // namespace sorvak::app
