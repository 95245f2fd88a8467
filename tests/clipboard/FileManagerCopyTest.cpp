#include "clipboard/FileManagerCopy.h"

#include <gtest/gtest.h>

using namespace sorvak;
using Paths = std::vector<std::string>;

TEST(FileManagerCopy, LocalPathsOfFileUris) {
    struct Case {
        const char* uri;
        std::optional<std::string> path;
    } cases[] = {
        {"file:///home/u/a.txt", "/home/u/a.txt"},
        {"file://localhost/etc/hosts", "/etc/hosts"},
        {"FILE:///x", "/x"},
        {"file:/tmp/short", "/tmp/short"},
        {"file:///tmp/with%20space/%E3%81%82.png", "/tmp/with space/\xE3\x81\x82.png"},
        {"file:///a%2Fb", "/a/b"},
        {"file:///tmp/q?x=1", "/tmp/q"},
        {"file://otherhost/etc/hosts", std::nullopt},
        {"http://example.org/a", std::nullopt},
        {"file:///bad%2", std::nullopt},
        {"file:///bad%zz", std::nullopt},
        {"file:///nul%00byte", std::nullopt},
        {"file://", std::nullopt},
        {"file:relative", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LocalPathOfFileUri(c.uri), c.path) << c.uri;
}

TEST(FileManagerCopy, ListsAreListsOnlyWhenEveryUriIsALocalFile) {
    EXPECT_EQ(ParseUriList("file:///a\r\n# comment\r\nfile:///b%20c\r\n"), (Paths{"/a", "/b c"}));
    EXPECT_EQ(ParseUriList("file:///only"), (Paths{"/only"}));
    EXPECT_EQ(ParseUriList("file:///a\nhttps://example.org/\n"), std::nullopt);
    EXPECT_EQ(ParseUriList("# nothing\n\n"), std::nullopt);
    EXPECT_EQ(ParseUriList(""), std::nullopt);

    EXPECT_EQ(ParseCopiedFiles("copy\nfile:///a\nfile:///b"), (Paths{"/a", "/b"}));
    EXPECT_EQ(ParseCopiedFiles("cut\nfile:///a\n"), (Paths{"/a"}));
    EXPECT_EQ(ParseCopiedFiles("move\nfile:///a"), std::nullopt);
    EXPECT_EQ(ParseCopiedFiles("copy\n"), std::nullopt);

    EXPECT_EQ(ParseNautilusText("x-special/nautilus-clipboard\ncopy\nfile:///d/e\n"),
              (Paths{"/d/e"}));
    EXPECT_EQ(ParseNautilusText("x-special/nautilus-clipboardcopy\nfile:///d"), std::nullopt);
    EXPECT_EQ(ParseNautilusText("just some text"), std::nullopt);
}
