// Saving without a dialog: which road the clipboard and the output name
// choose, the bytes written, free names in a folder, and nothing remembered.
#include "driver/QuickSave.h"

#include "base/ClipboardFormats.h"
#include "base/FileErrors.h"
#include "cli/CommandLine.h"
#include "clipboard/DropFiles.h"
#include "tests/support/Locales.h"
#include "tests/support/MemoryClipboard.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

using namespace sorvak;
namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

namespace {

DeviceBitmap Picture(int width, int height) {
    DeviceBitmap bitmap;
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.BitsPerPixel = 32;
    bitmap.Bits.assign(static_cast<std::size_t>(width) * height * 4, 0x40);
    return bitmap;
}

enum Holds { Nothing = 0, APicture = 1, Text = 2, Files = 4 };

class QuickSave : public ::testing::Test {
protected:
    void Fill(int holds) {
        backend_ = MemoryClipboard();
        if (holds & APicture)
            backend_.SetBitmap(Picture(3, 2));
        if (holds & Text)
            backend_.SetData(CF_TEXT, std::string("a\nb\0", 4));
        if (holds & Files)
            backend_.SetData(CF_HDROP, BuildDropFilesBlock({"/a", "/b c"}));
    }

    QuickSaveResult Save(const std::string& output, std::optional<std::string> format = {},
                         bool noClobber = false) {
        TClipboard clipboard(backend_);
        QuickSaveRequest request;
        request.Output = output;
        request.NoClobber = noClobber;
        request.Format = std::move(format);
        request.ProgramPath = temp_ / "sorvak";
        request.WriteStandardOutput = [this](std::string_view bytes) { standardOutput_ += bytes; };
        written_.clear();
        return SaveWithoutDialog(clipboard, request, &written_);
    }

    void Remember(int savePicMode) {
        WriteFileBytes(temp_ / "sorvak.ini",
                       "[PictureDialog]\r\nSavePicMode=" + std::to_string(savePicMode) + "\r\n");
    }

    test::TempDir temp_;
    MemoryClipboard backend_;
    std::string standardOutput_;
    std::string written_;
};

} // namespace

