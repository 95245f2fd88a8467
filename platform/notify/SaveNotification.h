#pragma once
// A desktop notification (org.freedesktop.Notifications) after a save
// without a dialog, for a hotkey user who sees no terminal.
#include <chrono>
#include <memory>
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

class NotificationReplies;

// Sends the notices and, while it lives and Qt's event loop runs, shows a
// notified file in the file manager when the user asks for it
// (org.freedesktop.FileManager1, or its folder through xdg-open). Without a
// session bus or a notification server it does nothing: a notice is never a
// reason to fail. Needs a QCoreApplication.
class SaveNotifier {
public:
    SaveNotifier();
    ~SaveNotifier();
    SaveNotifier(const SaveNotifier&) = delete;
    SaveNotifier& operator=(const SaveNotifier&) = delete;

    void Notify(const SaveNotice& notice);
    // Runs the event loop until no notified file waits for the user any
    // more (each was asked for or closed), or `wait` has passed.
    void WaitForActions(std::chrono::milliseconds wait);

private:
    std::unique_ptr<NotificationReplies> replies_;
};

// One notice, then the wait for its action.
void NotifySave(const SaveNotice& notice, std::chrono::milliseconds wait);

} // namespace sorvak::platform
