// File names, folders and messages as users in other locales meet them: the
// name the dialog lists is the file the program writes, remembered folders
// open again, error texts read right; long paths; saves ended by a signal.
#include "base/CodePage.h"
#include "tests/e2e/Session.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <clocale>
#include <csignal>
#include <sstream>
#include <thread>

using namespace sorvak::e2e;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
namespace codepage = sorvak::codepage;
using sorvak::test::Entries;

namespace {

const std::string JapaneseFolder = "日本語フォルダ";
const std::string ProposedPng = "Image（640×480）.png";

// Whether the C library can load the locale, as the program will ask it.
bool LocaleLoads(const char* name) {
    const std::string old = std::setlocale(LC_ALL, nullptr);
    const bool loads = std::setlocale(LC_ALL, name) != nullptr;
    std::setlocale(LC_ALL, old.c_str());
    return loads;
}

std::map<std::string, std::string> LocaleEnvironment(const std::string& locale) {
    return {{"LANG", locale}, {"LC_ALL", locale}};
}

// The bytes the program keeps a name in under the locale.
std::string InLocale(const std::string& utf8, const std::string& locale) {
    return locale.find("SJIS") != std::string::npos ? codepage::FromUtf8(utf8, codepage::ShiftJis)
                                                    : utf8;
}

std::string Picture(Session& session, const std::string& size, const std::string& fill) {
    return RunCommand({"convert", "-size", size, fill, "png:-"}, session.Environment(), 120s)
        .Output;
}

std::vector<std::string> VisibleWindows(Session& session) {
    std::istringstream found(RunCommand({"xdotool", "search", "--onlyvisible", "--class", "."},
                                        session.Environment(), 5s)
                                 .Output);
    std::vector<std::string> windows;
    for (std::string window; std::getline(found, window);)
        if (!window.empty())
            windows.push_back(window);
    return windows;
}

std::string WindowTitle(Session& session, const std::string& window) {
    const std::string shown =
        RunCommand({"xprop", "-id", window, "_NET_WM_NAME"}, session.Environment(), 5s).Output;
    const std::size_t open = shown.find('"');
    const std::size_t close = shown.rfind('"');
    return open != std::string::npos && close > open ? shown.substr(open + 1, close - open - 1)
                                                     : std::string();
}

// A second window besides the dialog (the overwrite question or an error
// box), given the focus; empty when none comes.
std::string WaitForSecondWindow(Session& session, const std::string& dialog) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        for (const std::string& window : VisibleWindows(session))
            if (window != dialog) {
                RunCommand({"xdotool", "mousemove", "0", "0", "windowfocus", "--sync", window},
                           session.Environment(), 10s);
                std::this_thread::sleep_for(150ms);
                return window;
            }
        std::this_thread::sleep_for(50ms);
    }
    return std::string();
}

// The text of the focused message box, as its Ctrl+C copies it.
std::string CopyBoxText(Session& session) {
    const std::string before = session.ReadClipboardText();
    std::string copied = before;
    for (int attempt = 0; attempt < 10 && copied == before; ++attempt) {
        session.Key("ctrl+c");
        copied = session.ReadClipboardText();
    }
    return copied;
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    // The first row of the file list (its date column, right of the side bar).
    std::pair<int, int> FirstRow() const { return {x + width - 100, y + 68}; }
    std::pair<int, int> Preview() const { return {x + 100, y + height - 60}; }
};

Geometry GeometryOf(Session& session, const std::string& window) {
    std::istringstream shell(
        RunCommand({"xdotool", "getwindowgeometry", "--shell", window}, session.Environment())
            .Output);
    Geometry g;
    for (std::string line; std::getline(shell, line);) {
        const std::string value = line.substr(line.find('=') + 1);
        if (line.starts_with("X="))
            g.x = std::stoi(value);
        else if (line.starts_with("Y="))
            g.y = std::stoi(value);
        else if (line.starts_with("WIDTH="))
            g.width = std::stoi(value);
        else if (line.starts_with("HEIGHT="))
            g.height = std::stoi(value);
    }
    return g;
}

