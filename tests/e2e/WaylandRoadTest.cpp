// The program in a real Wayland session (sway, headless) as a hotkey starts
// it: a Wayland window has the focus and wl-copy owns the clipboard, which
// the compositor then refuses to X11 programs. With XWayland running and
// without it.
#include "tests/e2e/Session.h"
#include "tests/e2e/Sway.h"

#include <gtest/gtest.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A copy of the program in the session's folder (its settings land there),
// started as the session's client.
class ProgramUnderSway {
public:
    // Empty with the reason where sway cannot start.
    std::string Start(bool xwayland) {
        std::string why;
        sway_ = SwaySession::Start(xwayland, why);
        if (!sway_)
            return why.empty() ? "sway did not start" : why;
        program_ = sway_->Root() / "program" / "sorvak";
        work_ = sway_->Root() / "work";
        fs::create_directories(program_.parent_path());
        fs::create_directories(work_);
        fs::copy_file(fs::path(SORVAK_BINARY_DIR) / "app" / "sorvak", program_);
        sway_->FocusWaylandWindow();
        return {};
    }

    std::unique_ptr<Process> StartProgram(const std::vector<std::string>& arguments = {}) const {
        std::vector<std::string> argv{program_.string()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        Process::Options options = sway_->ClientOptions();
        options.WorkingDirectory = work_.string();
        return std::make_unique<Process>(argv, options);
    }

    int Save(const fs::path& target) const {
        return StartProgram({"-o", target.string()})->Wait(30s).value_or(-1);
    }

    // Exit status and what the program printed on standard error.
    RunResult RunWithErrors(const std::vector<std::string>& arguments,
                            const std::map<std::string, std::string>& extra) const {
        std::vector<std::string> argv{"sh", "-c", "exec \"$@\" 2>&1", "sh", program_.string()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        Process::Options options = sway_->ClientOptions();
        options.WorkingDirectory = work_.string();
        options.CaptureStdout = true;
        for (const auto& [key, value] : extra)
            options.Environment[key] = value;
        Process process(argv, options);
        RunResult result;
        result.Output = process.ReadToEnd(30s);
        result.ExitCode = process.Wait(5s).value_or(-1);
        return result;
    }

    SwaySession& Sway() const { return *sway_; }
    const fs::path& Work() const { return work_; }

private:
    std::unique_ptr<SwaySession> sway_;
    fs::path program_;
    fs::path work_;
};

// Pixels through an independent decoder.
std::string Pixels(const fs::path& file) {
    return RunCommand({"convert", file.string(), "-depth", "8", "rgb:-"}, {}, 20s).Output;
}

std::string Picture(const fs::path& file) {
    RunCommand({"convert", "-size", "320x200", "gradient:red-blue", "-depth", "8", file.string()},
               {}, 20s);
    return ReadFileBytes(file);
}

const std::string CopiedFiles = "copy\nfile:///home/u/a%20b.txt\nfile:///tmp/%E5%86%99.png";

class WaylandRoad : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (const std::string why = run_.Start(GetParam()); !why.empty())
            GTEST_SKIP() << "no sway session: " << why;
    }
    ProgramUnderSway run_;
};

INSTANTIATE_TEST_SUITE_P(XWayland, WaylandRoad, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Running" : "Absent"; });

// The windows too need Wayland here.
class WaylandOnlyRoad : public testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = run_.Start(false); !why.empty())
            GTEST_SKIP() << "no sway session: " << why;
    }
    ProgramUnderSway run_;
};

} // namespace

TEST_P(WaylandRoad, OutputWritesTextPicturesAndFileLists) {
    SwaySession& sway = run_.Sway();
    const fs::path& work = run_.Work();
    sway.Copy("日本語\nsecond line");
    ASSERT_EQ(run_.Save(work / "t.txt"), 0);
    EXPECT_EQ(ReadFileBytes(work / "t.txt"), "日本語\r\nsecond line\r\n");

    const fs::path picture = sway.Root() / "copied.png";
    sway.Copy(Picture(picture), "image/png");
    ASSERT_EQ(run_.Save(work / "p.png"), 0);
    const std::string pixels = Pixels(picture);
    ASSERT_EQ(pixels.size(), 320u * 200u * 3u);
    EXPECT_TRUE(Pixels(work / "p.png") == pixels);

    sway.Copy(CopiedFiles, "x-special/gnome-copied-files");
    ASSERT_EQ(run_.Save(work / "files.txt"), 0);
    EXPECT_EQ(ReadFileBytes(work / "files.txt"), "/home/u/a b.txt\r\n/tmp/写.png\r\n");
}

TEST_F(WaylandOnlyRoad, TextDialogSavesWhatIsTyped) {
    run_.Sway().Copy("first\nsecond");
    const std::unique_ptr<Process> program = run_.StartProgram();
    ASSERT_TRUE(run_.Sway().WaitForFocusedWindow(TextDialogTitle));
    const fs::path target = run_.Work() / "typed.txt";
    run_.Sway().Type(target.string(), {"Return"});
    ASSERT_EQ(program->Wait(20s), 0);
    EXPECT_EQ(ReadFileBytes(target), "first\r\nsecond\r\n");
}

TEST_F(WaylandOnlyRoad, EscapeOnThePictureDialogEndsAtOnceWithNothingWritten) {
    run_.Sway().Copy(Picture(run_.Sway().Root() / "copied.png"), "image/png");
    const std::unique_ptr<Process> program = run_.StartProgram();
    ASSERT_TRUE(run_.Sway().WaitForFocusedWindow(PictureDialogTitle));
    run_.Sway().Press({"Escape"});
    EXPECT_TRUE(program->Wait(5s).has_value()) << "the program did not end";
    EXPECT_TRUE(fs::is_empty(run_.Work()));
}

TEST_F(WaylandOnlyRoad, FileListCopyOutlivesTheProgram) {
    run_.Sway().Copy(CopiedFiles, "x-special/gnome-copied-files");
    const std::unique_ptr<Process> program = run_.StartProgram();
    ASSERT_TRUE(run_.Sway().WaitForFocusedWindow("ファイルのコピー"));
    // From the text box: Tab to Copy, then twice more to Close.
    run_.Sway().Press({"Tab", "space", "Tab", "Tab", "space"});
    ASSERT_EQ(program->Wait(20s), 0);
    EXPECT_EQ(run_.Sway().Paste("text/plain;charset=utf-8"), "/home/u/a b.txt\n/tmp/写.png\n");
}

TEST_F(WaylandOnlyRoad, ForcingX11WithoutXWaylandSaysThereIsNoDisplay) {
    run_.Sway().Copy("text");
    const RunResult run = run_.RunWithErrors({"-o", "x.txt"}, {{"SORVAK_CLIPBOARD", "x11"}});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Output, "sorvak: X11 ディスプレイを開けません (DISPLAY=)\n");
    EXPECT_TRUE(fs::is_empty(run_.Work()));
}
