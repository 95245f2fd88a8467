// --watch on Wayland (headless sway, no XWayland): the data-control device's
// selection events give one whole file for each new content, none for the
// one copied again right after.
#include "tests/e2e/Session.h"
#include "tests/e2e/Sway.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Pixels(const fs::path& file) {
    return RunCommand({"convert", file.string(), "-depth", "8", "rgb:-"}, {}, 20s).Output;
}

TEST(E2eWaylandWatch, EachNewContentOneFile) {
    std::string why;
    const std::unique_ptr<SwaySession> sway = SwaySession::Start(false, why);
    if (!sway)
        GTEST_SKIP() << "no sway session: " << why;
    const fs::path program = sway->Root() / "program" / "sorvak";
    const fs::path folder = sway->Root() / "saved";
    fs::create_directories(program.parent_path());
    fs::create_directories(folder);
    fs::copy_file(fs::path(SORVAK_BINARY_DIR) / "app" / "sorvak", program);

    Process::Options options = sway->ClientOptions();
    options.CaptureStdout = true;
    Process watch({program.string(), "--watch", folder.string(), "--format", "png"}, options);

    std::optional<std::string> first;
    for (int attempt = 0; attempt < 10 && !first; ++attempt) {
        sway->Copy("first\nline");
        first = watch.ReadLine(2s);
    }
    ASSERT_EQ(first, (folder / "ClipboardText.txt").string());
    EXPECT_EQ(ReadFileBytes(*first), "first\r\nline\r\n");

    const fs::path source = sway->Root() / "copied.png";
    RunCommand({"convert", "-size", "320x200", "gradient:red-blue", "-depth", "8", source.string()},
               {}, 20s);
    sway->Copy(ReadFileBytes(source), "image/png");
    const std::optional<std::string> picture = watch.ReadLine(20s);
    ASSERT_EQ(picture, (folder / "Image（320×200）.png").string());
    EXPECT_EQ(Pixels(*picture), Pixels(source));

    sway->Copy(ReadFileBytes(source), "image/png"); // the same again: skipped
    sway->Copy("last");
    EXPECT_EQ(watch.ReadLine(20s), (folder / "ClipboardText (2).txt").string());
    EXPECT_EQ(ReadFileBytes(folder / "ClipboardText (2).txt"), "last\r\n");

    kill(watch.Pid(), SIGTERM);
    EXPECT_EQ(watch.Wait(10s), 128 + SIGTERM);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

} // namespace
