#include "tests/e2e/Sway.h"

#include "tests/support/TestFiles.h"

#include <pwd.h>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace sorvak::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

bool OnPath(const std::string& program) {
    return RunCommand({"sh", "-c", "command -v \"$0\" >/dev/null", program}, {}).ExitCode == 0;
}

// The focused node's title in `swaymsg -t get_tree`, from standard input.
constexpr const char* FocusedTitleScript = R"(import json, sys
def walk(node):
    if node.get('focused'):
        print(node.get('name') or '')
        return True
    return any(walk(child) for child in node.get('nodes', []) + node.get('floating_nodes', []))
walk(json.load(sys.stdin))
)";

constexpr const char* FocusWindowScript = R"(import gi
gi.require_version('Gtk', '3.0')
from gi.repository import Gtk
window = Gtk.Window(title='sorvak-focus')
window.connect('destroy', Gtk.main_quit)
window.show_all()
Gtk.main()
)";

// Run by sway, so that it has sway's DISPLAY: lets root into XWayland (which
// starts it) and says which display it is.
constexpr const char* XReadyScript = R"(#!/bin/sh
xhost +si:localuser:root >/dev/null 2>&1 || exit 1
printf %s "$DISPLAY" > "$1.tmp" && mv "$1.tmp" "$1"
)";

} // namespace

std::unique_ptr<SwaySession> SwaySession::Start(bool xwayland, std::string& why) {
    for (const char* program : {"sway", "setpriv", "swaymsg", "wl-copy", "wl-paste", "wtype"}) {
        if (!OnPath(program)) {
            why = std::string(program) + " is not installed (scripts/deps.sh test)";
            return nullptr;
        }
    }
    std::unique_ptr<SwaySession> session(new SwaySession);
    if (!session->StartSway(xwayland, why) || (xwayland && !session->StartXWayland(why)))
        return nullptr;
    return session;
}

