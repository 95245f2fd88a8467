#include "base/CodePage.h"

#include <gtest/gtest.h>

namespace sorvak::codepage {
namespace {

TEST(CaseFold, Utf8) {
    EXPECT_EQ(UpperCase("SavePicMode=é", Utf8), "SAVEPICMODE=É");
    EXPECT_TRUE(SameText("initialdir", "InitialDir", Utf8));
    EXPECT_TRUE(SameText("größe", "GRÖßE", Utf8));
    EXPECT_TRUE(SameText("ключ", "КЛЮЧ", Utf8));
    EXPECT_TRUE(SameText("ｋｅｙ", "ＫＥＹ", Utf8));
    EXPECT_FALSE(SameText("key", "keys", Utf8));
    EXPECT_FALSE(SameText("ke", "KEé", Utf8));
    // Japanese text has no case and compares exactly.
    EXPECT_TRUE(SameText("画像", "画像", Utf8));
    EXPECT_FALSE(SameText("画像", "画象", Utf8));
    // Invalid bytes stay as they are and still compare.
    EXPECT_EQ(UpperCase(std::string("a\xC3(\xFF\xED\xA0\x80z"), Utf8),
              std::string("A\xC3(\xFF\xED\xA0\x80Z"));
    EXPECT_TRUE(SameText(std::string("x\xFFy"), std::string("X\xFFY"), Utf8));
    EXPECT_FALSE(SameText(std::string("x\xFF"), std::string("x\xFE"), Utf8));
    // A cut sequence at the end.
    EXPECT_EQ(UpperCase(std::string("\xE3\x81"), Utf8), std::string("\xE3\x81"));
}

TEST(CaseFold, ShiftJisNeverTouchesSecondBytes) {
    // 83 61 is katakana "ダ": its second byte is "a" in ASCII and must stay.
    EXPECT_EQ(UpperCase("\x83\x61"
                        "a",
                        ShiftJis),
              "\x83\x61"
              "A");
    EXPECT_FALSE(SameText("\x83\x61", "\x83\x41", ShiftJis));
    // Full-width a (82 81) and A (82 60).
    EXPECT_TRUE(SameText("\x82\x81", "\x82\x60", ShiftJis));
    // A lead byte at the end stays.
    EXPECT_EQ(UpperCase("a\x82", ShiftJis), "A\x82");
    // Half-width katakana (single bytes A1..DF) stay.
    EXPECT_EQ(UpperCase("\xB1z", ShiftJis), "\xB1Z");
}

} // namespace
} // namespace sorvak::codepage
