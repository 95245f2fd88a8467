#include "clipboard/Clipboard.h"
#include "base/Exception.h"
#include "tests/support/MemoryClipboard.h"

#include <gtest/gtest.h>

using namespace sorvak;

TEST(Clipboard, OnlyTheOutermostOpenAndCloseReachTheSystem) {
    MemoryClipboard system;
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
    MemoryClipboard system;
    TClipboard clipboard(system);
    EXPECT_EQ(clipboard.ReadText(), "");
    system.SetData(CF_TEXT, std::string("ab\0cd", 5));
    EXPECT_EQ(clipboard.ReadText(), "ab");
    EXPECT_FALSE(system.IsOpen());
}

TEST(Clipboard, WriteTextReplacesEverythingOncePerOutermostOpen) {
    MemoryClipboard system;
    TClipboard clipboard(system);
    system.SetData(CF_HDROP, "files");
    clipboard.WriteText("");
    EXPECT_FALSE(system.IsFormatAvailable(CF_HDROP));
    {
        ClipboardOpen open(clipboard);
        clipboard.WriteText("one");
        system.SetData(CF_HDROP, "added while open");
        clipboard.WriteText("two");
        // Emptied once for the outermost open: what came in between stays.
        EXPECT_TRUE(system.IsFormatAvailable(CF_HDROP));
    }
    system.Open();
    EXPECT_EQ(system.GetData(CF_TEXT), std::string("two\0", 4));
}

TEST(Clipboard, FailingOpenRaisesTheClipboardErrorAndLeavesNothingOpen) {
    MemoryClipboard system;
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
