// The dispatch and its three export branches, with a clipboard in memory and
// a dialog double standing in for the user.
#include "driver/ModMain.h"
#include "base/Exception.h"
#include "imaging/Bitmap.h"
#include "tests/support/MemoryClipboard.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace sorvak;
namespace fs = std::filesystem;

namespace {

using sorvak::test::ReadFileBytes;

// The user: answers every save dialog with a name and a filter, or cancels.
class ScriptedDialogs : public FileDialogService {
public:
    std::string Answer;
    int AnswerFilter = 0; // 0: keep the index the dialog opened with
    bool Cancel = false;
    std::vector<OpenFileNameRequest> Seen;
    std::function<void()> WhileShown;

    int GetOpenFileName(OpenFileNameRequest& request) override { return GetSaveFileName(request); }
    int GetSaveFileName(OpenFileNameRequest& request) override {
        Seen.push_back(request);
        if (WhileShown)
            WhileShown();
        if (Cancel)
            return 0;
        request.SetFileText(Answer);
        if (AnswerFilter != 0)
            request.nFilterIndex = static_cast<std::uint32_t>(AnswerFilter);
        return 1;
    }
};

// The file list window as the dispatch leaves it when it shows it.
struct ShownFileList {
    std::string Memo, InitialDir, Filter, FileName, DefaultExt, Title;
    bool Freed = false;
};

class FakeFileListWindow : public FileListWindow {
public:
    FakeFileListWindow(ShownFileList& shown, std::function<void()> whileShown)
        : shown_(shown), whileShown_(std::move(whileShown)) {}
    ~FakeFileListWindow() override { shown_.Freed = true; }
    TTextSaveDialog& SaveDialog() override { return dialog_; }
    void SetMemoText(const std::string& text) override { memo_ = text; }
    void ShowModal() override {
        shown_ = {memo_,
                  dialog_.InitialDir,
                  dialog_.Filter,
                  dialog_.FileName(),
                  dialog_.DefaultExt,
                  dialog_.Title};
        if (whileShown_)
            whileShown_();
    }

private:
    ShownFileList& shown_;
    std::function<void()> whileShown_;
    TTextSaveDialog dialog_;
    std::string memo_;
};

DeviceBitmap Picture(int width, int height) {
    DeviceBitmap bitmap;
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.BitsPerPixel = 32;
    bitmap.Bits.assign(static_cast<std::size_t>(width) * height * 4, 0x80);
    return bitmap;
}

class Driver : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = temp_.Path();
        program_ = root_ / "sorvak";
        out_ = root_ / "out";
        fs::create_directories(out_);
    }

    // One run of the program: the module is made and freed.
    void RunProgram() {
        DriverServices services;
        services.Clipboard = &clipboardObject_;
        services.Dialogs = &dialogs_;
        services.ShowInformation = [this](const std::string& caption, const std::string& text) {
            information_.push_back(caption + "|" + text);
        };
        services.ShowError = [this](const std::exception& e) { errors_.push_back(e.what()); };
        services.CreateFileListWindow = [this](TDataModule1& owner) {
            EXPECT_EQ(&owner, DataModule1);
            ++windowsCreated_;
            return std::make_unique<FakeFileListWindow>(shownList_, whileListShown_);
        };
        services.ProgramPath = program_.string();
        services.InitialFolder = initialFolder_;
        services.StartWriteProgress = startProgress_;
        TDataModule1 module(std::move(services));
        quitPosted_ = module.QuitPosted();
    }
    std::string Settings() const { return ReadFileBytes(root_ / "sorvak.ini"); }
    void WriteSettings(const std::string& text) const {
        sorvak::test::WriteFileBytes(root_ / "sorvak.ini", text);
    }

    sorvak::test::TempDir temp_{"sorvak-driver"};
    fs::path root_, program_, out_;
    MemoryClipboard clipboard_;
    TClipboard clipboardObject_{clipboard_};
    ScriptedDialogs dialogs_;
    std::vector<std::string> information_, errors_;
    ShownFileList shownList_;
    int windowsCreated_ = 0;
    std::function<void()> whileListShown_;
    bool quitPosted_ = false;
    std::function<std::unique_ptr<WriteProgress>(const std::string&)> startProgress_;
    std::string initialFolder_;
};

} // namespace

