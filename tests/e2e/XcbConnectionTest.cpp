// The X connections of the clipboard code end with their owners.
#include "platform/x11/Display.h"
#include "platform/x11/SelectionReader.h"
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace sorvak::e2e;
using sorvak::platform::CanOpenDisplay;
using sorvak::platform::SelectionReader;

namespace {

std::size_t OpenDescriptors() {
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

} // namespace

TEST(XcbConnection, ReaderAndDisplayCheckCloseTheirConnections) {
    Session session;
    ASSERT_EQ(setenv("DISPLAY", session.Display().c_str(), 1), 0);
    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(CanOpenDisplay());
        SelectionReader reader;
        EXPECT_FALSE(reader.HasOwner());
        // Its connection, and the descriptor that wakes a stopped read.
        EXPECT_EQ(OpenDescriptors(), before + 2);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}
