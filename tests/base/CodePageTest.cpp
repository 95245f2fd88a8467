#include "base/CodePage.h"

#include <gtest/gtest.h>

using namespace sorvak::codepage;

TEST(CodePage, ConversionsGiveOneDefaultCharacterPerMissingCharacter) {
    struct Case {
        const char* name;
        std::string utf8;
        int codePage;
        std::string ansi;
    } cases[] = {
        {"kanji", "日本語", ShiftJis, "\x93\xFA\x96\x7B\x8C\xEA"},
        {"two-byte character lacking in 932", "x\u00E9y", ShiftJis, "x?y"},
        {"four-byte character lacking in 932", "a\U0001F600b", ShiftJis, "a?b"},
        {"malformed bytes: one each",
         "a\xFF\xFE"
         "b",
         ShiftJis, "a??b"},
        {"cut sequence at the end", "a\xE6\x97", ShiftJis, "a??"},
        {"utf-8 passes unchanged", "a\xFF", Utf8, "a\xFF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FromUtf8(c.utf8, c.codePage), c.ansi) << c.name;
    EXPECT_EQ(ToUtf8("\x93\xFA\x96\x7B", ShiftJis), "日本");
    EXPECT_EQ(FromUtf16(u"/写真\U0001F600", ShiftJis), "/\x8E\xCA\x90\x5E?");
    EXPECT_EQ(FromUtf16(u"/写真\U0001F600", Utf8), "/写真\U0001F600");
}

TEST(CodePage, SlicedConversionJoinsToTheWholeConversion) {
    const std::string texts[] = {"日本語のテキスト\nabc", "a\U0001F600b\u00E9\xE6\x97",
                                 "\x80\x80\x80x\xFF", ""};
    for (const std::string& text : texts) {
        for (int codePage : {ShiftJis, Utf8}) {
            for (std::size_t slice : {1, 2, 3, 5, 64}) {
                std::string joined;
                std::size_t pieces = 0;
                FromUtf8InSlices(text, codePage, slice, [&](std::string_view piece) {
                    joined += piece;
                    ++pieces;
                });
                EXPECT_EQ(joined, FromUtf8(text, codePage)) << text << " slice " << slice;
                // UTF-8 is passed on whole; the others a slice at a time.
                if (codePage == ShiftJis && slice == 1) {
                    EXPECT_GE(pieces, text.size() / 4) << text;
                }
            }
        }
    }
}

TEST(CodePage, TrailBytesFollowTheCodePage) {
    // 0x95 0x5C is one character in 932: its "\" is no separator.
    const std::string sjis = "a\x95\x5C|\x83\x7C";
    EXPECT_FALSE(IsTrailByte(sjis, 1, ShiftJis));
    EXPECT_TRUE(IsTrailByte(sjis, 2, ShiftJis));
    EXPECT_FALSE(IsTrailByte(sjis, 3, ShiftJis));
    EXPECT_TRUE(IsTrailByte(sjis, 5, ShiftJis));
    // In UTF-8 an ASCII byte is never inside a longer character.
    EXPECT_FALSE(IsTrailByte(sjis, 2, Utf8));
    EXPECT_TRUE(IsTrailByte("\xE6\x97\xA5", 1, Utf8));
    EXPECT_FALSE(IsTrailByte(sjis, 2, SingleByte));
    EXPECT_FALSE(IsTrailByte(sjis, 99, ShiftJis));
    // A lead byte before a byte that cannot follow it stands alone, so the
    // "/" and "." of a damaged name still separate.
    const std::string damaged = "\x96/a\x96.txt\x96";
    EXPECT_FALSE(IsTrailByte(damaged, 1, ShiftJis));
    EXPECT_FALSE(IsTrailByte(damaged, 4, ShiftJis));
    EXPECT_FALSE(IsTrailByte(damaged, 5, ShiftJis));
    EXPECT_EQ(UpperCase(damaged, ShiftJis), "\x96/A\x96.TXT\x96");
}
