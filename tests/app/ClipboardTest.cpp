#include "Clipboard.h"
#include "Exception.h"
#include "MemoryClipboard.h"

#include <gtest/gtest.h>

using namespace sorvak;

TEST(Clipboard, OnlyTheOutermostOpenAndCloseReachTheSystem) {
    platform::MemoryClipboard system;
    TClipboard clipboard(system);
    clipboard.Open();
    clipboard.Open();
    clipboard.Close();
    EXPECT_TRUE(system.IsOpen());
    clipboard.Close();
    EXPECT_FALSE(system.IsOpen());
    EXPECT_EQ(system.OpenCalls, 1);
    EXPECT_EQ(system.CloseCalls, 1);
    clipboard.Close(); // unbalanced: ignored
    EXPECT_EQ(system.CloseCalls, 1);
}

TEST(Clipboard, ReadTextStopsAtTheFirstNulAndIsEmptyWithoutText) {
    platform::MemoryClipboard system;
    TClipboard clipboard(system);
    EXPECT_EQ(clipboard.ReadText(), "");
    system.SetData(platform::CF_TEXT, std::string("ab\0cd", 5));
    EXPECT_EQ(clipboard.ReadText(), "ab");
    EXPECT_FALSE(system.IsOpen());
}

TEST(Clipboard, WriteTextReplacesEverythingOncePerOutermostOpen) {
    platform::MemoryClipboard system;
    TClipboard clipboard(system);
    system.SetData(platform::CF_HDROP, "files");
    clipboard.WriteText("");
    EXPECT_FALSE(system.IsFormatAvailable(platform::CF_HDROP));
    {
        ClipboardOpen open(clipboard);
        clipboard.WriteText("one");
        system.SetData(platform::CF_HDROP, "added while open");
        clipboard.WriteText("two");
        // Emptied once for the outermost open: what came in between stays.
        EXPECT_TRUE(system.IsFormatAvailable(platform::CF_HDROP));
    }
    system.Open();
    EXPECT_EQ(system.GetData(platform::CF_TEXT), std::string("two\0", 4));
}

TEST(Clipboard, FailingOpenRaisesTheClipboardErrorAndLeavesNothingOpen) {
    platform::MemoryClipboard system;
    TClipboard clipboard(system);
    system.HeldByOtherProgram = true;
    try {
        clipboard.WriteText("x");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "クリップボードを開くことができません");
    }
    system.HeldByOtherProgram = false;
    clipboard.Open(); // the failed open left no count behind
    EXPECT_EQ(system.OpenCalls, 2);
    clipboard.Close();
    EXPECT_FALSE(system.IsOpen());
}
