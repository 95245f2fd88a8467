// Saved files and the settings file survive full disks, odd settings files,
// two copies running at once and a program folder nobody may write.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sstream>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

using namespace sorvak::e2e;
using namespace std::chrono_literals;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// A small tmpfs over a folder, as root only; unmounted when it goes, even
// while a program still runs from it.
class Tmpfs {
public:
    Tmpfs(const fs::path& at, std::uintmax_t bytes) : at_(at) {
        fs::create_directories(at_);
        const std::string options = "size=" + std::to_string(bytes);
        mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~Tmpfs() {
        if (mounted_)
            ::umount2(at_.c_str(), MNT_DETACH);
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool Mounted() const { return mounted_; }
    // Takes every free byte, so that the next write to any file fails.
    void Fill() {
        const int fd = ::open((at_ / "fill").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const std::string zeros(65536, '\0');
        while (::write(fd, zeros.data(), zeros.size()) > 0) {
        }
        EXPECT_EQ(errno, ENOSPC);
        ::close(fd);
    }
    void MakeReadOnly() {
        ASSERT_EQ(::mount(nullptr, at_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    }

private:
    fs::path at_;
    bool mounted_ = false;
};

using sorvak::test::Entries;

fs::path BuiltProgram() {
    return fs::path(SORVAK_BINARY_DIR) / "app" / "sorvak";
}

// A tmpfs over the program's folder with the program copied in, so that its
// settings file lives there.
std::unique_ptr<Tmpfs> ProgramOnTmpfs(Session& session) {
    auto disk = std::make_unique<Tmpfs>(session.ProgramDir(),
                                        fs::file_size(BuiltProgram()) + (std::uintmax_t(1) << 20));
    if (disk->Mounted())
        fs::copy_file(BuiltProgram(), session.ProgramDir() / "sorvak");
    return disk;
}

std::string TextIni(const fs::path& folder) {
    return "[TextSaveDialog]\r\nInitialDir=" + folder.string() + "\r\n\r\n";
}

std::string PictureIni(int mode, const fs::path& folder) {
    return "[PictureDialog]\r\nSavePicMode=" + std::to_string(mode) +
           "\r\nInitialDir=" + folder.string() + "\r\n\r\n";
}

std::string SmallPng(Session& session) {
    return RunCommand({"convert", "-size", "23x17", "gradient:red-blue", "png:-"},
                      session.Environment(), 20s)
        .Output;
}

// The overwrite question carries the dialog's caption: waits for a second
// window of that caption, gives it the focus and answers yes.
bool ConfirmOverwrite(Session& session, const std::string& title, const std::string& dialog) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        const RunResult found = RunCommand({"xdotool", "search", "--onlyvisible", "--name", title},
                                           session.Environment(), 5s);
        std::istringstream windows(found.Output);
        for (std::string window; std::getline(windows, window);) {
            if (window.empty() || window == dialog)
                continue;
            RunCommand({"xdotool", "mousemove", "0", "0", "windowfocus", "--sync", window},
                       session.Environment(), 10s);
            std::this_thread::sleep_for(150ms);
            session.Key("alt+y");
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

constexpr const char* NotMountable = "needs root to mount a tmpfs";

} // namespace

TEST(DurableFiles, ReplacingAFileOnAFullDiskShowsTheWriteErrorAndKeepsTheOldFile) {
    Session session;
    Tmpfs disk(session.WorkDir() / "full", 1 << 20);
    if (!disk.Mounted())
        GTEST_SKIP() << NotMountable;
    const std::string png = SmallPng(session);
    ASSERT_EQ(png.substr(0, 4), "\x89PNG");
    struct Case {
        const char* name;
        std::pair<std::string, std::string> clipboard;
        const char* title;
        std::string settings;
    } cases[] = {
        {"old.txt",
         {"text", std::string(100000, 'x')},
         TextDialogTitle,
         TextIni(session.WorkDir())},
        {"old.png", {"image/png", png}, PictureDialogTitle, PictureIni(3, session.WorkDir())},
    };
    for (const Case& c : cases)
        WriteFileBytes(session.WorkDir() / "full" / c.name, "old bytes of "s + c.name);
    disk.Fill();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(session.SettingsPath(), c.settings);
        session.OwnClipboard({c.clipboard});
        session.StartProgram();
        const std::string dialog = session.WaitForWindow(c.title);
        ASSERT_FALSE(dialog.empty());
        session.Type((session.WorkDir() / "full" / c.name).string());
        session.Key("Return");
        ASSERT_TRUE(ConfirmOverwrite(session, std::string("^") + c.title + "$", dialog));
        ASSERT_FALSE(session.WaitForWindow("^Sorvak$").empty());
        session.Key("Return");
        EXPECT_EQ(session.WaitForExit(), 0);
        EXPECT_EQ(ReadFileBytes(session.WorkDir() / "full" / c.name), "old bytes of "s + c.name);
        // An abandoned export remembers nothing.
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()), c.settings);
    }
    EXPECT_EQ(Entries(session.WorkDir() / "full"),
              (std::vector<std::string>{"fill", "old.png", "old.txt"}));
}

TEST(DurableFiles, OddSettingsFilesKeepTheirSettings) {
    Session session;
    const fs::path work = session.WorkDir();
    const std::string bom = "\xEF\xBB\xBF[PictureDialog]\r\nSavePicMode=2\r\n\r\n"
                            "[TextSaveDialog]\r\nInitialDir=/old\r\n\r\n"
                            "[FilePathSaveDialog]\r\nInitialDir=/files\r\n\r\n";
    const std::string nul = TextIni("/old") + "\0[PictureDialog]\r\nSavePicMode=4\r\n"s;
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        // Every section and key stays; the mark is not written back.
        {"bom", bom,
         "[PictureDialog]\r\nSavePicMode=2\r\n\r\n" + TextIni(work) +
             "[FilePathSaveDialog]\r\nInitialDir=/files\r\n\r\n"},
        // Not ours to rewrite: byte for byte as it was.
        {"nul", nul, nul},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(session.SettingsPath(), c.before);
        session.OwnClipboard({{"text", c.name}});
        const fs::path target = work / (std::string(c.name) + ".txt");
        ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, target.string()), 0);
        EXPECT_EQ(ReadFileBytes(target), std::string(c.name) + "\r\n");
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()), c.after);
    }
}

