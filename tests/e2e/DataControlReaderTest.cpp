// The Wayland clipboard read through data-control in a real compositor
// (sway, headless), with the content owned by wl-copy.
#include "platform/wayland/DataControlReader.h"
#include "platform/wayland/WaylandClipboardKeeper.h"
#include "tests/e2e/Sway.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>

using namespace sorvak::e2e;
using namespace sorvak::platform;
using namespace std::chrono_literals;
using testing::Contains;

namespace {

// This process reads as the program does: the session's display in its
// environment.
class DataControlReaderTest : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        sway_ = SwaySession::Start(false, why);
        if (!sway_)
            GTEST_SKIP() << "no sway session: " << why;
        const Process::Options options = sway_->ClientOptions();
        for (const char* name : {"WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            setenv(name, options.Environment.at(name).c_str(), 1);
    }

    std::unique_ptr<SwaySession> sway_;
};

std::string RandomBytes(std::size_t size) {
    std::mt19937 generator(7);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator());
    return bytes;
}

} // namespace

TEST_F(DataControlReaderTest, ReadsAPictureExactlyAndTextByItsMimeName) {
    EXPECT_TRUE(DataControlOffered());
    // Larger than any pipe: the transfer takes many reads.
    const std::string picture = RandomBytes(5'000'000);
    sway_->Copy(picture, "image/png");
    {
        DataControlReader reader;
        ASSERT_TRUE(reader.HasOwner());
        EXPECT_EQ(reader.Targets(), std::vector<std::string>{"image/png"});
        std::size_t watched = 0;
        const std::optional<std::string> bytes =
            reader.Fetch("image/png", [&](std::string_view soFar) {
                watched = soFar.size();
                return true;
            });
        ASSERT_TRUE(bytes);
        EXPECT_TRUE(*bytes == picture);
        EXPECT_EQ(watched, picture.size());
        EXPECT_FALSE(reader.Fetch("text/plain;charset=utf-8"));
    }

    const std::string text = "Zeile 1\nzweite Zeile 日本語\n";
    sway_->Copy(text);
    DataControlReader reader;
    ASSERT_TRUE(reader.HasOwner());
    // wl-copy offers X11's names too; they are told as the mime types.
    const std::vector<std::string> targets = reader.Targets();
    EXPECT_THAT(targets, Contains("text/plain;charset=utf-8"));
    EXPECT_THAT(targets, testing::Not(Contains("UTF8_STRING")));
    EXPECT_EQ(reader.Fetch("text/plain;charset=utf-8"), text);
}

TEST_F(DataControlReaderTest, AnEmptyOrClearedClipboardIsToldApart) {
    {
        DataControlReader reader;
        EXPECT_FALSE(reader.HasOwner());
        EXPECT_THROW(reader.Targets(), SelectionTimeout);
    }
    sway_->Copy("short", "text/plain");
    DataControlReader reader;
    ASSERT_TRUE(reader.HasOwner());
    // The owner leaves: the compositor clears the selection.
    sway_->DropOwner();
    EXPECT_THROW(
        {
            try {
                for (int i = 0; i < 100; ++i) {
                    reader.Fetch("text/plain");
                    std::this_thread::sleep_for(50ms);
                }
            } catch (const SelectionOwnerChanged&) {
                ADD_FAILURE() << "a cleared clipboard is not a new owner";
            }
        },
        SelectionTimeout);
}

TEST_F(DataControlReaderTest, AnotherOwnerDuringTheReadIsAnOwnerChange) {
    sway_->Copy("first", "text/plain");
    DataControlReader reader;
    ASSERT_TRUE(reader.HasOwner());
    // The first owner stays until the second takes over, as a user copies.
    const std::unique_ptr<Process> second =
        sway_->Launch({"sh", "-c", "printf second | exec wl-copy --foreground --type text/plain"});
    for (int i = 0; i < 200 && sway_->Paste("text/plain") != "second"; ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_THROW(reader.Fetch("text/plain"), SelectionOwnerChanged);
}

TEST_F(DataControlReaderTest, AStalledOwnerIsStoppedOrTimedOut) {
    sway_->Copy(RandomBytes(1000), "image/png");
    // A stopped owner never writes into the pipe.
    kill(sway_->Owner()->Pid(), SIGSTOP);
    {
        DataControlReader::Limits limits;
        limits.Silence = 60s;
        DataControlReader reader(limits);
        ASSERT_TRUE(reader.HasOwner());
        std::thread stopper([&] {
            std::this_thread::sleep_for(300ms);
            reader.Stop();
        });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THROW(reader.Fetch("image/png"), SelectionStopped);
        stopper.join();
        // Woken by Stop, not by the end of the silence allowed.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
        EXPECT_THROW(reader.Fetch("image/png"), SelectionStopped);
    }
    DataControlReader::Limits limits;
    limits.Silence = 500ms;
    DataControlReader reader(limits);
    ASSERT_TRUE(reader.HasOwner());
    try {
        reader.Fetch("image/png");
        ADD_FAILURE() << "a silent owner gave content";
    } catch (const SelectionStopped&) {
        ADD_FAILURE() << "nobody stopped this read";
    } catch (const SelectionTimeout&) {
    }
    kill(sway_->Owner()->Pid(), SIGCONT);
}

TEST_F(DataControlReaderTest, KeptTextOutlivesItsProgramUntilAnotherCopy) {
    sway_->Copy("before", "text/plain");
    sway_->DropOwner();
    const std::string text = "/home/u/a.txt\n/home/u/日本.txt\n";
    ASSERT_TRUE(KeepWaylandTextAfterExit(text));
    for (const char* type : {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING"})
        EXPECT_EQ(sway_->Paste(type), text) << type;
    // Another copy takes over; the keeper lets go.
    sway_->Copy("newer", "text/plain");
    EXPECT_EQ(sway_->Paste("text/plain"), "newer");
}
