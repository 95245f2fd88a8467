// The proposed picture name in every kind of locale: a name the dialog saves
// under, never a filter pattern.
#include "driver/ModMain.h"

#include <gtest/gtest.h>

#include <clocale>

namespace sorvak {
namespace {

TEST(DefaultPictureName, FullWidthWhereTheCodePageHoldsItPlainOtherwise) {
    EXPECT_EQ(DefaultPictureName(640, 480, codepage::Utf8), "Image\xEF\xBC\x88"
                                                            "640\xC3\x97"
                                                            "480\xEF\xBC\x89");
    EXPECT_EQ(DefaultPictureName(640, 480, codepage::ShiftJis), "Image\x81\x69"
                                                                "640\x81\x7E"
                                                                "480\x81\x6A");

    const std::string old = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "en_US.ISO-8859-1") == nullptr)
        GTEST_SKIP() << "locale en_US.ISO-8859-1 missing: run scripts/deps.sh test";
    const std::string name = DefaultPictureName(640, 480);
    std::setlocale(LC_ALL, old.c_str());
    // "×" is in ISO-8859-1 but the brackets are not: no "?" at all.
    EXPECT_EQ(name, "Image(640x480)");
}

} // namespace
} // namespace sorvak