void ClickAt(Session& session, std::pair<int, int> at) {
    RunCommand(
        {"xdotool", "mousemove", std::to_string(at.first), std::to_string(at.second), "click", "1"},
        session.Environment());
    RunCommand({"xdotool", "mousemove", "0", "0"}, session.Environment());
}

// The preview after clicks on the first row: the list fills in after the
// dialog shows, so clicks repeat, never fast enough to make a double-click.
std::string PreviewOfFirstRow(Session& session, const Geometry& places,
                              const std::string& untilNot) {
    std::string shown;
    for (int attempt = 0; attempt < 20; ++attempt) {
        ClickAt(session, places.FirstRow());
        ClickAt(session, places.Preview());
        session.Key("ctrl+a");
        session.Key("ctrl+c");
        shown = session.ReadClipboardText();
        if (shown != untilNot)
            break;
        std::this_thread::sleep_for(700ms);
    }
    return shown;
}

std::string TextIni(const std::string& folderBytes) {
    return "[TextSaveDialog]\r\nInitialDir=" + folderBytes + "\r\n\r\n";
}

std::string PictureIni(const std::string& folderBytes) {
    return "[PictureDialog]\r\nSavePicMode=3\r\nInitialDir=" + folderBytes + "\r\n\r\n";
}

std::string IniValue(const std::string& ini, const std::string& key) {
    const std::size_t at = ini.find(key + "=");
    if (at == std::string::npos)
        return std::string();
    const std::size_t begin = at + key.size() + 1;
    return ini.substr(begin, ini.find("\r\n", begin) - begin);
}

class LocaleRoad : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!LocaleLoads(GetParam()))
            GTEST_SKIP() << "locale " << GetParam()
                         << " cannot be loaded: run scripts/deps.sh test";
    }
    std::string Locale() const { return GetParam(); }
};

TEST_P(LocaleRoad, ExistingProposedPictureNameBringsTheOverwriteQuestion) {
    Session session;
    const fs::path work = session.WorkDir();
    const std::string red = Picture(session, "640x480", "xc:red");
    const std::string blue = Picture(session, "640x480", "xc:blue");
    ASSERT_EQ(red.substr(0, 4), "\x89PNG");

    // The first save writes the name the dialog will list.
    WriteFileBytes(session.SettingsPath(), PictureIni(InLocale(work.string(), Locale())));
    session.OwnClipboard({{"image/png", red}});
    session.StartProgram(LocaleEnvironment(Locale()));
    ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(), 0);
    ASSERT_EQ(Entries(work), (std::vector<std::string>{ProposedPng}));
    const std::string first = ReadFileBytes(work / ProposedPng);

    // Another picture of that size: the same name, so the question comes.
    session.OwnClipboard({{"image/png", blue}});
    session.StartProgram(LocaleEnvironment(Locale()));
    const std::string dialog = session.WaitForWindow(PictureDialogTitle);
    ASSERT_FALSE(dialog.empty());
    session.Key("Return");
    const std::string question = WaitForSecondWindow(session, dialog);
    ASSERT_FALSE(question.empty()) << "no overwrite question";
    EXPECT_EQ(WindowTitle(session, question), PictureDialogTitle);
    session.Key("alt+y");
    EXPECT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(Entries(work), (std::vector<std::string>{ProposedPng}));
    EXPECT_NE(ReadFileBytes(work / ProposedPng), first);
}