TEST_F(QuickSave, ClipboardAndOutputChooseRoadAndFormat) {
    struct Case {
        const char* name;
        int holds;
        std::string output; // inside the temporary folder unless "-"
        std::optional<std::string> format;
        QuickSaveResult result;
        std::string head; // the first bytes written; empty for nothing written
    } cases[] = {
        {"png", APicture, "shot.png", {}, QuickSaveResult::Written, "\x89PNG"},
        {"bmp any case", APicture, "shot.BMP", {}, QuickSaveResult::Written, "BM"},
        {"jpg", APicture, "shot.jpg", {}, QuickSaveResult::Written, "\xFF\xD8\xFF"},
        {"jpeg", APicture, "shot.Jpeg", {}, QuickSaveResult::Written, "\xFF\xD8\xFF"},
        {"gif", APicture, "shot.gif", {}, QuickSaveResult::Written, "GIF8"},
        {"format wins", APicture, "shot.png", "gif", QuickSaveResult::Written, "GIF8"},
        {"no extension: remembered", APicture, "shot", {}, QuickSaveResult::Written, "\x89PNG"},
        {"stdout remembered", APicture, "-", {}, QuickSaveResult::Written, "\x89PNG"},
        {"stdout format", APicture, "-", "jpeg", QuickSaveResult::Written, "\xFF\xD8\xFF"},
        {"picture before text", APicture | Text, "shot", {}, QuickSaveResult::Written, "\x89PNG"},
        {"txt takes the text",
         APicture | Text,
         "notes.txt",
         {},
         QuickSaveResult::Written,
         "a\r\nb\r\n"},
        {"text", Text, "notes.md", {}, QuickSaveResult::Written, "a\r\nb\r\n"},
        {"text stdout", Text, "-", {}, QuickSaveResult::Written, "a\r\nb\r\n"},
        {"files", Files, "list.txt", {}, QuickSaveResult::Written, "/a\r\n/b c\r\n"},
        {"files stdout", Files, "-", {}, QuickSaveResult::Written, "/a\r\n/b c\r\n"},
        {"text asked, picture held",
         APicture,
         "notes.txt",
         {},
         QuickSaveResult::NoTextOrFileList,
         ""},
        {"picture asked, text held", Text, "shot.png", {}, QuickSaveResult::NoPicture, ""},
        {"format asked, files held", Files, "-", "png", QuickSaveResult::NoPicture, ""},
        {"empty", Nothing, "out", {}, QuickSaveResult::NothingToSave, ""},
        {"empty, picture asked", Nothing, "shot.png", {}, QuickSaveResult::NothingToSave, ""},
        {"empty, stdout", Nothing, "-", {}, QuickSaveResult::NothingToSave, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remember(3);
        Fill(c.holds);
        standardOutput_.clear();
        const std::string output = c.output == "-" ? c.output : temp_ / c.output;
        ASSERT_EQ(Save(output, c.format), c.result);
        const std::string bytes = c.output == "-" ? standardOutput_ : ReadFileBytes(output);
        EXPECT_EQ(bytes.substr(0, c.head.size()), c.head);
        if (c.head.empty()) {
            EXPECT_FALSE(fs::exists(output));
            EXPECT_EQ(standardOutput_, "");
        }
        if (c.output != "-")
            fs::remove(output);
        // Nothing remembered: the settings file is as it was.
        EXPECT_EQ(ReadFileBytes(temp_ / "sorvak.ini"), "[PictureDialog]\r\nSavePicMode=3\r\n");
    }
}

TEST_F(QuickSave, TextFileHoldsTheTextRoadsBytes) {
    Fill(Text);
    ASSERT_EQ(Save(temp_ / "t.txt"), QuickSaveResult::Written);
    EXPECT_EQ(ReadFileBytes(temp_ / "t.txt"), "a\r\nb\r\n");
    EXPECT_EQ(written_, temp_ / "t.txt");
}

TEST_F(QuickSave, FolderTakesTheProposedNameAndNeverReplacesAFile) {
    const fs::path folder = temp_.Path() / "here";
    fs::create_directories(folder);
    // The remembered format names the extension; an existing file and a
    // dangling link both keep their names.
    Remember(4);
    WriteFileBytes(folder / "Image（3×2）.gif", "keep");
    fs::create_symlink(folder / "nowhere", folder / "Image（3×2） (2).gif");
    Fill(APicture);
    ASSERT_EQ(Save(folder.string()), QuickSaveResult::Written);
    EXPECT_EQ(written_, (folder / "Image（3×2） (3).gif").string());
    EXPECT_EQ(ReadFileBytes(folder / "Image（3×2）.gif"), "keep");
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
    EXPECT_EQ(ReadFileBytes(written_).substr(0, 4), "GIF8");

    ASSERT_EQ(Save(folder.string() + "/", "bmp"), QuickSaveResult::Written);
    EXPECT_EQ(written_, (folder / "Image（3×2）.bmp").string());

    Fill(Text);
    ASSERT_EQ(Save(folder.string()), QuickSaveResult::Written);
    EXPECT_EQ(written_, (folder / "ClipboardText.txt").string());
    ASSERT_EQ(Save(folder.string()), QuickSaveResult::Written);
    EXPECT_EQ(written_, (folder / "ClipboardText (2).txt").string());
    EXPECT_EQ(ReadFileBytes(written_), "a\r\nb\r\n");

    Fill(Files);
    ASSERT_EQ(Save(folder.string()), QuickSaveResult::Written);
    EXPECT_EQ(written_, (folder / "CopyFiles.txt").string());
    EXPECT_EQ(ReadFileBytes(written_), "/a\r\n/b c\r\n");
}

TEST_F(QuickSave, ProposedNameIsTheSameUtf8InEveryLocale) {
    // The folder and the proposed name are the file system's UTF-8 bytes,
    // never converted as if they were in the locale's code page.
    Fill(APicture);
    const struct {
        const char* locale;
        std::string folderUtf8;
    } cases[] = {{"ja_JP.SJIS", "\xE5\x86\x99"},   // 写
                 {"en_US.ISO-8859-1", "\xC3\xA9"}, // é
                 {"ja_JP.UTF-8", "\xE5\x86\x99"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        test::ScopedLocale scoped(c.locale);
        if (!scoped.Usable())
            continue;
        const fs::path folder = temp_.Path() / c.folderUtf8;
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_EQ(Save(folder.string(), "png"), QuickSaveResult::Written);
        EXPECT_EQ(written_, (folder / "Image（3×2）.png").string());
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"Image（3×2）.png"});
    }
}