TEST_F(Driver, EmptyClipboardShowsTheInformationBoxAndWritesAnEmptySettingsFile) {
    RunProgram();
    EXPECT_EQ(information_,
              std::vector<std::string>{"情報|クリップボードが空か未サポートのフォーマットです。"});
    EXPECT_TRUE(dialogs_.Seen.empty());
    EXPECT_TRUE(quitPosted_);
    EXPECT_EQ(Settings(), "");
}

TEST_F(Driver, PictureComesBeforeTextAndTextBeforeFileList) {
    clipboard_.SetBitmap(Picture(3, 2));
    clipboard_.SetData(CF_TEXT, std::string("text\0", 5));
    clipboard_.SetData(CF_HDROP, std::string(22, '\0'));
    dialogs_.Cancel = true;
    RunProgram();
    ASSERT_EQ(dialogs_.Seen.size(), 1u);
    EXPECT_EQ(dialogs_.Seen[0].lpstrTitle, "クリップボード画像に名前を付けて保存");

    clipboard_.Empty();
    clipboard_.SetData(CF_TEXT, std::string("text\0", 5));
    clipboard_.SetData(CF_HDROP, std::string(22, '\0'));
    RunProgram();
    ASSERT_EQ(dialogs_.Seen.size(), 2u);
    EXPECT_EQ(dialogs_.Seen[1].lpstrTitle, "クリップボードテキストに名前を付けて保存");
    EXPECT_EQ(windowsCreated_, 0);
}

TEST_F(Driver, PictureDialogIsSetFromTheSettings) {
    struct Case {
        const char* settings;
        std::uint32_t filterIndex;
        const char* defaultExt;
    } cases[] = {
        {"", 1, "bmp"},
        {"[PictureDialog]\r\nSavePicMode=258\r\n", 2, "jpg"},
        {"[PictureDialog]\r\nSavePicMode=3\r\n", 3, "png"},
        {"[PictureDialog]\r\nSavePicMode=4\r\n", 4, "gif"},
        {"[PictureDialog]\r\nSavePicMode=0\r\n", 0, "bmp"},
        {"[PictureDialog]\r\nSavePicMode=5\r\n", 5, "bmp"},
    };
    dialogs_.Cancel = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        WriteSettings(c.settings);
        clipboard_.SetBitmap(Picture(1, 1));
        RunProgram();
        const OpenFileNameRequest& request = dialogs_.Seen.back();
        EXPECT_EQ(request.nFilterIndex, c.filterIndex);
        EXPECT_EQ(request.lpstrDefExt, c.defaultExt);
        EXPECT_EQ(request.lpstrInitialDir, root_.string());
        EXPECT_EQ(request.FileText(), "Image（1×1）");
        // Cancel leaves the settings as they were (written back in the store's
        // own layout: an empty line after each section).
        const std::string before = c.settings;
        EXPECT_EQ(Settings(), before.empty() ? "" : before + "\r\n");
    }
}

