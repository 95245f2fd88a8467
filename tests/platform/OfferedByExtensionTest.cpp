// -o NAME.EXT takes the owner's own bytes of the type the extension names,
// aliases included, and leaves text and the four picture formats to the
// program's roads.
#include "platform/selection/OfferedByExtension.h"

#include "tests/platform/FakeSelectionSource.h"

#include <gtest/gtest.h>

namespace sorvak::platform {
namespace {

using test::FakeSelectionSource;

TEST(OfferedByExtension, TheExtensionsTypeWhenOfferedOtherwiseNothing) {
    const std::vector<FakeSelectionSource::Offer> drawing{
        {"TARGETS", "x"},
        {"image/png", "PNG"},
        {"image/svg+xml", "<svg/>"},
        {"text/html", "<b>a</b>"},
        {"text/plain;charset=utf-8", "a"},
        {"text/xml", "<x/>"},         // an alias of application/xml
        {"image/tiff", std::nullopt}, // offered, then refused
    };
    struct Case {
        const char* name;
        std::optional<std::string> type;
        std::optional<std::string> bytes;
    } cases[] = {
        {"page.html", "text/html", "<b>a</b>"},
        {"/tmp/Page.HTM", "text/html", "<b>a</b>"},
        {"d.svg", "image/svg+xml", "<svg/>"},
        {"d.xml", "text/xml", "<x/>"},
        {"t.tiff", {}, {}}, // refused: the text road decides
        {"a.txt", {}, {}},  // the text road
        {"a.png", {}, {}},  // the picture road
        {"a.jpeg", {}, {}}, // the picture road
        {"a.webp", {}, {}}, // not offered
        {"a.qqqq", {}, {}}, // unknown to the database
        {"noextension", {}, {}},
    };
    for (const Case& c : cases) {
        FakeSelectionSource source(drawing);
        const std::optional<OfferedBytes> found = OfferedBytesForName(source, c.name);
        EXPECT_EQ(found.has_value(), c.bytes.has_value()) << c.name;
        if (found && c.bytes) {
            EXPECT_EQ(found->MimeType, *c.type) << c.name;
            EXPECT_EQ(found->Bytes, *c.bytes) << c.name;
        }
    }
}

TEST(OfferedByExtension, AskedOnlyWhenTheExtensionNamesAnOfferedType) {
    FakeSelectionSource text(
        std::vector<FakeSelectionSource::Offer>{{"text/plain;charset=utf-8", "a"}});
    EXPECT_FALSE(OfferedBytesForName(text, "a.txt"));
    EXPECT_FALSE(OfferedBytesForName(text, "a.png"));
    EXPECT_TRUE(text.Fetched().empty());

    FakeSelectionSource nobody(std::vector<FakeSelectionSource::Offer>{{"text/html", "x"}}, false);
    EXPECT_FALSE(OfferedBytesForName(nobody, "a.html"));
}

} // namespace
} // namespace sorvak::platform
