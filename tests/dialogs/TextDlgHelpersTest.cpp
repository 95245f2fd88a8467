// File-name rules of the text dialogs, in code page 932 and UTF-8.
#include "dialogs/TextDlgHelpers.h"
#include "dialogs/SystemVersion.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvak {
namespace {

namespace fs = std::filesystem;
using codepage::ShiftJis;
using codepage::Utf8;

// "ポ" in code page 932 ends in 0x7C, "表" in 0x5C.
const std::string Po = "\x83\x7C";
const std::string Hyo = "\x95\x5C";

TEST(NthCharPosTest, CountsSingleBytes) {
    struct Case {
        char ch;
        std::string text;
        int n;
        int expected;
    } cases[] = {
        {'|', "a|b|c", 1, 2}, {'|', "a|b|c", 2, 4},  {'|', "a|b|c", 3, 0},
        {'|', "a|b|c", 0, 0}, {'|', "a|b|c", -1, 0}, {'|', "", 1, 0},
        {'|', "|", 1, 1},     {'|', Po + "|", 1, 2}, // the second byte counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " n=" + std::to_string(c.n));
        EXPECT_EQ(NthCharPos(c.ch, c.text, c.n), c.expected);
    }
}

TEST(ReplaceExtensionTest, LastComponentsExtensionIsReplacedOrAppended) {
    struct Case {
        std::string name;
        std::string ext;
        int codePage;
        std::string expected;
    } cases[] = {
        {"memo", ".txt", Utf8, "memo.txt"},
        {"memo.txt", ".*", Utf8, "memo.*"},
        {"memo.csv", ".txt", Utf8, "memo.txt"},
        {"*.txt", ".*", Utf8, "*.*"},
        {"memo.txt", "", Utf8, "memo"},
        {"a.b/memo", ".txt", Utf8, "a.b/memo.txt"},
        {"/home/u.v/memo.old", ".txt", Utf8, "/home/u.v/memo.txt"},
        {".profile", ".txt", Utf8, ".profile.txt"},
        {"dir/.profile", ".txt", Utf8, "dir/.profile.txt"},
        {"dir/.profile.bak", ".txt", Utf8, "dir/.profile.txt"},
        {"docs/", ".txt", Utf8, "docs/*.txt"},
        {"", ".txt", Utf8, "*.txt"},
        {"a:b", ".txt", Utf8, "a:b.txt"},
        {"a\\b.c", ".txt", Utf8, "a\\b.txt"},
        {"画像.txt", ".*", Utf8, "画像.*"},
        {"画像", ".txt", Utf8, "画像.txt"},
        {Hyo, ".txt", ShiftJis, Hyo + ".txt"},
        {Hyo + ".csv", ".txt", ShiftJis, Hyo + ".txt"},
        {"x/" + Po + ".csv", ".txt", ShiftJis, "x/" + Po + ".txt"},
        // A lead byte before "/" or "." is a damaged character, not a pair.
        {"a.c\x96/memo", ".txt", ShiftJis, "a.c\x96/memo.txt"},
        {"memo\x96.csv", ".txt", ShiftJis, "memo\x96.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " + " + c.ext);
        EXPECT_EQ(ReplaceExtension(c.name, c.ext, c.codePage), c.expected);
    }
}

TEST(LowerFileExtensionTest, AsciiLettersLowerCasedOnly) {
    struct Case {
        std::string name;
        int codePage;
        std::string expected;
    } cases[] = {
        {"/a/Form.DFM", Utf8, ".dfm"},
        {"/a/Form.~Df", Utf8, ".~df"},
        {"/a.b/form", Utf8, ""},
        {"/a/.dfm", Utf8, ""},
        {"設定.DFM", Utf8, ".dfm"},
        {"/x/a.Ａ", Utf8, ".Ａ"},
        // "ア" in 932 is 0x83 0x41: its second byte is no letter "A".
        {"a.\x83\x41", ShiftJis, ".\x83\x41"},
        {"a.B\x83\x41", ShiftJis, ".b\x83\x41"},
        {Hyo + ".DFM", ShiftJis, ".dfm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LowerFileExtension(c.name, c.codePage), c.expected);
    }
}

TEST(ExtendedSystemTest, VersionFigures) {
    struct Case {
        OsVersionInfo version;
        bool extended;
        bool fullRequest;
    } cases[] = {
        {{true, 2, 4, 0}, false, false}, {{true, 2, 5, 0}, true, true},
        {{true, 2, 5, 1}, true, true},   {{true, 2, 6, 2}, true, true},
        {{true, 2, 10, 0}, true, true},  {{true, 1, 4, 10}, false, false},
        {{true, 1, 4, 90}, true, true},  {{true, 1, 4, 95}, false, true}, // narrower rule
        {{true, 1, 5, 90}, false, true}, {{false, 2, 10, 0}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.version.PlatformId) + "." +
                     std::to_string(c.version.MajorVersion) + "." +
                     std::to_string(c.version.MinorVersion) + (c.version.Valid ? "" : " failed"));
        EXPECT_EQ(IsExtendedSystem(c.version), c.extended);
        EXPECT_EQ(HasFullRequest(c.version), c.fullRequest);
    }
}

TEST(PlainFileExistsTest, OnlyRegularFilesAfterLinks) {
    const test::TempDir temp;
    const fs::path& dir = temp.Path();
    std::ofstream(dir / "memo.txt") << "x";
    std::ofstream(dir / "a*b") << "x";
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink(dir / "memo.txt", dir / "link-to-file");
    fs::create_symlink("/dev/null", dir / "link-to-device");
    fs::create_symlink(dir / "fifo", dir / "link-to-fifo");
    fs::create_symlink(dir / "missing", dir / "dangling");
    struct Case {
        std::string name;
        bool expected;
    } cases[] = {
        {"memo.txt", true},      {"link-to-file", true},
        {"*.txt", false},        {"memo.tx?", false},
        {"a*b", false},          {"folder", false},
        {"fifo", false},         {"link-to-device", false},
        {"link-to-fifo", false}, {"dangling", false},
        {"missing", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlainFileExists((dir / c.name).string()), c.expected);
    }
    EXPECT_FALSE(PlainFileExists("/dev/zero"));
}

} // namespace
} // namespace sorvak