TEST_F(Driver, PictureSavedAsJpegIsProposedAgainInTheSameFolder) {
    clipboard_.SetBitmap(Picture(4, 3));
    dialogs_.Answer = (out_ / "shot.jpg").string();
    dialogs_.AnswerFilter = 2;
    RunProgram();
    const std::string jpeg = ReadFileBytes(out_ / "shot.jpg");
    ASSERT_GE(jpeg.size(), 2u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(Settings(),
              "[PictureDialog]\r\nSavePicMode=2\r\nInitialDir=" + out_.string() + "\r\n\r\n");

    clipboard_.SetBitmap(Picture(4, 3));
    dialogs_.Cancel = true;
    RunProgram();
    EXPECT_EQ(dialogs_.Seen.back().nFilterIndex, 2u);
    EXPECT_EQ(dialogs_.Seen.back().lpstrDefExt, "jpg");
    EXPECT_EQ(dialogs_.Seen.back().lpstrInitialDir, out_.string());
}

TEST_F(Driver, EveryFilterWritesItsFormat) {
    const std::pair<int, std::string> cases[] = {
        {1, "BM"}, {2, "\xFF\xD8"}, {3, "\x89PNG"}, {4, "GIF8"}, {7, "BM"}};
    for (const auto& [filter, magic] : cases) {
        clipboard_.SetBitmap(Picture(5, 5));
        const fs::path file = out_ / ("picture" + std::to_string(filter));
        dialogs_.Answer = file.string();
        dialogs_.AnswerFilter = filter;
        RunProgram();
        EXPECT_EQ(ReadFileBytes(file).substr(0, magic.size()), magic) << filter;
    }
}

// The picture is taken, decoded and copied while the dialog is open; what
// fails there must reach the user only after Save, and never after Cancel,
// which stops the transfer instead.
TEST_F(Driver, PictureThatFailsWhileTheDialogIsOpenFailsOnlyOnSave) {
    struct Case {
        const char* name;
        std::function<void()> fail;
        std::vector<std::string> errors, information;
    };
    DeviceBitmap damaged = Picture(4, 3);
    damaged.Bits.resize(5); // fewer bytes than 4 x 3 pixels need
    const Case cases[] = {
        {"damaged copy", nullptr, {"ビットマップイメージが不正です"}, {}},
        {"owner gone during the transfer",
         [] { throw ClipboardUnavailable("the clipboard owner went away"); },
         {"クリップボードを開くことができません"},
         {}},
        {"sound header, undecodable data",
         [] { throw ClipboardContentUnreadable("the picture does not decode"); },
         {},
         {"情報|クリップボードが空か未サポートのフォーマットです。"}},
    };
    for (const Case& c : cases) {
        for (const bool cancel : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (cancel ? ", cancelled" : ", saved"));
            clipboard_.SetBitmap(c.fail ? Picture(4, 3) : damaged);
            clipboard_.WhenBitmapRead = c.fail;
            clipboard_.AbandonCalls = 0;
            errors_.clear();
            information_.clear();
            dialogs_.Cancel = cancel;
            dialogs_.Answer = (out_ / "never.png").string();
            dialogs_.AnswerFilter = 3;
            dialogs_.WhileShown = [this] { EXPECT_TRUE(errors_.empty() && information_.empty()); };
            RunProgram();
            EXPECT_EQ(errors_, cancel ? std::vector<std::string>{} : c.errors);
            EXPECT_EQ(information_, cancel ? std::vector<std::string>{} : c.information);
            // Cancel stops the transfer; so does a failure on its way out,
            // before anything can wait for the rest of the content.
            EXPECT_EQ(clipboard_.AbandonCalls, cancel || !c.errors.empty() ? 1 : 0);
            EXPECT_FALSE(fs::exists(out_ / "never.png"));
            EXPECT_EQ(Settings(), "");
        }
    }
}

TEST_F(Driver, FileThatCannotBeCreatedShowsTheErrorAndKeepsTheSettings) {
    const std::string settings = "[TextSaveDialog]\r\nInitialDir=/somewhere\r\n\r\n";
    WriteSettings(settings);
    clipboard_.SetData(CF_TEXT, std::string("text\0", 5));
    dialogs_.Answer = (out_ / "missing-folder" / "a.txt").string();
    RunProgram();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].rfind("ファイル \"" + dialogs_.Answer + "\". ", 0), 0u) << errors_[0];
    EXPECT_FALSE(quitPosted_);
    EXPECT_EQ(Settings(), settings);
}

TEST_F(Driver, TextIsReadOnlyAfterTheDialogWasConfirmed) {
    clipboard_.SetData(CF_TEXT, std::string("a\nb\0ignored", 11));
    dialogs_.Answer = (out_ / "text.txt").string();
    dialogs_.WhileShown = [this] { EXPECT_EQ(clipboard_.OpenCalls, 0); };
    RunProgram();
    EXPECT_EQ(ReadFileBytes(out_ / "text.txt"), "a\r\nb\r\n");
    EXPECT_EQ(Settings(), "[TextSaveDialog]\r\nInitialDir=" + out_.string() + "\r\n\r\n");
    EXPECT_FALSE(clipboard_.IsOpen());
}

// Held by another program, or owned by one that does not answer: the
// clipboard error, not the information box, and nothing written or kept.
struct RefusedClipboard {
    const char* name;
    bool MemoryClipboard::*refusal;
};

