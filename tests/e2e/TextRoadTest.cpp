// The text road as a user meets it: text on the clipboard of another
// program, the real program, keystrokes into the real dialog.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;

namespace {

std::string IniWithTextFolder(const std::string& folder) {
    return "[TextSaveDialog]\r\nInitialDir=" + folder + "\r\n\r\n";
}

} // namespace

TEST(TextRoad, FileHoldsTheTextWithCrLfAfterEveryLine) {
    struct Case {
        const char* name;
        std::string clipboard;
        std::string file;
    } cases[] = {
        {"lf", "a\nb", "a\r\nb\r\n"},
        {"cr", "a\rb\r", "a\r\nb\r\n"},
        {"crlf", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"lfcr", "a\n\rb", "a\r\n\r\nb\r\n"},
        {"tab", "a\tb\fc", "a\tb\fc\r\n"},
        {"japanese", "日本語のテキスト\n二行目", "日本語のテキスト\r\n二行目\r\n"},
        {"nofinalbreak", "last line", "last line\r\n"},
        {"onlylf", "\n", "\r\n"},
    };
    Session session;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session.OwnClipboard({{"text", c.clipboard}});
        const fs::path target = session.WorkDir() / (std::string(c.name) + ".txt");
        ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, target.string()), 0);
        EXPECT_EQ(ReadFileBytes(target), c.file);
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()),
                  IniWithTextFolder(session.WorkDir().string()));
    }
}

TEST(TextRoad, SecondRunOpensInTheRememberedFolder) {
    Session session;
    const fs::path folder = session.WorkDir() / "remembered";
    fs::create_directories(folder);
    session.OwnClipboard({{"text", "first"}});
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, (folder / "first.txt").string()), 0);
    // A bare name lands in the folder the dialog opened in.
    session.OwnClipboard({{"text", "second"}});
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, "second.txt"), 0);
    EXPECT_EQ(ReadFileBytes(folder / "second.txt"), "second\r\n");
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), IniWithTextFolder(folder.string()));
}

TEST(TextRoad, CancelWritesNoFileAndKeepsTheSettings) {
    Session session;
    const std::string settings =
        "[PictureDialog]\r\nSavePicMode=3\r\n\r\n" + IniWithTextFolder(session.WorkDir());
    WriteFileBytes(session.SettingsPath(), settings);
    session.OwnClipboard({{"text", "unsaved"}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());
    session.Key("Escape");
    ASSERT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), settings);
    EXPECT_TRUE(fs::is_empty(session.WorkDir()));
}

TEST(TextRoad, EmptyClipboardShowsTheInformationBox) {
    Session session;
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow("^情報$").empty());
    session.Key("Return");
    EXPECT_EQ(session.WaitForExit(), 0);
    // Nothing but the settings file, empty since nothing was stored.
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), "");
    EXPECT_TRUE(fs::is_empty(session.WorkDir()));
}

TEST(TextRoad, FileThatCannotBeCreatedShowsTheErrorBox) {
    Session session;
    const std::string settings = IniWithTextFolder(session.WorkDir());
    WriteFileBytes(session.SettingsPath(), settings);
    session.OwnClipboard({{"text", "lost?"}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());
    // Even root cannot create files in /proc.
    session.Type("/proc/sorvak-cannot-create.txt");
    session.Key("Return");
    ASSERT_FALSE(session.WaitForWindow("^Sorvak$").empty());
    session.Key("Return");
    EXPECT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), settings);
}

TEST(TextRoad, FileManagerCopyDoesNotReachTheTextRoad) {
    Session session;
    const std::string uris = "file:///etc/hosts\r\nfile:///tmp/a%20b\r\n";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> formats;
    } cases[] = {
        {"uri-list with text", {{"text/uri-list", uris}, {"text", "/etc/hosts\n/tmp/a b"}}},
        {"gnome",
         {{"x-special/gnome-copied-files", "copy\nfile:///etc/hosts"}, {"text", "/etc/hosts"}}},
        {"nautilus text", {{"text", "x-special/nautilus-clipboard\ncopy\nfile:///etc/hosts\n"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session.OwnClipboard(c.formats);
        session.StartProgram();
        EXPECT_TRUE(session.WaitForWindow(TextDialogTitle, 3000).empty());
        // The file list window came instead; its close button ends the run.
        const std::string window = session.WaitForWindow(FileListTitle);
        ASSERT_FALSE(window.empty());
        session.Click(window, 425 + 37, 180 + 12);
        EXPECT_EQ(session.WaitForExit(), 0);
    }
}
