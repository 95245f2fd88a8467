#pragma once
// A headless sway session for end-to-end tests on Wayland: sway itself runs
// as an unprivileged user (it refuses root), our clients reach it by the
// socket's path; with or without XWayland, a focused Wayland window as a
// hotkey press meets it, the clipboard owned by wl-copy, keys through wtype.
#include "tests/e2e/Process.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sorvak::e2e {

class SwaySession {
public:
    // A running sway, or nothing with the reason in `why` where sway cannot
    // start here.
    static std::unique_ptr<SwaySession> Start(bool xwayland, std::string& why);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // What a client of this session gets: WAYLAND_DISPLAY as a path, a
    // runtime folder of its own, DISPLAY only with XWayland.
    Process::Options ClientOptions() const;
    RunResult Run(const std::vector<std::string>& argv,
                  std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    std::unique_ptr<Process> Launch(const std::vector<std::string>& argv,
                                    const std::map<std::string, std::string>& extra = {}) const;

    // wl-copy owns the clipboard with these bytes (as text when `mimeType` is
    // empty); returns once the compositor offers that type.
    void Copy(const std::string& bytes, const std::string& mimeType = "");
    Process* Owner() const { return owner_.get(); }
    void DropOwner() { owner_.reset(); }
    // The clipboard's bytes of a type as wl-paste reads them; nothing when
    // it cannot.
    std::optional<std::string> Paste(const std::string& mimeType) const;

    // A GTK window on Wayland (Debian's python3 with its GTK bindings),
    // focused: what a hotkey press meets.
    void FocusWaylandWindow();
    // Waits until a window whose title is `title` has the focus.
    bool WaitForFocusedWindow(const std::string& title,
                              std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // Types the text, then presses the keys (X keysym names: Return, Tab),
    // all from one virtual keyboard.
    void Type(const std::string& text, const std::vector<std::string>& keys = {}) const;
    void Press(const std::vector<std::string>& keys) const { Type("", keys); }

    const std::filesystem::path& Root() const { return root_; }
    // The XWayland display, empty without it.
    const std::string& XDisplay() const { return xDisplay_; }

private:
    SwaySession() = default;
    bool StartSway(bool xwayland, std::string& why);
    bool StartXWayland(std::string& why);
    // The focused window's title and a line end.
    std::string FocusedTitle() const;

    std::filesystem::path root_;
    std::filesystem::path compositorRuntime_;
    std::filesystem::path clientRuntime_;
    std::string swaySocket_;
    std::string xDisplay_;
    int copies_ = 0;
    std::unique_ptr<Process> sway_;
    std::unique_ptr<Process> window_;
    std::unique_ptr<Process> owner_;
};

} // namespace sorvak::e2e