class DriverRefusedClipboard : public Driver,
                               public ::testing::WithParamInterface<RefusedClipboard> {};

TEST_P(DriverRefusedClipboard, ShowsTheClipboardErrorAndEndsTheExport) {
    clipboard_.SetData(CF_TEXT, std::string("text\0", 5));
    clipboard_.*GetParam().refusal = true;
    dialogs_.Answer = (out_ / "never.txt").string();
    RunProgram();
    EXPECT_EQ(errors_, std::vector<std::string>{"クリップボードを開くことができません"});
    EXPECT_TRUE(information_.empty());
    EXPECT_FALSE(quitPosted_);
    EXPECT_EQ(Settings(), "");
    EXPECT_FALSE(fs::exists(out_ / "never.txt"));
}

INSTANTIATE_TEST_SUITE_P(Refusals, DriverRefusedClipboard,
                         ::testing::Values(RefusedClipboard{"HeldByAnotherProgram",
                                                            &MemoryClipboard::HeldByOtherProgram},
                                           RefusedClipboard{"OwnerDoesNotAnswer",
                                                            &MemoryClipboard::OwnerHung}),
                         [](const auto& info) { return std::string(info.param.name); });

std::string WidePathsBlock(const std::vector<std::string>& asciiPaths) {
    std::string block("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0", 20);
    for (const std::string& path : asciiPaths) {
        for (char c : path)
            block += std::string{c, '\0'};
        block += std::string("\0\0", 2);
    }
    return block + std::string("\0\0", 2);
}

TEST_F(Driver, FileListBranchFillsTheWindowAndItsSaveDialog) {
    clipboard_.SetData(CF_HDROP, WidePathsBlock({"/a", "/b c"}));
    RunProgram();
    EXPECT_EQ(shownList_.Memo, "/a\r\n/b c\r\n");
    EXPECT_EQ(shownList_.InitialDir, root_.string());
    EXPECT_EQ(shownList_.Filter, "テキストファイル(*.txt)|*.txt|すべてのファイル|*.*");
    EXPECT_EQ(shownList_.FileName, "CopyFiles.txt");
    EXPECT_EQ(shownList_.DefaultExt, "txt");
    EXPECT_EQ(shownList_.Title, "コピーされたファイルリストに名前を付けて保存");
    EXPECT_TRUE(shownList_.Freed);
    EXPECT_TRUE(dialogs_.Seen.empty());
    EXPECT_TRUE(quitPosted_);
    EXPECT_EQ(Settings(), "");

    WriteSettings("[FilePathSaveDialog]\r\nInitialDir=/srv/lists\r\n");
    RunProgram();
    EXPECT_EQ(shownList_.InitialDir, "/srv/lists");
}

// The file list is gone by the time the branch reads it.
class VanishingFileList : public MemoryClipboard {
public:
    bool IsFormatAvailable(unsigned format) override {
        if (format == CF_HDROP && ++fileListQueries_ > 1)
            return false;
        return MemoryClipboard::IsFormatAvailable(format);
    }

private:
    int fileListQueries_ = 0;
};

TEST_F(Driver, FileListThatVanishedShowsAnEmptyWindow) {
    VanishingFileList vanishing;
    vanishing.SetData(CF_HDROP, WidePathsBlock({"/a"}));
    TClipboard clipboard(vanishing);
    DriverServices services;
    services.Clipboard = &clipboard;
    services.Dialogs = &dialogs_;
    services.ProgramPath = program_.string();
    services.CreateFileListWindow = [this](TDataModule1&) {
        return std::make_unique<FakeFileListWindow>(shownList_, nullptr);
    };
    shownList_.Memo = "unset";
    TDataModule1 module(std::move(services));
    EXPECT_EQ(shownList_.Memo, "");
    EXPECT_EQ(vanishing.OpenCalls, 0);
}

TEST_F(Driver, FailureWhileTheWindowIsShownStillFreesIt) {
    clipboard_.SetData(CF_HDROP, WidePathsBlock({"/a"}));
    whileListShown_ = [] { throw Exception("window failed"); };
    RunProgram();
    EXPECT_EQ(errors_, std::vector<std::string>{"window failed"});
    EXPECT_TRUE(shownList_.Freed);
    EXPECT_FALSE(quitPosted_);
}

