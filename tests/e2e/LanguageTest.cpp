// The program in an English and a German session: its own texts in English.
// With SORVAK_SCREENSHOT_DIR set, each window is also photographed there
// (the README's English screenshots).
#include "tests/e2e/Session.h"
#include "tests/support/Locales.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

using namespace sorvak::e2e;
using sorvak::test::LocaleLoads;
namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

std::map<std::string, std::string> SessionIn(const char* locale) {
    return {{"LANG", locale}, {"LC_ALL", locale}, {"LANGUAGE", ""}};
}

void Photograph(Session& session, const std::string& window, const char* name) {
    const char* folder = std::getenv("SORVAK_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0')
        return;
    std::this_thread::sleep_for(1s); // the window's first paint
    const fs::path file = fs::path(folder) / name;
    RunCommand({"import", "-window", window, file.string()}, session.Environment(), 30s);
    EXPECT_TRUE(fs::exists(file)) << file;
}

// The window's width and height.
std::pair<int, int> WindowSize(Session& session, const std::string& window) {
    const std::string shell =
        RunCommand({"xdotool", "getwindowgeometry", "--shell", window}, session.Environment())
            .Output;
    auto value = [&](const char* key) {
        const std::size_t at = shell.find(key);
        return at == std::string::npos ? 0 : std::atoi(shell.c_str() + at + std::strlen(key));
    };
    return {value("WIDTH="), value("HEIGHT=")};
}

class EnglishSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!LocaleLoads(Locale))
            GTEST_SKIP() << "locale " << Locale << " cannot be loaded: run scripts/deps.sh test";
        folder_ = session_.WorkDir() / "folder";
        fs::create_directories(folder_);
    }

    static constexpr const char* Locale = "en_US.UTF-8";
    Session session_;
    fs::path folder_;
};

TEST_F(EnglishSession, TextDialogAndErrorBox) {
    WriteFileBytes(folder_ / "notes.txt", "Sorvak saves the clipboard.\r\n");
    WriteFileBytes(session_.SettingsPath(),
                   "[TextSaveDialog]\r\nInitialDir=" + folder_.string() + "\r\n");
    session_.OwnClipboard({{"text", "from the clipboard"}});
    session_.StartProgram(SessionIn(Locale));
    const std::string window = session_.WaitForWindow("^Save Clipboard Text As$");
    ASSERT_FALSE(window.empty());
    // The file in the folder, selected, shows in the preview.
    const auto [width, height] = WindowSize(session_, window);
    session_.Click(window, width - 100, 68);
    Photograph(session_, window, "en-text-dialog.png");
    session_.Click(window, 300, height - 222); // the name field
    session_.Key("ctrl+a");
    // Even root cannot create files in /proc.
    session_.Type("/proc/sorvak-cannot-create.txt");
    session_.Key("Return");
    const std::string box = session_.WaitForWindow("^Sorvak$");
    ASSERT_FALSE(box.empty()) << "no error box";
    Photograph(session_, box, "en-error-box.png");
    session_.Key("Return");
    EXPECT_EQ(session_.WaitForExit(), 0);
}

TEST_F(EnglishSession, PictureDialog) {
    WriteFileBytes(session_.SettingsPath(),
                   "[PictureDialog]\r\nSavePicMode=3\r\nInitialDir=" + folder_.string() + "\r\n");
    const std::string png =
        RunCommand({"convert", "-size", "160x120", "gradient:#3070c0-#f0c040", "png:-"},
                   session_.Environment(), 20s)
            .Output;
    ASSERT_FALSE(png.empty());
    WriteFileBytes(folder_ / "gradient.png", png);
    session_.OwnClipboard({{"image/png", png}});
    session_.StartProgram(SessionIn(Locale));
    const std::string window = session_.WaitForWindow("^Save Clipboard Picture As$");
    ASSERT_FALSE(window.empty());
    // The picture in the folder, selected, fills the pane.
    session_.Click(window, 250, 68);
    Photograph(session_, window, "en-picture-dialog.png");
    session_.Key("Escape");
    EXPECT_EQ(session_.WaitForExit(), 0);
}

TEST_F(EnglishSession, FileListWindowAndInformationBox) {
    session_.OwnClipboard({{"text/uri-list", "file:///home/user/report.odt\r\n"
                                             "file:///home/user/pictures/holiday.jpg\r\n"},
                           {"text", "/home/user/report.odt\n/home/user/pictures/holiday.jpg"}});
    session_.StartProgram(SessionIn(Locale));
    const std::string window = session_.WaitForWindow("^Copied Files$");
    ASSERT_FALSE(window.empty());
    Photograph(session_, window, "en-file-list.png");
    session_.Click(window, 425 + 37, 180 + 12); // Close
    EXPECT_EQ(session_.WaitForExit(), 0);

    session_.DropClipboard();
    session_.StartProgram(SessionIn(Locale));
    ASSERT_FALSE(session_.WaitForWindow("^Information$").empty());
    session_.Key("Return");
    EXPECT_EQ(session_.WaitForExit(), 0);
}

// A character set without Japanese: the titles and the error box still read
// in English (the texts are translated before they meet the code page).
TEST(SingleByteEnglishSession, TitleAndErrorBox) {
    const char* locale = "en_US.ISO-8859-1";
    if (!LocaleLoads(locale))
        GTEST_SKIP() << "locale " << locale << " cannot be loaded: run scripts/deps.sh test";
    Session session;
    session.OwnClipboard({{"text", "from the clipboard"}});
    session.StartProgram(SessionIn(locale));
    ASSERT_FALSE(session.WaitForWindow("^Save Clipboard Text As$").empty());
    session.Key("ctrl+a");
    session.Type("/proc/sorvak-cannot-create.txt");
    session.Key("Return");
    ASSERT_FALSE(session.WaitForWindow("^Sorvak$").empty()) << "no error box";
    // The box as its Ctrl+C copies it: caption, text, buttons.
    const std::string before = session.ReadClipboardText();
    std::string box = before;
    for (int attempt = 0; attempt < 10 && box == before; ++attempt) {
        session.Key("ctrl+c");
        box = session.ReadClipboardText();
    }
    EXPECT_NE(box.find("\nCannot create file \"/proc/sorvak-cannot-create.txt\". "),
              std::string::npos)
        << box;
    EXPECT_NE(box.find("\nOK "), std::string::npos) << box;
    EXPECT_EQ(box.find('?'), std::string::npos) << box;
    session.Key("Return");
    EXPECT_EQ(session.WaitForExit(), 0);
}

// Qt's own labels follow the German session (checked in the widget tests);
// the program's texts, without a German catalogue, are English.
TEST(GermanSession, TitlesAreEnglish) {
    if (!LocaleLoads("de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 cannot be loaded: run scripts/deps.sh test";
    Session session;
    session.OwnClipboard({{"text", "Zwischenablage"}});
    session.StartProgram(SessionIn("de_DE.UTF-8"));
    ASSERT_FALSE(session.WaitForWindow("^Save Clipboard Text As$").empty());
    session.Key("Escape");
    EXPECT_EQ(session.WaitForExit(), 0);
}

} // namespace