TEST_F(QuickSave, OwnersBytesGoOutUnchangedWhereTheirFormatIsAsked) {
    Fill(APicture);
    const std::string png = "\x89PNG\r\n\x1a\n the owner's own bytes";
    backend_.Owner = OwnerPicture{"image/png", png};
    ASSERT_EQ(Save(temp_ / "a.png"), QuickSaveResult::Written);
    EXPECT_EQ(ReadFileBytes(temp_ / "a.png"), png);
    ASSERT_EQ(Save("-", "png"), QuickSaveResult::Written);
    EXPECT_EQ(standardOutput_, png);
    const fs::path folder = temp_.Path() / "shots";
    fs::create_directories(folder);
    ASSERT_EQ(Save(folder.string(), "png"), QuickSaveResult::Written);
    EXPECT_EQ(written_, (folder / "Image（3×2）.png").string());
    EXPECT_EQ(ReadFileBytes(written_), png);
    // Another format is a conversion by the program's own writers.
    ASSERT_EQ(Save(temp_ / "b.bmp"), QuickSaveResult::Written);
    EXPECT_EQ(ReadFileBytes(temp_ / "b.bmp").substr(0, 2), "BM");
    ASSERT_EQ(Save(temp_ / "c.jpg"), QuickSaveResult::Written);
    EXPECT_EQ(ReadFileBytes(temp_ / "c.jpg").substr(0, 3), "\xFF\xD8\xFF");
}

TEST_F(QuickSave, NoClobberKeepsAnExistingFileAndWritesANewOne) {
    Fill(Text);
    const fs::path kept = temp_.Path() / "kept.txt";
    WriteFileBytes(kept, "old bytes");
    try {
        Save(kept.string(), {}, true);
        ADD_FAILURE() << "replaced";
    } catch (const EFCreateError& failure) {
        EXPECT_NE(std::string(failure.what()).find(std::strerror(EEXIST)), std::string::npos);
    }
    EXPECT_EQ(ReadFileBytes(kept), "old bytes");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp_.Path()), fs::directory_iterator()), 1);
    ASSERT_EQ(Save((temp_.Path() / "new.txt").string(), {}, true), QuickSaveResult::Written);
    EXPECT_EQ(ReadFileBytes(temp_.Path() / "new.txt"), "a\r\nb\r\n");
}

TEST_F(QuickSave, FailedWriteLeavesNoFile) {
    Fill(APicture);
    EXPECT_ANY_THROW(Save(temp_ / "missing/shot.png"));
    // A failing standard output is a failure, not a success.
    TClipboard clipboard(backend_);
    QuickSaveRequest request;
    request.Output = "-";
    request.ProgramPath = temp_ / "sorvak";
    request.WriteStandardOutput = [](std::string_view) { throw std::runtime_error("closed"); };
    EXPECT_THROW(SaveWithoutDialog(clipboard, request), std::runtime_error);
    // A hung clipboard owner is a failure that leaves the folder empty.
    const fs::path folder = temp_.Path() / "hung";
    fs::create_directories(folder);
    Fill(Text);
    backend_.OwnerHung = true;
    EXPECT_ANY_THROW(Save(folder.string()));
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST(QuickSaveFormats, EveryFormatTheCommandLineTakesHasAWriter) {
    for (const std::string& name : cli::PictureFormatNames())
        EXPECT_TRUE(PictureFilterIndexOfName(name).has_value()) << name;
    EXPECT_EQ(PictureFilterIndexOfName("JPEG"), PictureFilterIndexOfName("jpg"));
    EXPECT_FALSE(PictureFilterIndexOfName("txt").has_value());
    EXPECT_FALSE(PictureFilterIndexOfName("").has_value());
}
