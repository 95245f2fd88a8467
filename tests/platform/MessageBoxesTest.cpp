#include "platform/qt/MessageBoxes.h"

#include <gtest/gtest.h>

using sorvak::platform::ErrorBoxText;

TEST(ErrorBox, FullStopIsAddedWhenTheLastByteSortsAfterIt) {
    struct Case {
        std::string message, shown;
    } cases[] = {
        {"", ""},
        {"Disk full", "Disk full."},
        {"Already ends.", "Already ends."},
        {"Question?", "Question?."},
        {"Bang!", "Bang!"},
        {"(100%)", "(100%)"},
        {"a-", "a-"},
        {"code 1", "code 1."},
        {"path/", "path/."},
        {"ストリームへの書き込みエラー", "ストリームへの書き込みエラー."},
        // Code page 932: a double-byte last character counts as its bytes.
        {"\x83\x47\x83\x89\x81\x5B", "\x83\x47\x83\x89\x81\x5B."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}