bool SwaySession::StartSway(bool xwayland, std::string& why) {
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) {
        why = "no user 'nobody' to run sway as";
        return false;
    }
    char pattern[] = "/tmp/sorvak-sway-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    // sway's user must reach its configuration and runtime folder.
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    compositorRuntime_ = root_ / "sway-runtime";
    clientRuntime_ = root_ / "runtime";
    fs::create_directories(compositorRuntime_);
    fs::create_directories(clientRuntime_);
    fs::permissions(clientRuntime_, fs::perms::owner_all);
    fs::permissions(compositorRuntime_, fs::perms::owner_all);
    if (chown(compositorRuntime_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
        why = "cannot hand a folder to 'nobody' (not root?)";
        return false;
    }
    const fs::path config = root_ / "sway.conf";
    test::WriteFileBytes(config, std::string("xwayland ") + (xwayland ? "enable" : "disable") +
                                     "\noutput * resolution 1600x1200\n");
    test::WriteFileBytes(root_ / "focused.py", FocusedTitleScript);
    test::WriteFileBytes(root_ / "focus-window.py", FocusWindowScript);
    test::WriteFileBytes(root_ / "xready.sh", XReadyScript);
    fs::permissions(root_ / "xready.sh",
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    for (const char* name : {"sway.conf", "xready.sh"})
        fs::permissions(root_ / name, fs::perms::others_read | fs::perms::group_read,
                        fs::perm_options::add);

    const std::string log = (root_ / "sway.log").string();
    sway_ = std::make_unique<Process>(
        std::vector<std::string>{
            "sh", "-c", "exec \"$@\" >\"$0\" 2>&1", log, "setpriv", "--reuid=nobody",
            "--regid=nogroup", "--clear-groups", "env", "-i", "HOME=/tmp", "PATH=/usr/bin:/bin",
            "XDG_RUNTIME_DIR=" + compositorRuntime_.string(), "WLR_BACKENDS=headless",
            "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "sway", "-c", config.string()},
        Process::Options{});
    const auto end = Clock::now() + 15s;
    while (Clock::now() < end && sway_->Running()) {
        std::error_code error;
        bool display = false;
        for (const auto& entry : fs::directory_iterator(compositorRuntime_, error)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("sway-ipc.") && name.ends_with(".sock"))
                swaySocket_ = entry.path().string();
            else if (name == "wayland-1")
                display = true;
        }
        if (display && !swaySocket_.empty())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    why = "sway did not start: " + test::ReadFileBytes(log).substr(0, 2000);
    return false;
}

bool SwaySession::StartXWayland(std::string& why) {
    const fs::path answer = compositorRuntime_ / "display";
    const RunResult exec =
        Run({"swaymsg", "exec", (root_ / "xready.sh").string() + " " + answer.string()});
    const auto end = Clock::now() + 20s;
    while (exec.ExitCode == 0 && Clock::now() < end) {
        if (fs::exists(answer)) {
            xDisplay_ = test::ReadFileBytes(answer);
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    why = "XWayland did not start under sway";
    return false;
}

SwaySession::~SwaySession() {
    owner_.reset();
    window_.reset();
    sway_.reset();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

Process::Options SwaySession::ClientOptions() const {
    Process::Options options;
    options.Environment = {{"WAYLAND_DISPLAY", (compositorRuntime_ / "wayland-1").string()},
                           {"XDG_RUNTIME_DIR", clientRuntime_.string()},
                           {"SWAYSOCK", swaySocket_},
                           {"HOME", root_.string()},
                           {"XDG_CONFIG_HOME", (root_ / "config").string()},
                           {"LANG", "C.UTF-8"},
                           {"LC_ALL", "C.UTF-8"}};
    if (xDisplay_.empty())
        options.Unset.push_back("DISPLAY");
    else
        options.Environment["DISPLAY"] = xDisplay_;
    options.Unset.push_back("WAYLAND_SOCKET");
    options.Unset.push_back("QT_QPA_PLATFORM");
    return options;
}

RunResult SwaySession::Run(const std::vector<std::string>& argv,
                           std::chrono::milliseconds timeout) const {
    Process::Options options = ClientOptions();
    options.CaptureStdout = true;
    Process process(argv, options);
    RunResult result;
    result.Output = process.ReadToEnd(timeout);
    result.ExitCode = process.Wait(1s).value_or(-1);
    return result;
}

std::unique_ptr<Process>
SwaySession::Launch(const std::vector<std::string>& argv,
                    const std::map<std::string, std::string>& extra) const {
    Process::Options options = ClientOptions();
    for (const auto& [key, value] : extra)
        options.Environment[key] = value;
    return std::make_unique<Process>(argv, options);
}

void SwaySession::Copy(const std::string& bytes, const std::string& mimeType) {
    owner_.reset();
    const fs::path file = root_ / ("copied" + std::to_string(copies_++));
    test::WriteFileBytes(file, bytes);
    std::vector<std::string> argv{
        "sh", "-c", "exec wl-copy --foreground \"$@\" <\"$0\" >/dev/null 2>&1", file.string()};
    if (!mimeType.empty()) {
        argv.push_back("--type");
        argv.push_back(mimeType);
    }
    owner_ = Launch(argv);
    // Ready once the clipboard gives these bytes: an earlier owner may still
    // be offering the same type for a moment.
    const std::string asked = mimeType.empty() ? "text/plain;charset=utf-8" : mimeType;
    const auto end = Clock::now() + 10s;
    while (Clock::now() < end && owner_->Running()) {
        if (Paste(asked) == bytes)
            return;
        std::this_thread::sleep_for(50ms);
    }
    throw std::runtime_error("wl-copy did not take the clipboard");
}

std::optional<std::string> SwaySession::Paste(const std::string& mimeType) const {
    RunResult result =
        Run({"sh", "-c", "exec wl-paste --no-newline --type \"$0\" 2>/dev/null", mimeType}, 10s);
    if (result.ExitCode != 0)
        return std::nullopt;
    return std::move(result.Output);
}

void SwaySession::FocusWaylandWindow() {
    window_ = Launch({"/usr/bin/python3", (root_ / "focus-window.py").string()},
                     {{"GDK_BACKEND", "wayland"}, {"NO_AT_BRIDGE", "1"}});
    if (!WaitForFocusedWindow("sorvak-focus"))
        throw std::runtime_error("the GTK window did not get the focus");
}

bool SwaySession::WaitForFocusedWindow(const std::string& title,
                                       std::chrono::milliseconds timeout) const {
    const auto end = Clock::now() + timeout;
    do {
        if (FocusedTitle() == title + "\n")
            return true;
        std::this_thread::sleep_for(100ms);
    } while (Clock::now() < end);
    return false;
}

std::string SwaySession::FocusedTitle() const {
    return Run({"sh", "-c", "swaymsg -t get_tree -r | /usr/bin/python3 \"$0\"",
                (root_ / "focused.py").string()})
        .Output;
}

void SwaySession::Type(const std::string& text, const std::vector<std::string>& keys) const {
    // Every wtype is a new keyboard with its own keymap: Qt drops keys that
    // come before it has taken the keymap in, so wtype waits a moment first,
    // and one wtype sends everything.
    std::vector<std::string> argv{"wtype", "-s", "300"};
    if (!text.empty())
        argv.push_back(text);
    for (const std::string& key : keys) {
        argv.push_back("-k");
        argv.push_back(key);
    }
    Run(argv);
}

} // namespace sorvak::e2e