TEST_P(LocaleRoad, JapaneseFolderIsPreviewedSavedIntoRememberedAndReopened) {
    Session session;
    const fs::path folder = session.WorkDir() / JapaneseFolder;
    fs::create_directories(folder);
    WriteFileBytes(folder / "テスト.txt", "preview text");
    // Remembered as this program writes it in the locale (Shift_JIS bytes
    // under ja_JP.SJIS).
    const std::string remembered = InLocale(folder.string(), Locale());
    WriteFileBytes(session.SettingsPath(), TextIni(remembered));
    session.OwnClipboard({{"text", "clip"}});

    session.StartProgram(LocaleEnvironment(Locale()));
    const std::string dialog = session.WaitForWindow(TextDialogTitle);
    ASSERT_FALSE(dialog.empty());
    EXPECT_EQ(PreviewOfFirstRow(session, GeometryOf(session, dialog), "clip"), "preview text");
    session.Key("Escape");
    ASSERT_EQ(session.WaitForExit(), 0);

    // A bare name is saved into the folder, which is remembered. (Copying
    // the preview took the clipboard: it is offered again.)
    session.OwnClipboard({{"text", "clip"}});
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, "saved.txt", LocaleEnvironment(Locale())),
              0);
    EXPECT_EQ(ReadFileBytes(folder / "saved.txt"), "clip\r\n");
    EXPECT_EQ(IniValue(ReadFileBytes(session.SettingsPath()), "InitialDir"), remembered);

    // The next run opens there again: a bare name lands in the folder.
    session.OwnClipboard({{"text", "again"}});
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, "again.txt", LocaleEnvironment(Locale())),
              0);
    EXPECT_EQ(ReadFileBytes(folder / "again.txt"), "again\r\n");
    EXPECT_EQ(Entries(session.WorkDir()), (std::vector<std::string>{JapaneseFolder}));
}

TEST_P(LocaleRoad, FolderRememberedByAUtf8RunOpens) {
    // A run in a UTF-8 locale wrote UTF-8 bytes; they are tried as they are
    // where the locale reads them otherwise.
    Session session;
    const fs::path folder = session.WorkDir() / JapaneseFolder;
    fs::create_directories(folder);
    WriteFileBytes(session.SettingsPath(), TextIni(folder.string()));
    session.OwnClipboard({{"text", "utf8"}});
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, "here.txt", LocaleEnvironment(Locale())),
              0);
    EXPECT_EQ(ReadFileBytes(folder / "here.txt"), "utf8\r\n");
}

TEST_P(LocaleRoad, FileThatCannotBeOpenedGivesAReadableBox) {
    // Root reads any file its mode forbids; this one refuses even root.
    const fs::path refusing = "/proc/sys/vm/compact_memory";
    if (!fs::exists(refusing) || !ReadFileBytes(refusing).empty())
        GTEST_SKIP() << refusing << " is missing or readable: no unreadable file to show";
    Session session;
    const fs::path folder = session.WorkDir() / JapaneseFolder;
    fs::create_directories(folder);
    fs::create_symlink(refusing, folder / "noread.txt");
    WriteFileBytes(session.SettingsPath(), TextIni(InLocale(folder.string(), Locale())));
    session.OwnClipboard({{"text", "clip"}});
    session.StartProgram(LocaleEnvironment(Locale()));
    const std::string dialog = session.WaitForWindow(TextDialogTitle);
    ASSERT_FALSE(dialog.empty());
    const Geometry places = GeometryOf(session, dialog);
    std::string box;
    for (int attempt = 0; attempt < 20 && box.empty(); ++attempt) {
        ClickAt(session, places.FirstRow());
        box = session.WaitForWindow("^Sorvak$", 1500);
    }
    ASSERT_FALSE(box.empty()) << "no error box";
    const std::string text = CopyBoxText(session);
    EXPECT_NE(text.find("ファイル \"" + (folder / "noread.txt").string() + "\". "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(" は開けません."), std::string::npos) << text;
    EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << text; // no U+FFFD
    session.Key("Return");
    ASSERT_TRUE(session.WaitForWindowGone("^Sorvak$"));
    session.WaitForWindow(TextDialogTitle);
    session.Key("Escape");
    EXPECT_EQ(session.WaitForExit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleRoad, ::testing::Values("ja_JP.SJIS", "ja_JP.UTF-8"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !std::isalnum(c); },
                                 '_');
                             return name;
                         });

