#include "dialogs/FilterExtension.h"

#include <gtest/gtest.h>

#include <climits>

namespace sorvak {
namespace {

TEST(FilterExtension, PairsOfTheFilter) {
    using codepage::ShiftJis;
    using codepage::Utf8;
    const std::string text = "テキストファイル(*.txt)|*.txt|すべてのファイル|*.*";
    const std::string pictures = "bmp (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg;*.ipeg|PNG|*.png";
    // "ポ" in code page 932 is 0x83 0x7C: its second byte is no bar there.
    const std::string po = "\x83\x7C";
    struct Case {
        std::string filter;
        int index;
        int codePage;
        bool found;
        std::string ext;
    };
    const Case cases[] = {
        {text, 1, Utf8, true, ".txt"},
        {text, 2, Utf8, true, ".*"},
        {text, 3, Utf8, false, "unchanged"},
        {text, 0, Utf8, false, "unchanged"},
        {text, -1, Utf8, false, "unchanged"},
        {text, INT_MAX, Utf8, false, "unchanged"},
        {text, INT_MIN, Utf8, false, "unchanged"},
        {pictures, 2, Utf8, true, ".jpg"},
        {pictures, 3, Utf8, true, ".png"},
        {"none|*", 1, Utf8, true, ""},
        {"none|Makefile|b|*.b", 1, Utf8, true, ""},
        {"archives|*.tar.gz", 1, Utf8, true, ".tar.gz"},
        {"named|readme.txt;*.md", 1, Utf8, true, ".txt"},
        {"empty|", 1, Utf8, true, ""},
        {"no bar", 1, Utf8, false, "unchanged"},
        {po + "|*.a|b|*.b", 1, ShiftJis, true, ".a"},
        {po + "|*.a|b|*.b", 2, ShiftJis, true, ".b"},
        {"a|*." + po + "|b|*.b", 1, ShiftJis, true, "." + po},
        {"a|*." + po + "|b|*.b", 2, ShiftJis, true, ".b"},
        // Not a character in UTF-8: the bar counts.
        {po + "|*.a|*.b|*.c", 1, Utf8, true, ""},
        {po + "|*.a|*.b|*.c", 2, Utf8, true, ".b"},
    };
    for (const Case& c : cases) {
        std::string ext = "unchanged";
        EXPECT_EQ(FilterExtension(c.filter, c.index, ext, c.codePage), c.found)
            << c.filter << " " << c.index;
        EXPECT_EQ(ext, c.ext) << c.filter << " " << c.index;
    }
}

TEST(FilterExtension, PlainPatternsOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"*.png", "png"}, {"*.tar.gz", "tar.gz"}, {"*.*", ""},   {"*.", ""},    {"*", ""},
        {"a.txt", ""},    {"*.[ch]", ""},         {"*.p?g", ""}, {"*.a/b", ""}, {"", ""},
        {"x*.png", ""},   {"**.png", ""},
    };
    for (const auto& [pattern, ext] : cases)
        EXPECT_EQ(PlainPatternExtension(pattern), ext) << pattern;
}

} // namespace
} // namespace sorvak
