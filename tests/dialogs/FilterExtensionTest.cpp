#include "FilterExtension.h"

#include <gtest/gtest.h>

namespace sorvak {
namespace {

TEST(FilterExtension, PairsOfTheFilter) {
    const std::string text =
        "\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88(*.txt)|*.txt|all|*.*";
    const std::string pictures = "bmp (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg;*.ipeg|PNG|*.png";
    struct Case {
        std::string filter;
        int index;
        bool found;
        std::string ext;
    };
    const Case cases[] = {
        {text, 1, true, ".txt"},
        {text, 2, true, ".*"},
        {text, 3, false, "unchanged"},
        {text, 0, false, "unchanged"},
        {text, -1, false, "unchanged"},
        {pictures, 2, true, ".jpg"},
        {pictures, 3, true, ".png"},
        {"none|*", 1, true, ""},
        {"archives|*.tar.gz", 1, true, ".tar.gz"},
        {"named|readme.txt;*.md", 1, true, ".txt"},
        {"no bar", 1, false, "unchanged"},
        // Shift_JIS "ポ" is 0x83 0x7C: its second byte counts as a bar, so
        // the second pair reads the description "*.b" as its patterns.
        {"\x83\x7C|*.a|*.b|*.c", 1, true, ""},
        {"\x83\x7C|*.a|*.b|*.c", 2, true, ".b"},
    };
    for (const Case& c : cases) {
        std::string ext = "unchanged";
        EXPECT_EQ(FilterExtension(c.filter, c.index, ext), c.found) << c.filter << " " << c.index;
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
