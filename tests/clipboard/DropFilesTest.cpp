#include "clipboard/DropFiles.h"

#include <gtest/gtest.h>

using namespace sorvak;

namespace {

std::string Header(std::uint32_t pFiles, std::uint32_t wide) {
    std::string h(20, '\0');
    for (int i = 0; i < 4; ++i) {
        h[i] = static_cast<char>((pFiles >> (8 * i)) & 0xFF);
        h[16 + i] = static_cast<char>((wide >> (8 * i)) & 0xFF);
    }
    return h;
}

// Takes the whole literal, embedded zero units included.
template <std::size_t N> std::string Wide(const char16_t (&literal)[N]) {
    const std::u16string_view text(literal, N - 1);
    std::string out;
    for (char16_t unit : text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
}

std::vector<std::string> Collect(const LineList& list) {
    std::vector<std::string> lines;
    for (LineList::Index i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

std::vector<std::string> Lines(std::string_view block, int codePage = codepage::Utf8) {
    LineList list;
    ReadFileNames(block, list, codePage);
    return Collect(list);
}

using Lines_ = std::vector<std::string>;

} // namespace

TEST(DropFiles, WalksDecodeNamesInOrder) {
    struct Case {
        const char* name;
        std::string block;
        Lines_ lines;
        int codePage = codepage::Utf8;
    } cases[] = {
        {"three wide", Header(20, 1) + Wide(u"/a/x.txt\0/b\0/c d\0\0"), {"/a/x.txt", "/b", "/c d"}},
        {"japanese", Header(20, 1) + Wide(u"/写真\0\0"), {"/写真"}},
        {"japanese in 932",
         Header(20, 1) + Wide(u"/写真\0\0"),
         {"/\x8E\xCA\x90\x5E"},
         codepage::ShiftJis},
        {"lacking in 932", Header(20, 1) + Wide(u"/\u00E9\0\0"), {"/?"}, codepage::ShiftJis},
        {"ansi", Header(20, 0) + std::string("/a\0/\x82\xA0\0\0", 8), {"/a", "/\x82\xA0"}},
        {"files and a folder",
         Header(20, 1) + Wide(u"/home/u/My Files/a b.txt\0/home/u/写真\0/home/u/日本語.txt\0\0"),
         {"/home/u/My Files/a b.txt", "/home/u/写真", "/home/u/日本語.txt"}},
        {"pair lacking in 932",
         Header(20, 1) + Wide(u"/\U0001F600x\0\0"),
         {"/?x"},
         codepage::ShiftJis},
        {"lone surrogate", Header(20, 1) + Wide(u"/\xD800x\0\0"), {"/?x"}},
        {"list starting with its end", Header(20, 1) + Wide(u"\0\0"), {""}},
        {"ansi list starting with its end", Header(20, 0) + std::string(2, '\0'), {""}},
        {"pFiles further in", Header(24, 0) + std::string("xxxx/z\0\0", 8), {"/z"}},
        {"block larger than the data",
         Header(20, 1) + Wide(u"/a\0\0") + std::string(64, 'Q'),
         {"/a"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lines(c.block, c.codePage), c.lines) << c.name;
}

TEST(DropFiles, ReadsNothingOutsideTheBlock) {
    struct Case {
        const char* name;
        std::string block;
        Lines_ lines;
    } cases[] = {
        {"shorter than the header", std::string(19, '\0'), {}},
        {"pFiles at the end", Header(20, 1), {}},
        {"pFiles far beyond", Header(0xFFFFFFF0u, 1) + Wide(u"/a\0\0"), {}},
        {"missing list end", Header(20, 1) + Wide(u"/a\0/b\0"), {"/a", "/b"}},
        {"unterminated last name", Header(20, 1) + Wide(u"/a\0/b"), {"/a"}},
        {"odd trailing byte", Header(20, 1) + Wide(u"/a") + "\x01", {}},
        {"unterminated ansi", Header(20, 0) + "/a", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lines(c.block), c.lines) << c.name;
}

TEST(DropFiles, WalksStartingAtTheEndOfTheBlockReadNothingBeyondIt) {
    const std::string block = Header(20, 1) + Wide(u"/a\0\0");
    struct Case {
        std::uint32_t pFiles;
        Lines_ wide, ansi;
    } cases[] = {
        {std::uint32_t(block.size()), {}, {}},
        // One byte left: no whole unit, but a whole (empty) ANSI name.
        {std::uint32_t(block.size() - 1), {}, {""}},
        {0xFFFFFFFFu, {}, {}},
    };
    for (const Case& c : cases) {
        LineList wide, ansi;
        ReadWideFileNames(block, c.pFiles, wide, codepage::Utf8);
        ReadAnsiFileNames(block, c.pFiles, ansi);
        EXPECT_EQ(Collect(wide), c.wide) << c.pFiles;
        EXPECT_EQ(Collect(ansi), c.ansi) << c.pFiles;
    }
}

TEST(DropFiles, BuiltBlockHoldsUtf16NamesAfterTheHeader) {
    const std::string block =
        BuildDropFilesBlock({"/a", "/\xE3\x81\x82", "/\xF0\x9F\x98\x80", "\xFF"});
    const std::string expected("\x14\0\0\0"
                               "\0\0\0\0"
                               "\0\0\0\0"
                               "\0\0\0\0"
                               "\x01\0\0\0"
                               "/\0a\0\0\0"
                               "/\0\x42\x30\0\0"
                               "/\0\x3D\xD8\x00\xDE\0\0"
                               "\xFD\xFF\0\0"
                               "\0\0",
                               20 + 6 + 6 + 8 + 4 + 2);
    EXPECT_EQ(block, expected);
    EXPECT_EQ(BuildDropFilesBlock({}).size(), 22u);
}

TEST(DropFiles, BuiltBlockReadsBackAsTheSameNames) {
    const std::vector<std::string> paths = {
        "/home/u/My Files/a b.txt",
        "/home/u/\xE5\x86\x99\xE7\x9C\x9F",                 // 写真
        "/home/u/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", // 日本語.txt
        "/tmp/caf\xC3\xA9 \xF0\x9F\x98\x80.png",            // é and an emoji
    };
    const std::string block = BuildDropFilesBlock(paths);
    EXPECT_EQ(Lines(block, codepage::Utf8), paths);
    // The code page holds the Japanese names; each character it lacks is one "?".
    EXPECT_EQ(Lines(block, codepage::ShiftJis),
              (Lines_{"/home/u/My Files/a b.txt", "/home/u/\x8E\xCA\x90\x5E",
                      "/home/u/\x93\xFA\x96\x7B\x8C\xEA.txt", "/tmp/caf? ?.png"}));
}
