#pragma once
// A desktop notification (org.freedesktop.Notifications) after a save
// without a dialog, for a hotkey user who sees no terminal.
#include <chrono>
#include <optional>
#include <string>

namespace sorvak::platform {

struct SaveNotice {
    // The file written, as the file system names it; nothing after a failure.
    std::optional<std::string> File;
    // A picture gets its thumbnail.
    bool Picture = false;
    // After a failure: its message, in the session's language, UTF-8.
    std::string Failure;
};

// Shows the notice. For a written file it then waits up to `wait` for the
// user to ask for the file, and shows it in the file manager
// (org.freedesktop.FileManager1, or its folder through xdg-open). Without a
// session bus or a notification server it does nothing: a notice is never a
// reason to fail. Needs a QCoreApplication.
void NotifySave(const SaveNotice& notice, std::chrono::milliseconds wait);

} // namespace sorvak::platform
