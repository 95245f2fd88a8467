// Text the program put on the clipboard is there after the program ended,
// on a bare X server without a clipboard manager.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

using namespace sorvak::e2e;
using namespace std::chrono_literals;

namespace {

std::string WriteTextTool() {
    return std::string(SORVAK_BINARY_DIR) + "/tests/e2e/sorvak-writetext";
}

// The keeper serving this session's display only (other tests run keepers
// on their own displays at the same time): its /proc folder, or empty.
std::filesystem::path KeeperOn(const std::string& display) {
    const std::string wanted = std::string("DISPLAY=") + display;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (ReadFileBytes(entry.path() / "cmdline").find("sorvak-writetext") == std::string::npos)
            continue;
        const std::string variables = ReadFileBytes(entry.path() / "environ");
        std::size_t start = 0;
        for (std::size_t end; (end = variables.find('\0', start)) != std::string::npos;
             start = end + 1) {
            if (variables.compare(start, end - start, wanted) == 0)
                return entry.path();
        }
    }
    return {};
}

bool KeeperRunsOn(const std::string& display) {
    return !KeeperOn(display).empty();
}

} // namespace

TEST(ClipboardKeeper, TextOutlivesTheProgramUntilAnotherProgramTakesTheClipboard) {
    Session session;
    session.OwnClipboard({{"text", "files before"}});
    const std::string display = session.Environment().at("DISPLAY");
    const RunResult run = RunCommand({WriteTextTool(), "/home/u/a.txt\r\n/home/u/日本.txt\r\n"},
                                     session.Environment(), 20s);
    ASSERT_EQ(run.ExitCode, 0);
    // Offered with LF line breaks, as Linux programs expect them.
    EXPECT_EQ(session.ReadClipboardText(), "/home/u/a.txt\n/home/u/日本.txt\n");
    EXPECT_EQ(session.ReadClipboardText(), "/home/u/a.txt\n/home/u/日本.txt\n");
    EXPECT_TRUE(KeeperRunsOn(display));

    // The keeper lets go when someone else copies, and ends.
    session.OwnClipboard({{"text", "newer"}});
    EXPECT_EQ(session.ReadClipboardText(), "newer");
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (KeeperRunsOn(display) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(KeeperRunsOn(display));
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

// The program blocks the ending signals in all its threads; the process it
// leaves behind has no thread to take them and must end on them as usual.
TEST(ClipboardKeeper, EndsOnSigterm) {
    Session session;
    ASSERT_EQ(RunCommand({WriteTextTool(), "kept"}, session.Environment(), 20s).ExitCode, 0);
    const std::filesystem::path keeper = KeeperOn(session.Environment().at("DISPLAY"));
    ASSERT_FALSE(keeper.empty());
    const std::string status = ReadFileBytes(keeper / "status");
    const std::size_t blocked = status.find("SigBlk:");
    ASSERT_NE(blocked, std::string::npos);
    const unsigned long long mask = std::stoull(status.substr(blocked + 7), nullptr, 16);
    EXPECT_EQ(mask & ((1ull << (SIGTERM - 1)) | (1ull << (SIGINT - 1))), 0u) << status;
    const pid_t pid = std::stoi(keeper.filename().string());
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (KeeperRunsOn(session.Environment().at("DISPLAY")) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(KeeperRunsOn(session.Environment().at("DISPLAY")));
}
