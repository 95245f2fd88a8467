#include "base/LineList.h"
#include "base/FileErrors.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace sorvak {
namespace {

using namespace std::string_literals;

std::vector<std::string> Lines(const LineList& list) {
    std::vector<std::string> lines;
    for (LineList::Index i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

using test::ReadFileBytes;
using test::TempDir;

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
    std::string joined;
};

TEST(LineList, SplitAndJoin) {
    const SplitCase cases[] = {
        {"empty text", "", {}, ""},
        {"only LF", "\n", {""}, "\r\n"},
        {"only CR", "\r", {""}, "\r\n"},
        {"LF", "a\nb", {"a", "b"}, "a\r\nb\r\n"},
        {"CR", "a\rb", {"a", "b"}, "a\r\nb\r\n"},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n"},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
        {"CR CR", "a\r\rb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
        {"no final break", "a", {"a"}, "a\r\n"},
        {"break at the end adds no line", "a\n", {"a"}, "a\r\n"},
        {"two breaks at the end", "a\n\n", {"a", ""}, "a\r\n\r\n"},
        {"NUL ends the text", "a\nb\0c\nd"s, {"a", "b"}, "a\r\nb\r\n"},
        {"NUL right after a break", "a\n\0b"s, {"a"}, "a\r\n"},
        {"NUL first", "\0a"s, {}, ""},
        {"tab and form feed stay", "a\tb\fc\x01\n", {"a\tb\fc\x01"}, "a\tb\fc\x01\r\n"},
        // 95 5C is a code-page-932 character whose second byte is "\";
        // 83 6E ends in "n": bytes pass through untouched.
        {"code page 932 bytes",
         "\x95\x5C\x83\x6E\r\n\x82\xA0",
         {"\x95\x5C\x83\x6E", "\x82\xA0"},
         "\x95\x5C\x83\x6E\r\n\x82\xA0\r\n"},
        {"blank lines kept", "\n\n\nx", {"", "", "", "x"}, "\r\n\r\n\r\nx\r\n"},
    };
    for (const SplitCase& c : cases) {
        LineList list;
        list.Append("stale");
        list.SplitText(c.text);
        EXPECT_EQ(Lines(list), c.lines) << c.name;
        EXPECT_EQ(list.JoinText(), c.joined) << c.name;
    }
}

TEST(LineList, EditingKeepsObjectsWithTheirLines) {
    int x = 0, y = 0;
    LineList list;
    EXPECT_EQ(list.Append("a", &x), 0);
    EXPECT_EQ(list.Append("b"), 1);
    LineList other;
    other.Append("c", &y);
    list.AppendAll(other);
    list.AppendAll(list);
    ASSERT_EQ(list.Count(), 6);
    EXPECT_EQ(list.Object(2), &y);
    EXPECT_EQ(list.Object(3), &x);
    list.Remove(0);
    EXPECT_EQ(list[0], "b");
    EXPECT_EQ(list.Object(0), nullptr);
    list.Set(0, "B", &x);
    list.SetLine(1, "C");
    EXPECT_EQ(list.Object(1), &y);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"B", "C", "a", "b", "c"}));
    EXPECT_THROW(list.Remove(5), Exception);
    EXPECT_THROW(list.Line(-1), Exception);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.JoinText(), "");
}

TEST(LineList, NameValueLookup) {
    LineList list;
    list.SplitText("comment\n=empty name\nKey=one\nkey=two\n Key=blank\nK=a=b\nNoEquals\n");
    list.SetCodePage(codepage::Utf8);
    EXPECT_EQ(list.FindName("KEY"), 2); // first from the top, ignoring case
    EXPECT_EQ(list.GetValue("key"), "one");
    EXPECT_EQ(list.GetValue("K"), "a=b"); // after the first "="
    EXPECT_EQ(list.GetValue(""), "empty name");
    EXPECT_EQ(list.FindName("NoEquals"), -1);
    EXPECT_EQ(list.FindName("comment"), -1);
    EXPECT_EQ(list.FindName("Key "), -1);
    EXPECT_EQ(list.GetValue("missing"), "");

    list.SetCaseSensitive(true);
    EXPECT_EQ(list.FindName("key"), 3);
    EXPECT_EQ(list.FindName("KEY"), -1);
    EXPECT_EQ(list.FindName(" Key"), 4);
    list.SetCaseSensitive(false);

    list.SetValue("KEY", "1"); // replaced in place, caller's spelling
    EXPECT_EQ(list[2], "KEY=1");
    list.SetValue("New", "x"); // appended
    EXPECT_EQ(list[list.Count() - 1], "New=x");
    const auto count = list.Count();
    list.SetValue("key", ""); // empty value deletes the first match
    EXPECT_EQ(list.Count(), count - 1);
    EXPECT_EQ(list[2], "key=two");
    list.SetValue("absent", "");
    EXPECT_EQ(list.Count(), count - 1);
}

TEST(LineList, NameLookupFoldsCaseBeyondAscii) {
    LineList utf8;
    utf8.SetCodePage(codepage::Utf8);
    utf8.Append("Größe=1");
    EXPECT_EQ(utf8.GetValue("GRÖSSE"), ""); // no multi-letter expansions
    EXPECT_EQ(utf8.GetValue("GRÖßE"), "1");

    LineList sjis;
    sjis.SetCodePage(codepage::ShiftJis);
    sjis.Append("\x83\x61=1"); // second byte "a" is not a letter here
    EXPECT_EQ(sjis.FindName("\x83\x41"), -1);
    EXPECT_EQ(sjis.GetValue("\x83\x61"), "1");
}

TEST(LineList, Streams) {
    LineList list;
    std::istringstream in("skip|a\rb\r\n");
    in.ignore(5);
    list.ReadStream(in);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b"}));
    std::ostringstream out;
    list.WriteStream(out);
    EXPECT_EQ(out.str(), "a\r\nb\r\n");
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_THROW(list.WriteStream(broken), EWriteError);
}

TEST(LineList, WriteFileBytesExactly) {
    TempDir dir;
    const std::string path = dir / "out.txt";
    {
        std::ofstream old(path, std::ios::binary);
        old << "old content that is longer than the new one";
    }
    LineList list;
    list.SplitText("a\nb\r\xE3\x81\x82");
    list.WriteFile(path);
    EXPECT_EQ(ReadFileBytes(path), "a\r\nb\r\n\xE3\x81\x82\r\n");

    LineList empty;
    empty.WriteFile(path);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(LineList, WriteFileFailures) {
    LineList list;
    list.Append("x");
    TempDir dir;
    const std::string missing = dir / "no-such-folder/out.txt";
    try {
        list.WriteFile(missing);
        FAIL() << "no error for a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル \"" + missing + "\". " + std::strerror(ENOENT) + " を作成できません");
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(FileErrors, MessageMakesThePathAbsolute) {
    TempDir dir;
    const std::string before = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(dir.Path().string().c_str()), 0);
    const std::string message = CannotCreateFileMessage("sub/../missing/x.txt", EACCES);
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_EQ(message, "ファイル \"" + dir.Path().string() + "/missing/x.txt\". " +
                           std::strerror(EACCES) + " を作成できません");
}

} // namespace
} // namespace sorvak
