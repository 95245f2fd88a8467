// KDE's KWin, headless: the clipboard through data-control, without X11.
// KWin offers no virtual keyboard, so only the command line and the keeper
// are driven here; the dialogs are driven under sway.
#include "platform/wayland/WaylandClipboardKeeper.h"
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class KWin {
public:
    // Empty with the reason where KWin cannot start.
    std::string Start() {
        const RunResult found = RunCommand({"sh", "-c", "command -v kwin_wayland"}, {});
        if (found.ExitCode != 0)
            return "kwin_wayland is not installed (scripts/deps.sh test)";
        char pattern[] = "/tmp/sorvak-kwin-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            return "mkdtemp failed";
        root_ = pattern;
        // The installed binary carries a file capability, which these
        // machines refuse to run; a copy has none.
        fs::copy_file(found.Output.substr(0, found.Output.find('\n')), root_ / "kwin_wayland");
        Process::Options options;
        options.Environment = {{"XDG_RUNTIME_DIR", root_.string()}, {"HOME", root_.string()}};
        options.Unset = {"DISPLAY", "WAYLAND_DISPLAY"};
        kwin_ = std::make_unique<Process>(
            std::vector<std::string>{"sh", "-c",
                                     "exec dbus-run-session -- \"$0/kwin_wayland\" --virtual "
                                     "--socket sorvak-kwin >\"$0/kwin.log\" 2>&1",
                                     root_.string()},
            options);
        for (int i = 0; i < 300 && kwin_->Running(); ++i) {
            if (fs::exists(root_ / "sorvak-kwin"))
                return {};
            std::this_thread::sleep_for(50ms);
        }
        return "KWin did not start: " + ReadFileBytes(root_ / "kwin.log").substr(0, 2000);
    }

    ~KWin() {
        owner_.reset();
        kwin_.reset();
        // KWin may still be writing its settings for a moment after the
        // session ended.
        std::error_code ignored;
        for (int i = 0; i < 50 && fs::exists(root_); ++i) {
            fs::remove_all(root_, ignored);
            std::this_thread::sleep_for(20ms);
        }
    }

    Process::Options Options() const {
        Process::Options options;
        options.Environment = {{"XDG_RUNTIME_DIR", root_.string()},
                               {"WAYLAND_DISPLAY", "sorvak-kwin"},
                               {"HOME", root_.string()},
                               {"LANG", "C.UTF-8"},
                               {"LC_ALL", "C.UTF-8"}};
        options.Unset = {"DISPLAY", "QT_QPA_PLATFORM"};
        return options;
    }

    std::optional<std::string> Paste(const std::string& mimeType) const {
        Process::Options options = Options();
        options.CaptureStdout = true;
        Process paste(
            {"sh", "-c", "exec wl-paste --no-newline --type \"$0\" 2>/dev/null", mimeType},
            options);
        std::string bytes = paste.ReadToEnd(10s);
        if (paste.Wait(5s) != 0)
            return std::nullopt;
        return bytes;
    }

    // wl-copy owns the clipboard with these bytes; returns once they are
    // there.
    bool Copy(const std::string& bytes, const std::string& mimeType) {
        owner_.reset();
        const fs::path file = root_ / ("copied" + std::to_string(copies_++));
        WriteFileBytes(file, bytes);
        owner_ = std::make_unique<Process>(
            std::vector<std::string>{
                "sh", "-c", "exec wl-copy --foreground --type \"$1\" <\"$0\" >/dev/null 2>&1",
                file.string(), mimeType},
            Options());
        for (int i = 0; i < 100; ++i) {
            if (Paste(mimeType) == bytes)
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    int Save(const fs::path& target) const {
        const fs::path program = root_ / "sorvak";
        if (!fs::exists(program))
            fs::copy_file(fs::path(SORVAK_BINARY_DIR) / "app" / "sorvak", program);
        Process::Options options = Options();
        options.WorkingDirectory = root_.string();
        return Process({program.string(), "-o", target.string()}, options).Wait(30s).value_or(-1);
    }

    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
    int copies_ = 0;
    std::unique_ptr<Process> kwin_;
    std::unique_ptr<Process> owner_;
};

std::string Pixels(const fs::path& file) {
    return RunCommand({"convert", file.string(), "-depth", "8", "rgb:-"}, {}, 20s).Output;
}

} // namespace

TEST(KWin, OutputAndKeptTextWithoutX11) {
    KWin kwin;
    if (const std::string why = kwin.Start(); !why.empty())
        GTEST_SKIP() << "no KWin session: " << why;
    const fs::path& root = kwin.Root();

    ASSERT_TRUE(kwin.Copy("日本語\nsecond line", "text/plain;charset=utf-8"));
    ASSERT_EQ(kwin.Save(root / "t.txt"), 0);
    EXPECT_EQ(ReadFileBytes(root / "t.txt"), "日本語\r\nsecond line\r\n");

    RunCommand({"convert", "-size", "320x200", "gradient:red-blue", "-depth", "8",
                (root / "picture.png").string()},
               {}, 20s);
    ASSERT_TRUE(kwin.Copy(ReadFileBytes(root / "picture.png"), "image/png"));
    ASSERT_EQ(kwin.Save(root / "p.png"), 0);
    const std::string pixels = Pixels(root / "picture.png");
    ASSERT_EQ(pixels.size(), 320u * 200u * 3u);
    EXPECT_TRUE(Pixels(root / "p.png") == pixels);

    ASSERT_TRUE(kwin.Copy("copy\nfile:///home/u/a%20b.txt\nfile:///tmp/%E5%86%99.png",
                          "x-special/gnome-copied-files"));
    ASSERT_EQ(kwin.Save(root / "files.txt"), 0);
    EXPECT_EQ(ReadFileBytes(root / "files.txt"), "/home/u/a b.txt\r\n/tmp/写.png\r\n");

    // The keeper, as the file list window's copy uses it at the end.
    for (const auto& [name, value] : kwin.Options().Environment)
        setenv(name.c_str(), value.c_str(), 1);
    ASSERT_TRUE(sorvak::platform::KeepWaylandTextAfterExit("/home/u/a b.txt\n"));
    EXPECT_EQ(kwin.Paste("text/plain;charset=utf-8"), "/home/u/a b.txt\n");
    ASSERT_TRUE(kwin.Copy("newer", "text/plain"));
}
