// GNOME's mutter offers no data-control: the program reads the clipboard
// through XWayland there, and mutter hands a Wayland program's clipboard to
// an X11 program that has no window at all.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// mutter's headless seat has no keyboard, and a seat without one cannot own
// the clipboard: a remote-desktop session of mutter's gives it one, kept for
// as long as this script's connection lasts.
constexpr const char* KeyboardScript = R"(import sys, time
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
for attempt in range(200):
    try:
        desktop = Gio.DBusProxy.new_sync(bus, 0, None, 'org.gnome.Mutter.RemoteDesktop',
            '/org/gnome/Mutter/RemoteDesktop', 'org.gnome.Mutter.RemoteDesktop', None)
        path = desktop.call_sync('CreateSession', None, 0, -1, None).unpack()[0]
        break
    except GLib.Error:
        time.sleep(0.1)
session = Gio.DBusProxy.new_sync(bus, 0, None, 'org.gnome.Mutter.RemoteDesktop', path,
    'org.gnome.Mutter.RemoteDesktop.Session', None)
session.call_sync('Start', None, 0, -1, None)
for pressed in (True, False):
    session.call_sync('NotifyKeyboardKeysym', GLib.Variant('(ub)', (0xffe1, pressed)), 0, -1, None)
open(sys.argv[1], 'w').write('ready')
time.sleep(3600)
)";

class Mutter {
public:
    // Empty with the reason where mutter cannot start.
    std::string Start() {
        if (RunCommand({"sh", "-c", "command -v mutter && command -v dbus-run-session"}, {})
                .ExitCode != 0)
            return "mutter is not installed (scripts/deps.sh test)";
        char pattern[] = "/tmp/sorvak-mutter-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            return "mkdtemp failed";
        root_ = pattern;
        WriteFileBytes(root_ / "keyboard.py", KeyboardScript);
        Process::Options options;
        options.Environment = {{"XDG_RUNTIME_DIR", root_.string()}};
        options.Unset = {"DISPLAY", "WAYLAND_DISPLAY"};
        const std::string script = "mutter --headless --wayland --virtual-monitor 1600x1200 "
                                   "--wayland-display=sorvak-mutter >\"$0/mutter.log\" 2>&1 & "
                                   "exec /usr/bin/python3 \"$0/keyboard.py\" \"$0/keyboard\"";
        mutter_ = std::make_unique<Process>(
            std::vector<std::string>{"dbus-run-session", "--", "sh", "-c", script, root_.string()},
            options);
        const std::regex listening("Using public X11 display (:[0-9]+)");
        for (int i = 0; i < 300 && mutter_->Running(); ++i) {
            std::smatch found;
            const std::string log = ReadFileBytes(root_ / "mutter.log");
            if (display_.empty() && std::regex_search(log, found, listening))
                display_ = found[1];
            for (const auto& entry : fs::directory_iterator(root_)) {
                if (entry.path().filename().string().starts_with(".mutter-Xwaylandauth."))
                    authority_ = entry.path().string();
            }
            if (!display_.empty() && !authority_.empty() && fs::exists(root_ / "keyboard"))
                return {};
            std::this_thread::sleep_for(50ms);
        }
        return "mutter did not start: " + ReadFileBytes(root_ / "mutter.log").substr(0, 2000);
    }

    ~Mutter() {
        owner_.reset();
        mutter_.reset();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::map<std::string, std::string> Environment() const {
        return {{"XDG_RUNTIME_DIR", root_.string()},
                {"WAYLAND_DISPLAY", "sorvak-mutter"},
                {"DISPLAY", display_},
                {"XAUTHORITY", authority_},
                {"LANG", "C.UTF-8"},
                {"LC_ALL", "C.UTF-8"},
                {"HOME", root_.string()}};
    }

    // wl-copy owns the clipboard with the file's bytes; returns once X11
    // programs see the type.
    bool Copy(const fs::path& file, const std::string& mimeType, const std::string& x11Target) {
        Process::Options options;
        options.Environment = Environment();
        owner_ = std::make_unique<Process>(
            std::vector<std::string>{"sh", "-c",
                                     "exec wl-copy --foreground --type \"$1\" <\"$0\" >/dev/null "
                                     "2>&1",
                                     file.string(), mimeType},
            options);
        for (int i = 0; i < 100; ++i) {
            if (RunCommand({"sh", "-c", "xclip -selection clipboard -o -t TARGETS 2>/dev/null"},
                           Environment(), 5s)
                    .Output.find(x11Target) != std::string::npos)
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
    std::string display_;
    std::string authority_;
    std::unique_ptr<Process> mutter_;
    std::unique_ptr<Process> owner_;
};

std::string Pixels(const fs::path& file) {
    return RunCommand({"convert", file.string(), "-depth", "8", "rgb:-"}, {}, 20s).Output;
}

} // namespace

TEST(Mutter, AWaylandProgramsClipboardIsReadThroughXWayland) {
    Mutter mutter;
    if (const std::string why = mutter.Start(); !why.empty())
        GTEST_SKIP() << "no mutter session: " << why;
    const fs::path program = mutter.Root() / "sorvak";
    fs::copy_file(fs::path(SORVAK_BINARY_DIR) / "app" / "sorvak", program);
    auto save = [&](const fs::path& target) {
        return RunCommand({program.string(), "-o", target.string()}, mutter.Environment(), 30s)
            .ExitCode;
    };

    const fs::path text = mutter.Root() / "copied.txt";
    WriteFileBytes(text, "from Wayland\nsecond line");
    ASSERT_TRUE(mutter.Copy(text, "text/plain;charset=utf-8", "UTF8_STRING"));
    ASSERT_EQ(save(mutter.Root() / "t.txt"), 0);
    EXPECT_EQ(ReadFileBytes(mutter.Root() / "t.txt"), "from Wayland\r\nsecond line\r\n");

    const fs::path picture = mutter.Root() / "copied.png";
    RunCommand(
        {"convert", "-size", "320x200", "gradient:red-blue", "-depth", "8", picture.string()}, {},
        20s);
    ASSERT_TRUE(mutter.Copy(picture, "image/png", "image/png"));
    ASSERT_EQ(save(mutter.Root() / "p.png"), 0);
    const std::string pixels = Pixels(picture);
    ASSERT_EQ(pixels.size(), 320u * 200u * 3u);
    EXPECT_TRUE(Pixels(mutter.Root() / "p.png") == pixels);
}
