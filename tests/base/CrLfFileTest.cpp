#include "base/CrLfFile.h"
#include "base/LineList.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <random>

namespace sorvak {
namespace {

using namespace std::string_literals;
using test::ReadFileBytes;
using test::TempDir;

// What the line list writes for the text: the file must hold the same bytes.
std::string ThroughLineList(const std::string& text) {
    LineList list;
    list.SplitText(text);
    return list.JoinText();
}

std::string Written(const std::string& path, const std::vector<std::string_view>& pieces) {
    CrLfFile file(path);
    for (std::string_view piece : pieces)
        file.Append(piece);
    file.Close();
    return ReadFileBytes(path);
}

TEST(CrLfFile, SameBytesAsTheLineListWhereverThePiecesSplit) {
    const std::string texts[] = {"",
                                 "\n",
                                 "\r",
                                 "a\nb",
                                 "a\rb",
                                 "a\r\nb\r\n",
                                 "a\n\rb",
                                 "a\r\rb",
                                 "a",
                                 "a\n",
                                 "a\n\n",
                                 "a\nb\0c\nd"s,
                                 "a\n\0b"s,
                                 "\0a"s,
                                 "\r\0\n"s,
                                 "a\tb\f\n",
                                 "\x95\x5C\r\n\x82\xA0",
                                 "\n\n\nx",
                                 "\r\n\r\n",
                                 "ab\r\r\n\n"};
    TempDir dir;
    const std::string path = dir / "out.txt";
    for (const std::string& text : texts) {
        const std::string expected = ThroughLineList(text);
        EXPECT_EQ(Written(path, {text}), expected) << testing::PrintToString(text);
        // Every split into two and into three pieces, empty pieces included.
        for (std::size_t i = 0; i <= text.size(); ++i) {
            for (std::size_t j = i; j <= text.size(); ++j) {
                const std::string_view all(text);
                EXPECT_EQ(Written(path, {all.substr(0, i), all.substr(i, j - i), all.substr(j)}),
                          expected)
                    << testing::PrintToString(text) << " split at " << i << ", " << j;
            }
        }
    }
}

TEST(CrLfFile, LongTextsPassTheBufferWhole) {
    // Lines longer than the write buffer, and many short ones, in uneven pieces.
    std::mt19937 random(7);
    std::string text;
    const char alphabet[] = "ab\r\n\xE3\x81\x82 xyz";
    while (text.size() < (std::size_t(5) << 20)) {
        if (random() % 50 == 0)
            text.append(std::size_t(1) << 20 | random() % 1000, 'L');
        text.push_back(alphabet[random() % (sizeof alphabet - 1)]);
    }
    std::vector<std::string_view> pieces;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t size = std::min<std::size_t>(text.size() - pos, random() % 300000);
        pieces.push_back(std::string_view(text).substr(pos, size));
        pos += size;
    }
    TempDir dir;
    EXPECT_EQ(Written(dir / "out.txt", pieces), ThroughLineList(text));
    // Only breaks: every byte of text doubles in the file.
    const std::string breaks((std::size_t(3) << 20) + 1, '\n');
    EXPECT_EQ(Written(dir / "out.txt", {breaks}), ThroughLineList(breaks));
}

TEST(CrLfFile, WithoutCloseTheTargetStays) {
    TempDir dir;
    const std::string path = dir / "out.txt";
    test::WriteFileBytes(path, "old");
    {
        CrLfFile file(path);
        file.Append(std::string(3 << 20, 'x'));
    }
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

} // namespace
} // namespace sorvak