TEST(SingleByteLocale, ReturnOnTheProposedNameWritesThePicture) {
    if (!LocaleLoads("en_US.ISO-8859-1"))
        GTEST_SKIP() << "locale en_US.ISO-8859-1 cannot be loaded: run scripts/deps.sh test";
    Session session;
    const fs::path work = session.WorkDir();
    WriteFileBytes(session.SettingsPath(), PictureIni(work.string()));
    session.OwnClipboard({{"image/png", Picture(session, "640x480", "xc:green")}});
    session.StartProgram(LocaleEnvironment("en_US.ISO-8859-1"));
    // An English session: the title in English, as the character set holds it.
    ASSERT_FALSE(session.WaitForWindow("^Save Clipboard Picture As$").empty());
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(), 0);
    ASSERT_EQ(Entries(work), (std::vector<std::string>{"Image(640x480).png"}));
    const std::string png = ReadFileBytes(work / "Image(640x480).png");
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xE0", 8)); // 640 x 480
}

TEST(PathLimits, LongPathIsSavedAndTooLongNameIsRefusedInTheDialog) {
    Session session;
    // About 300 bytes in all, each name well within the system's 255.
    fs::path folder = session.WorkDir();
    for (char c : {'a', 'b'})
        folder /= std::string(140, c);
    fs::create_directories(folder);
    const fs::path target = folder / "long.txt";
    ASSERT_GT(target.string().size(), 300u);
    session.OwnClipboard({{"text", "long"}});
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, target.string()), 0);
    EXPECT_EQ(ReadFileBytes(target), "long\r\n");

    // One name of 256 bytes: the box, and the dialog stays for another name.
    const std::string tooLong = std::string(252, 'n') + ".txt";
    session.OwnClipboard({{"text", "short"}});
    session.StartProgram();
    const std::string dialog = session.WaitForWindow(TextDialogTitle);
    ASSERT_FALSE(dialog.empty());
    session.Type((session.WorkDir() / tooLong).string());
    session.Key("Return");
    ASSERT_FALSE(session.WaitForWindow("^Sorvak$").empty());
    const std::string text = CopyBoxText(session);
    EXPECT_NE(text.find("ファイル名が長すぎます."), std::string::npos) << text;
    session.Key("Return");
    ASSERT_TRUE(session.WaitForWindowGone("^Sorvak$"));
    ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());
    session.Key("ctrl+a");
    session.Type((session.WorkDir() / "short.txt").string());
    session.Key("Return");
    EXPECT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(session.WorkDir() / "short.txt"), "short\r\n");
}

TEST(EndedBySignal, LargePngWriteLeavesTheTargetAsItWasAndNothingBeside) {
    Session session;
    const fs::path work = session.WorkDir();
    const std::string picture = Picture(session, "4000x3000", "gradient:red-blue");
    ASSERT_EQ(picture.substr(0, 4), "\x89PNG");
    const fs::path target = work / "target.png";
    const std::string settings = PictureIni(work.string());
    session.OwnClipboard({{"image/png", picture}});
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        WriteFileBytes(target, "old bytes");
        WriteFileBytes(session.SettingsPath(), settings);
        // As from a terminal: the signals keep their default actions, even
        // where the test runner's shell ignores some of them.
        Process::Options options;
        options.Environment = session.Environment();
        options.WorkingDirectory = work.string();
        Process program(
            {"env", "--default-signal=INT,HUP,TERM", (session.ProgramDir() / "sorvak").string()},
            options);
        const std::string dialog = session.WaitForWindow(PictureDialogTitle);
        ASSERT_FALSE(dialog.empty());
        session.Type(target.string());
        session.Key("Return");
        ASSERT_FALSE(WaitForSecondWindow(session, dialog).empty()) << "no overwrite question";
        session.Key("alt+y");
        // The write has begun once its new file is beside the target.
        bool writing = false;
        for (auto end = std::chrono::steady_clock::now() + 30s;
             !writing && std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(5ms))
            for (const std::string& name : Entries(work))
                writing = writing || name.starts_with(".target.png.");
        ASSERT_TRUE(writing) << "the write never began";
        // At once: on an idle machine the whole write takes little longer
        // than a poll.
        ASSERT_TRUE(program.Running()) << "the write ended before the signal";
        ::kill(program.Pid(), signal);
        EXPECT_EQ(program.Wait(20s), 128 + signal);
        EXPECT_EQ(Entries(work), (std::vector<std::string>{"target.png"}));
        EXPECT_EQ(ReadFileBytes(target), "old bytes");
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()), settings);
    }
}

} // namespace
