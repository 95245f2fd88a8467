// What the text preview reads of a file and how it shows it.
#include "dialogs/PreviewFile.h"
#include "formtext/FormText.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvak {
namespace {

namespace fs = std::filesystem;

class PreviewFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    const test::TempDir temp_;
    const fs::path dir_ = temp_.Path();
};

TEST_F(PreviewFileTest, ReadsUpToTheLimitWhateverTheReportedSize) {
    const std::string path = Write("big.txt", std::string(70000, 'x') + "tail");
    EXPECT_EQ(PreviewOfFile(path, 1024), std::string(1024, 'x'));
    EXPECT_EQ(PreviewOfFile(path, 1 << 20)->size(), 70004u);
    EXPECT_EQ(PreviewOfFile(Write("empty", ""), 1024), "");
    // /proc files report a size of 0 and still have contents.
    const std::optional<std::string> status = PreviewOfFile("/proc/self/status", 1024);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->starts_with("Name:"));
}

TEST_F(PreviewFileTest, NonRegularFilesShowNothingWithoutBlocking) {
    // A FIFO without a writer would block a plain open for ever.
    for (const char* name : {"fifo", "fifo.dfm"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(::mkfifo((dir_ / name).c_str(), 0600), 0);
        EXPECT_EQ(PreviewOfFile((dir_ / name).string(), 1024), std::nullopt);
    }
    EXPECT_EQ(PreviewOfFile(dir_.string(), 1024), std::nullopt);
    EXPECT_EQ(PreviewOfFile("/dev/zero", 1024), std::nullopt);
}

TEST_F(PreviewFileTest, FileThatCannotBeOpenedGivesTheOpenErrorWithItsPath) {
    const std::string missing = (dir_ / "missing.txt").string();
    try {
        PreviewOfFile(missing, 1024);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル \"" + missing + "\". " + std::strerror(ENOENT) + " は開けません");
    }
}

TEST(PreviewDisplayTextTest, LineBreaksBecomeCrLfAndNulEndsTheText) {
    struct Case {
        std::string bytes;
        int codePage;
        std::string expected;
    } cases[] = {
        {"a\nb\n", codepage::Utf8, "a\r\nb\r\n"},
        {"a\rb\r\nc", codepage::Utf8, "a\r\nb\r\nc"},
        {"a\n\rb", codepage::Utf8, "a\r\n\r\nb"},
        {"\r", codepage::Utf8, "\r\n"},
        {std::string("0123456789\0after\n", 17), codepage::Utf8, "0123456789"},
        {std::string("\0x", 2), codepage::Utf8, ""},
        {"日本\n語", codepage::Utf8, "日本\r\n語"},
        {"\x83\x7C\n", codepage::ShiftJis, "\x83\x7C\r\n"},
        {"\x81", codepage::ShiftJis, "\x81"}, // a lead byte at the end
        // A lead byte cannot take a line break as its second byte.
        {"\x96\r\nb\x82\n", codepage::ShiftJis, "\x96\r\nb\x82\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(PreviewDisplayText(c.bytes, c.codePage), c.expected);
    }
}

TEST_F(PreviewFileTest, HugeFormFileIsShownUnconvertedNotReadWhole) {
    // A resource header followed by no component stream: converting it
    // fails, so a preview without the error was not converted.
    const std::string header("\xFF\x0A\x00N\x00\x30\x10\x00\x00\x00\x00junk", 15);
    const std::string small = Write("small.dfm", header);
    EXPECT_THROW(PreviewOfFile(small, 1024), EFormReadError);
    const std::string huge = Write("huge.DFM", header);
    fs::resize_file(huge, FormFileConvertLimit + 1); // sparse: no disk used
    EXPECT_EQ(PreviewOfFile(huge, 1024), "\xFF\r\n");
    // The limit itself is still converted.
    const std::string padded = header + std::string(85, 'x');
    for (std::size_t limit : {std::size_t{10}, std::size_t{1024}}) {
        SCOPED_TRACE(limit);
        EXPECT_THROW(PreviewOfFile(Write("at.dfm", padded), limit, codepage::Utf8, 100),
                     EFormReadError);
        EXPECT_EQ(PreviewOfFile(Write("above.dfm", padded + "x"), limit, codepage::Utf8, 100),
                  "\xFF\r\n");
    }
}

} // namespace
} // namespace sorvak