namespace {
// What a followed write reported, and whether it ended.
struct Followed {
    std::string format;
    std::vector<int> reports;
    bool ended = false;
};
class RecordedProgress : public WriteProgress {
public:
    explicit RecordedProgress(Followed& into) : into_(into) {}
    ~RecordedProgress() override { into_.ended = true; }
    void Report(int percent) override { into_.reports.push_back(percent); }

private:
    Followed& into_;
};
} // namespace

TEST_F(Driver, PictureWritesAreFollowedOnOneScaleUntilTheyEnd) {
    std::vector<Followed> followed;
    followed.reserve(8);
    startProgress_ = [&](const std::string& format) {
        followed.push_back({format, {}, false});
        return std::make_unique<RecordedProgress>(followed.back());
    };
    const std::pair<int, const char*> cases[] = {{1, "BMP"}, {2, "JPG"}, {3, "PNG"}, {4, "GIF"}};
    for (const auto& [filter, format] : cases) {
        SCOPED_TRACE(format);
        clipboard_.SetBitmap(Picture(40, 300));
        dialogs_.Answer = (out_ / ("followed" + std::to_string(filter))).string();
        dialogs_.AnswerFilter = filter;
        RunProgram();
        ASSERT_EQ(followed.size(), static_cast<std::size_t>(filter));
        const Followed& f = followed.back();
        EXPECT_EQ(f.format, format);
        EXPECT_TRUE(f.ended);
        // Waiting for the picture (-1) may come first, then the write's scale.
        const std::vector<int> scale(
            std::find_if(f.reports.begin(), f.reports.end(), [](int p) { return p != -1; }),
            f.reports.end());
        EXPECT_TRUE(std::is_sorted(scale.begin(), scale.end()));
        ASSERT_FALSE(scale.empty());
        EXPECT_EQ(scale.front(), 0);
        EXPECT_EQ(scale.back(), 100);
    }
    // A write that fails ends its following too, and so does a cancel start none.
    clipboard_.SetBitmap(Picture(4, 4));
    dialogs_.Answer = (out_ / "missing-folder" / "x.png").string();
    dialogs_.AnswerFilter = 3;
    RunProgram();
    ASSERT_EQ(errors_.size(), 1u);
    ASSERT_EQ(followed.size(), 5u);
    EXPECT_TRUE(followed.back().ended);
    dialogs_.Cancel = true;
    clipboard_.SetBitmap(Picture(4, 4));
    RunProgram();
    EXPECT_EQ(followed.size(), 5u);
}

TEST_F(Driver, InitialFolderOpensEachDialogThereAndTheSaveRemembersAsAlways) {
    const std::string remembered = "[FilePathSaveDialog]\r\nInitialDir=/srv/lists\r\n\r\n"
                                   "[PictureDialog]\r\nInitialDir=/srv/pictures\r\n\r\n"
                                   "[TextSaveDialog]\r\nInitialDir=/srv/texts\r\n\r\n";
    initialFolder_ = out_.string();
    WriteSettings(remembered);
    clipboard_.SetData(CF_HDROP, WidePathsBlock({"/a"}));
    RunProgram();
    EXPECT_EQ(shownList_.InitialDir, out_.string());

    clipboard_.Empty();
    clipboard_.SetBitmap(Picture(2, 2));
    dialogs_.Cancel = true;
    RunProgram();
    ASSERT_EQ(dialogs_.Seen.size(), 1u);
    EXPECT_EQ(dialogs_.Seen.back().lpstrInitialDir, out_.string());
    EXPECT_EQ(Settings(), remembered); // cancelled: nothing changes

    clipboard_.Empty();
    clipboard_.SetData(CF_TEXT, std::string("t\0", 2));
    dialogs_.Cancel = false;
    dialogs_.Answer = (root_ / "saved.txt").string();
    RunProgram();
    EXPECT_EQ(dialogs_.Seen.back().lpstrInitialDir, out_.string());
    // The chosen file's folder is remembered, not the one given.
    EXPECT_NE(Settings().find("InitialDir=" + root_.string() + "\r\n"), std::string::npos);
}
