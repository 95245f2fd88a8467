#include "platform/filedialog/FileDialogFilters.h"
#include "base/CodePage.h"

#include <gtest/gtest.h>

namespace sorvak::platform {
namespace {

using namespace std::string_literals;

TEST(FileDialogFiltersTest, ListBecomesNameFiltersWithTheDescriptionAsGiven) {
    const std::string list = codepage::FromUtf8("テキストファイル(*.txt)") + "\0*.txt\0"s +
                             codepage::FromUtf8("JPEG イメージファイル (*.jpg)") +
                             "\0*.jpg;*.ipeg\0"s + "Any\0*\0\0"s;
    const std::vector<NameFilter> filters = NameFiltersOf(list);
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].Text, QString::fromUtf8("テキストファイル(*.txt) (*.txt)"));
    EXPECT_EQ(filters[0].FirstPattern, "*.txt");
    EXPECT_EQ(filters[1].Text, QString::fromUtf8("JPEG イメージファイル (*.jpg) (*.jpg *.ipeg)"));
    EXPECT_EQ(filters[1].FirstPattern, "*.jpg");
    EXPECT_EQ(filters[2].Text, "Any (*)");

    EXPECT_TRUE(NameFiltersOf("").empty());
    // A description without its pattern list is no pair.
    EXPECT_TRUE(NameFiltersOf("Lonely\0\0"s).empty());
    // Patterns QFileDialog cannot parse would be read as names: all files.
    const std::vector<NameFilter> odd =
        NameFiltersOf("Odd\0"s + codepage::FromUtf8("*.日本") + "\0\0"s);
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_EQ(odd[0].Text, "Odd (*)");
    EXPECT_EQ(odd[0].FirstPattern, QString::fromUtf8("*.日本"));
}

// The pattern rules are FilterExtension's own, tested there; the wrapper adds
// the road through the ANSI code page and back.
TEST(FileDialogFiltersTest, PlainExtensionCarriesTheNameThroughTheCodePage) {
    EXPECT_EQ(PlainExtension("*.png"), "png");
    EXPECT_EQ(PlainExtension(QString::fromUtf8("*.日本")), QString::fromUtf8("日本"));
    EXPECT_EQ(PlainExtension(QString::fromUtf8("日本.txt")), "");
}

} // namespace
} // namespace sorvak::platform