TEST(DurableFiles, FullSettingsDiskLeavesTheOldSettingsFile) {
    Session session;
    const auto disk = ProgramOnTmpfs(session);
    if (!disk->Mounted())
        GTEST_SKIP() << NotMountable;
    const std::string settings = PictureIni(3, "/pictures") + TextIni("/old");
    WriteFileBytes(session.SettingsPath(), settings);
    disk->Fill();
    session.OwnClipboard({{"text", "saved"}});
    const fs::path target = session.WorkDir() / "saved.txt";
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, target.string()), 0);
    EXPECT_EQ(ReadFileBytes(target), "saved\r\n");
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), settings);
    // No half-written settings file beside it.
    EXPECT_EQ(Entries(session.ProgramDir()),
              (std::vector<std::string>{"fill", "sorvak", "sorvak.ini", "sorvak.ini.lock"}));
}

TEST(DurableFiles, TwoCopiesRunningAtOnceBothLeaveTheirSettings) {
    Session session;
    const fs::path texts = session.WorkDir() / "texts";
    const fs::path pictures = session.WorkDir() / "pictures";
    fs::create_directories(texts);
    fs::create_directories(pictures);
    const std::string png = SmallPng(session);
    for (const bool textEndsFirst : {true, false}) {
        SCOPED_TRACE(textEndsFirst ? "text ends first" : "picture ends first");
        fs::remove(session.SettingsPath());
        const std::string name = textEndsFirst ? "first" : "second";
        // The text copy waits in its dialog while the picture copy starts.
        session.OwnClipboard({{"text", "text"}});
        session.StartProgram();
        ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());
        const std::unique_ptr<Process> textCopy = session.TakeProgram();
        session.OwnClipboard({{"image/png", png}});
        session.StartProgram();
        ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());

        auto saveText = [&] {
            ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());
            session.Type((texts / (name + ".txt")).string());
            session.Key("Return");
            EXPECT_EQ(textCopy->Wait(20s), 0);
        };
        auto savePicture = [&] {
            ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());
            session.Type((pictures / name).string());
            session.Key("Return");
            EXPECT_EQ(session.WaitForExit(), 0);
        };
        if (textEndsFirst) {
            saveText();
            savePicture();
        } else {
            savePicture();
            saveText();
        }
        EXPECT_TRUE(fs::exists(texts / (name + ".txt")));
        EXPECT_TRUE(fs::exists(pictures / (name + ".bmp")));
        // The copy that ends first makes the file; the other adds its section.
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()),
                  textEndsFirst ? TextIni(texts) + PictureIni(1, pictures)
                                : PictureIni(1, pictures) + TextIni(texts));
    }
}

TEST(DurableFiles, ReadOnlyProgramFolderKeepsSettingsInTheConfigFolder) {
    Session session;
    const auto disk = ProgramOnTmpfs(session);
    if (!disk->Mounted())
        GTEST_SKIP() << NotMountable;
    disk->MakeReadOnly();
    const fs::path config = session.Environment().at("XDG_CONFIG_HOME");
    const fs::path folder = session.WorkDir() / "remembered";
    fs::create_directories(folder);

    session.OwnClipboard({{"text", "first"}});
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, (folder / "first.txt").string()), 0);
    EXPECT_EQ(ReadFileBytes(config / "sorvak" / "sorvak.ini"), TextIni(folder));
    EXPECT_FALSE(fs::exists(session.SettingsPath()));

    // A bare name lands in the folder the dialog opened in: the remembered one.
    session.OwnClipboard({{"text", "second"}});
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, "second.txt"), 0);
    EXPECT_EQ(ReadFileBytes(folder / "second.txt"), "second\r\n");
}

TEST(DurableFiles, SettingsFileReplacedWhileTheDialogIsOpenKeepsTheOtherProgramsChanges) {
    Session session;
    const fs::path work = session.WorkDir();
    WriteFileBytes(session.SettingsPath(), TextIni("/old") + "[Gone]\r\nKey=1\r\n\r\n");
    session.OwnClipboard({{"text", "text"}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());

    // Another program writes a new file and renames it over ours, as editors do.
    const std::string replaced = "[PictureDialog]\r\nSavePicMode=3\r\nInitialDir=/elsewhere\r\n\r\n"
                                 "[Other]\r\nKey=kept\r\n\r\n";
    const fs::path temporary = session.ProgramDir() / "sorvak.ini.new";
    WriteFileBytes(temporary, replaced);
    fs::rename(temporary, session.SettingsPath());

    session.Type((work / "saved.txt").string());
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(work / "saved.txt"), "text\r\n");
    // What the other program wrote stays, what it removed stays removed, and
    // this run's folder is added.
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), replaced + TextIni(work));
}
