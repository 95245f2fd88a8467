// Text converted a slice at a time reads as if converted whole, and a stop
// ends the conversion.
#include "platform/selection/OfferedText.h"
#include "tests/platform/FakeSelectionSource.h"

#include <QString>

#include <gtest/gtest.h>

using sorvak::platform::Latin1AsUtf8;
using sorvak::platform::RepairedUtf8;
using sorvak::platform::SelectionStopped;
using sorvak::test::FakeSelectionSource;

TEST(OfferedText, SlicesNeverCutACharacterOrAnInvalidSequence) {
    struct Case {
        std::string Sent;
        std::string Held;
    };
    const std::string bad = "\xEF\xBF\xBD"; // U+FFFD
    const Case cases[] = {
        {"plain ascii", "plain ascii"},
        // Valid, three bytes each, and a byte order mark inside: kept.
        {"\xE6\x97\xA5\xEF\xBB\xBF\xE8\xAA\x9E", "\xE6\x97\xA5\xEF\xBB\xBF\xE8\xAA\x9E"},
        // A cut sequence and stray continuation bytes: one U+FFFD a byte.
        {"a\xE2\x82"
         "b\xF0\x9F\x98\x80\x80\x80z",
         "a" + bad + bad + "b\xF0\x9F\x98\x80" + bad + bad + "z"},
        // Overlong, surrogate, past U+10FFFF, a byte order mark first.
        {"\xEF\xBB\xBF\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80",
         "\xEF\xBB\xBF" + bad + bad + bad + bad + bad + bad + bad + bad + bad},
        {"\xEF\xBB\xBF\xF0\x9F\x98", "\xEF\xBB\xBF" + bad + bad + bad}, // cut at the very end
    };
    FakeSelectionSource source({});
    for (const Case& c : cases) {
        for (std::size_t slice = 1; slice <= 8; ++slice) {
            SCOPED_TRACE(testing::Message() << c.Sent << " in slices of " << slice);
            EXPECT_EQ(RepairedUtf8(c.Sent, source, slice), c.Held);
        }
        const std::string latin1 =
            QString::fromLatin1(c.Sent.data(), qsizetype(c.Sent.size())).toStdString();
        EXPECT_EQ(Latin1AsUtf8(c.Sent, source, 3), latin1);
    }
}

TEST(OfferedText, AStoppedTransferEndsTheConversion) {
    FakeSelectionSource source({});
    source.Stop();
    for (const std::string& text : {std::string(100, 'a'), std::string(100, '\xFF')}) {
        EXPECT_THROW(RepairedUtf8(text, source, 10), SelectionStopped);
        EXPECT_THROW(Latin1AsUtf8(text, source, 10), SelectionStopped);
    }
}
