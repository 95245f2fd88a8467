// Files copied in a file manager, as a user meets them: another program owns
// the clipboard in each file manager's form, the real program lists the
// paths, and its buttons are pressed with the pointer.
#include "tests/e2e/Session.h"
#include "tests/support/Locales.h"

#include <gtest/gtest.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;

namespace {

constexpr int ButtonY = FileListButtonY;
constexpr int CopyX = FileListCopyX;
constexpr int SaveX = FileListSaveX;
constexpr int CloseX = FileListCloseX;

struct Offer {
    const char* name;
    std::vector<std::pair<std::string, std::string>> formats;
};

// Two paths: one with spaces, one with Japanese characters (in URIs as
// percent escapes of their UTF-8 bytes).
const std::string SpacePath = "/home/u/My Files/a b.txt";
const std::string JapanesePath = "/home/u/写真/日本語.txt";
const std::string SpaceUri = "file:///home/u/My%20Files/a%20b.txt";
const std::string JapaneseUri = "file:///home/u/%E5%86%99%E7%9C%9F/%E6%97%A5%E6%9C%AC%E8%AA%9E.txt";
const std::string PlainPaths = SpacePath + "\n" + JapanesePath;

std::vector<Offer> FileManagerOffers() {
    const std::string copied = "copy\n" + SpaceUri + "\n" + JapaneseUri;
    return {
        {"gnome", {{"x-special/gnome-copied-files", copied}, {"text", PlainPaths}}},
        {"mate", {{"x-special/mate-copied-files", copied}, {"text", PlainPaths}}},
        {"uri list",
         {{"text/uri-list", SpaceUri + "\r\n" + JapaneseUri + "\r\n"}, {"text", PlainPaths}}},
        {"nautilus text", {{"text", "x-special/nautilus-clipboard\n" + copied + "\n"}}},
    };
}

std::string IniWithListFolder(const std::string& folder) {
    return "[FilePathSaveDialog]\r\nInitialDir=" + folder + "\r\n\r\n";
}

} // namespace

TEST(FileListRoad, WindowListsThePathsAndCopiesThemForTheNextProgram) {
    Session session;
    for (const Offer& offer : FileManagerOffers()) {
        SCOPED_TRACE(offer.name);
        session.OwnClipboard(offer.formats);
        session.StartProgram();
        const std::string window = session.WaitForWindow(FileListTitle);
        ASSERT_FALSE(window.empty());
        session.Click(window, CopyX, ButtonY);
        session.Click(window, CloseX, ButtonY);
        ASSERT_EQ(session.WaitForExit(), 0);
        // The program has ended; another program pastes what it copied.
        EXPECT_EQ(session.ReadClipboardText(), SpacePath + "\n" + JapanesePath + "\n");
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()), "");
    }
}

TEST(FileListRoad, SaveWritesTheTextBoxAndTheNextRunOpensInItsFolder) {
    Session session;
    const fs::path folder = session.WorkDir() / "lists";
    fs::create_directories(folder);
    const fs::path first = folder / "first.txt";
    const fs::path existing = folder / "existing.txt";
    WriteFileBytes(existing, "an older and longer file that is replaced\r\n");
    session.OwnClipboard(FileManagerOffers()[0].formats);
    session.StartProgram();
    std::string window = session.WaitForWindow(FileListTitle);
    ASSERT_FALSE(window.empty());

    session.Click(window, SaveX, ButtonY);
    ASSERT_FALSE(session.WaitForWindow(FileListDialogTitle).empty());
    session.Type(first.string());
    session.Key("Return");
    ASSERT_TRUE(session.WaitForWindowGone(FileListDialogTitle));
    // The window stays; edit the text, then save it over an existing file,
    // which is replaced without a question.
    window = session.WaitForWindow(FileListTitle);
    ASSERT_FALSE(window.empty());
    session.Click(window, 100, 80);
    session.Key("ctrl+End");
    session.Type("/edited by hand");
    session.Click(window, SaveX, ButtonY);
    ASSERT_FALSE(session.WaitForWindow(FileListDialogTitle).empty());
    session.Type(existing.string());
    session.Key("Return");
    ASSERT_TRUE(session.WaitForWindowGone(FileListDialogTitle));
    window = session.WaitForWindow(FileListTitle);
    ASSERT_FALSE(window.empty());
    session.Click(window, CloseX, ButtonY);
    ASSERT_EQ(session.WaitForExit(), 0);

    const std::string listed = SpacePath + "\r\n" + JapanesePath + "\r\n";
    EXPECT_EQ(ReadFileBytes(first), listed);
    EXPECT_EQ(ReadFileBytes(existing), listed + "/edited by hand");
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), IniWithListFolder(folder.string()));

    // A bare name lands in the remembered folder.
    session.OwnClipboard(FileManagerOffers()[2].formats);
    session.StartProgram();
    window = session.WaitForWindow(FileListTitle);
    ASSERT_FALSE(window.empty());
    session.Click(window, SaveX, ButtonY);
    ASSERT_FALSE(session.WaitForWindow(FileListDialogTitle).empty());
    session.Type("third.txt");
    session.Key("Return");
    ASSERT_TRUE(session.WaitForWindowGone(FileListDialogTitle));
    window = session.WaitForWindow(FileListTitle);
    ASSERT_FALSE(window.empty());
    session.Click(window, CloseX, ButtonY);
    ASSERT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "third.txt"), listed);
}

TEST(FileListRoad, ShiftJisLocaleListsCodePage932Bytes) {
    if (!sorvak::test::LocaleLoads("ja_JP.SJIS"))
        GTEST_SKIP() << "no Shift_JIS locale";
    Session session;
    // "é" has no code page 932 form: the name keeps its place with "?".
    session.OwnClipboard(
        {{"x-special/gnome-copied-files", "copy\n" + JapaneseUri + "\nfile:///tmp/caf%C3%A9%20x"}});
    session.StartProgram({{"LANG", "ja_JP.SJIS"}, {"LC_ALL", "ja_JP.SJIS"}});
    std::string window = session.WaitForWindow(FileListTitle);
    ASSERT_FALSE(window.empty());
    session.Click(window, CopyX, ButtonY);
    session.Click(window, SaveX, ButtonY);
    ASSERT_FALSE(session.WaitForWindow(FileListDialogTitle).empty());
    const fs::path saved = session.WorkDir() / "sjis.txt";
    session.Type(saved.string());
    session.Key("Return");
    ASSERT_TRUE(session.WaitForWindowGone(FileListDialogTitle));
    window = session.WaitForWindow(FileListTitle);
    ASSERT_FALSE(window.empty());
    session.Click(window, CloseX, ButtonY);
    ASSERT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(saved),
              "/home/u/\x8E\xCA\x90\x5E/\x93\xFA\x96\x7B\x8C\xEA.txt\r\n/tmp/caf? x\r\n");
    EXPECT_EQ(session.ReadClipboardText(), JapanesePath + "\n/tmp/caf? x\n");
}
