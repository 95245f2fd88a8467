// Text the program put on the clipboard is there after the program ended,
// on a bare X server without a clipboard manager.
#include "Session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace sorvak::e2e;
using namespace std::chrono_literals;

namespace {

std::string WriteTextTool() {
    return std::string(SORVAK_BINARY_DIR) + "/tests/e2e/sorvak-writetext";
}

} // namespace

TEST(ClipboardKeeper, TextOutlivesTheProgramUntilAnotherProgramTakesTheClipboard) {
    Session session;
    session.OwnClipboard({{"text", "files before"}});
    const RunResult run = RunCommand({WriteTextTool(), "/home/u/a.txt\r\n/home/u/日本.txt\r\n"},
                                     session.Environment(), 20s);
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_EQ(session.ReadClipboardText(), "/home/u/a.txt\r\n/home/u/日本.txt\r\n");
    EXPECT_EQ(session.ReadClipboardText(), "/home/u/a.txt\r\n/home/u/日本.txt\r\n");

    // The keeper lets go when someone else copies, and ends.
    session.OwnClipboard({{"text", "newer"}});
    EXPECT_EQ(session.ReadClipboardText(), "newer");
    std::this_thread::sleep_for(300ms);
    EXPECT_NE(RunCommand({"pgrep", "-f", "sorvak-writetext"}, {}, 5s).ExitCode, 0);
}

TEST(ClipboardKeeper, LargeTextArrivesInPieces) {
    Session session;
    const RunResult run =
        RunCommand({WriteTextTool(), "--size", "3000000"}, session.Environment(), 20s);
    ASSERT_EQ(run.ExitCode, 0);
    const std::string text = session.ReadClipboardText();
    ASSERT_EQ(text.size(), 3000000u);
    EXPECT_EQ(text.substr(0, 14), "line 0\nline 1\n");
    session.OwnClipboard({{"text", "done"}});
}
