// Which display the program runs on: X11 whenever there is one (XWayland in
// a Wayland session, whatever Qt is told), a clear refusal when there is none.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <thread>
#include <unistd.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(DisplayChoice, WithoutAUsableDisplayOneLineSaysSoAndTheStatusIsNotZero) {
    Session session;
    const std::string program = (session.ProgramDir() / "sorvak").string();
    for (const char* display : {"", ":4242", "unix:/nonexistent"}) {
        SCOPED_TRACE(display);
        // QT_QPA_PLATFORM=xcb without a display made Qt abort (status 134).
        RunResult run = RunCommand(
            {"sh", "-c", "exec env -u DISPLAY ${D:+DISPLAY=$D} QT_QPA_PLATFORM=xcb \"$0\" 2>&1",
             program},
            {{"D", display}});
        EXPECT_EQ(run.ExitCode, 1);
        // The message is in the user's language; it names the DISPLAY it tried.
        EXPECT_TRUE(std::regex_match(
            run.Output, std::regex("sorvak: [^\n]*DISPLAY=" + std::string(display) + "[^\n]*\n")))
            << run.Output;
    }
}

TEST(DisplayChoice, WaylandSessionTextIsSavedThroughXWayland) {
    Session session;
    std::map<std::string, std::string> environment = session.Environment();
    const std::string socket = "sorvak-wl-" + std::to_string(getpid());
    const fs::path log = session.WorkDir().parent_path() / "weston.log";
    Process::Options options;
    options.Environment = environment;
    std::unique_ptr<Process> weston;
    try {
        weston = std::make_unique<Process>(
            std::vector<std::string>{"weston", "--backend=x11-backend.so", "--xwayland",
                                     "--socket=" + socket, "--width=1200", "--height=900",
                                     "--log=" + log.string()},
            options);
    } catch (const std::exception& e) {
        FAIL() << "weston did not start (scripts/deps.sh installs it): " << e.what();
    }
    // Weston names the X display that XWayland serves once it listens.
    std::string xwayland;
    const std::regex listening("xserver listening on display (:[0-9]+)");
    for (int i = 0; i < 200 && xwayland.empty(); ++i) {
        std::this_thread::sleep_for(50ms);
        std::smatch found;
        const std::string text = ReadFileBytes(log);
        if (std::regex_search(text, found, listening))
            xwayland = found[1];
    }
    ASSERT_FALSE(xwayland.empty()) << ReadFileBytes(log);

    const std::map<std::string, std::string> wayland{{"WAYLAND_DISPLAY", socket},
                                                     {"QT_QPA_PLATFORM", "wayland"}};
    // A Wayland client owns the clipboard, as in a Wayland desktop.
    const fs::path source = session.WorkDir().parent_path() / "wayland.txt";
    WriteFileBytes(source, "from a Wayland client\nsecond line");
    Process::Options copyOptions;
    copyOptions.Environment = environment;
    copyOptions.Environment.insert(wayland.begin(), wayland.end());
    Process copy({"sh", "-c", "exec wl-copy --foreground <\"$0\"", source.string()}, copyOptions);

    session.UseDisplay(xwayland);
    const fs::path target = session.WorkDir() / "wayland.txt";
    std::string saved;
    for (int attempt = 0; attempt < 50 && saved.empty(); ++attempt) {
        // The compositor hands the text to X11 once XWayland runs.
        if (RunCommand({"xclip", "-selection", "clipboard", "-o"}, session.Environment(), 5s)
                .Output.find("Wayland") != std::string::npos)
            saved = "ready";
        else
            std::this_thread::sleep_for(100ms);
    }
    ASSERT_EQ(saved, "ready") << "the text never reached the X11 clipboard";
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, target.string(), wayland), 0);
    EXPECT_EQ(ReadFileBytes(target), "from a Wayland client\r\nsecond line\r\n");
}
