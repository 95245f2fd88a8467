// File names under every locale: the program's names are code-page strings,
// the file system's are UTF-8, and a save ended by a signal leaves nothing.
#include "base/FileNames.h"
#include "base/CodePage.h"
#include "base/FileHead.h"
#include "base/InterruptCleanup.h"
#include "base/OutputFile.h"
#include "tests/support/Locales.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvak {
namespace {

namespace fs = std::filesystem;
using test::Entries;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

// "日本語フォルダ/テスト.txt" in UTF-8 and in code page 932.
const std::string Utf8Name = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x95\xE3\x82\xA9\xE3\x83"
                             "\xAB\xE3\x83\x80/\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88.txt";
const std::string ShiftJisName = "\x93\xFA\x96\x7B\x8C\xEA\x83\x74\x83\x48\x83\x8B\x83\x5F/"
                                 "\x83\x65\x83\x58\x83\x67.txt";

TEST(FileNames, ConvertedBetweenTheCodePageAndUtf8) {
    EXPECT_EQ(SystemFileName(ShiftJisName, codepage::ShiftJis), Utf8Name);
    EXPECT_EQ(FileNameFromSystem(Utf8Name, codepage::ShiftJis), ShiftJisName);
    // A UTF-8 locale hands every byte through, valid or not.
    EXPECT_EQ(SystemFileName("a\xFF/b", codepage::Utf8), "a\xFF/b");
    EXPECT_EQ(FileNameFromSystem("a\xFF/b", codepage::Utf8), "a\xFF/b");
}

// The name the dialog lists is the name the writer writes and the reader
// reads, whatever the locale.
TEST(FileNames, WriterAndReaderMeanTheFileTheDialogLists) {
    for (const char* locale : {"ja_JP.SJIS", "ja_JP.UTF-8"}) {
        SCOPED_TRACE(locale);
        test::ScopedLocale set(locale);
        if (!set.Usable())
            GTEST_SKIP() << "locale " << locale << " cannot be loaded: run scripts/deps.sh test";
        TempDir dir;
        fs::create_directory(dir.Path() / fs::path(Utf8Name).parent_path());
        const std::string name = dir / FileNameFromSystem(Utf8Name);
        WriteWholeFile(name, "saved");
        EXPECT_EQ(ReadFileBytes(dir.Path() / Utf8Name), "saved");
        EXPECT_EQ(ReadFileHead(name, 16), "saved");
        // Replacing it is replacing that same file.
        WriteWholeFile(name, "again");
        EXPECT_EQ(Entries(dir.Path() / fs::path(Utf8Name).parent_path()),
                  (std::vector<std::string>{fs::path(Utf8Name).filename().string()}));
        EXPECT_EQ(ReadFileBytes(dir.Path() / Utf8Name), "again");
    }
}

// The signal thread ends the program; this thread only waits for that.
[[noreturn]] void WaitForTheEnd() {
    for (;;)
        ::pause();
}

// Runs `work` in a child process and returns how the child ended.
template <typename Work> int InChild(Work work) {
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(FileNames, SaveEndedBySignalLeavesOnlyTheOldFile) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        const std::string target = dir / "picture.png";
        WriteFileBytes(target, "old bytes");
        const int status = InChild([&] {
            // As a user starts the program: default actions, whatever the
            // test runner set, and the signal thread as main starts it.
            std::signal(signal, SIG_DFL);
            TakeEndingSignals();
            OutputFile file(target);
            file.Write(std::string(1 << 20, 'x'));
            ::kill(::getpid(), signal);
            WaitForTheEnd();
        });
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"picture.png"}));
        EXPECT_EQ(ReadFileBytes(target), "old bytes");
    }
}

TEST(FileNames, SignalAfterTheSaveKeepsTheSavedFileAndIgnoredSignalsStayIgnored) {
    TempDir dir;
    const std::string target = dir / "text.txt";
    int status = InChild([&] {
        std::signal(SIGTERM, SIG_DFL);
        TakeEndingSignals();
        WriteWholeFile(target, "new");
        ::kill(::getpid(), SIGTERM);
        WaitForTheEnd();
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"text.txt"}));
    EXPECT_EQ(ReadFileBytes(target), "new");

    // A program started with SIGHUP ignored (nohup) keeps running and saving.
    status = InChild([&] {
        std::signal(SIGHUP, SIG_IGN);
        TakeEndingSignals();
        OutputFile file(target);
        file.Write("after hang-up");
        ::kill(::getpid(), SIGHUP);
        file.Close();
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFileBytes(target), "after hang-up");
}

} // namespace
} // namespace sorvak
