// The watch mode's saves into a folder: one file a new content, under the
// proposed or the template's free name, none for the content saved just
// before, and nothing left behind by a refused template.
#include "driver/WatchSave.h"

#include "base/ClipboardFormats.h"
#include "driver/NameTemplate.h"
#include "tests/support/MemoryClipboard.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace sorvak;
namespace fs = std::filesystem;
using test::ReadFileBytes;

namespace {

DeviceBitmap Picture(int width, int height, std::uint8_t shade) {
    DeviceBitmap bitmap;
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.BitsPerPixel = 32;
    bitmap.Bits.assign(static_cast<std::size_t>(width) * height * 4, shade);
    return bitmap;
}

class WatchSave : public ::testing::Test {
protected:
    WatchRequest Request(std::optional<std::string> pattern = {},
                         std::optional<std::string> format = {}) {
        WatchRequest request;
        request.Folder = temp_.Path().string();
        request.NameTemplate = std::move(pattern);
        request.Format = std::move(format);
        request.ProgramPath = temp_ / "sorvak";
        request.Now = [] {
            std::tm time{};
            time.tm_year = 2026 - 1900;
            time.tm_mon = 11;
            time.tm_mday = 11;
            time.tm_hour = 9;
            time.tm_min = 5;
            return time;
        };
        return request;
    }

    std::optional<std::string> SaveText(WatchSaver& saver, const std::string& text) {
        MemoryClipboard backend;
        backend.SetData(CF_TEXT, text + std::string(1, '\0'));
        TClipboard clipboard(backend);
        return saver.SaveCurrent(clipboard);
    }

    std::optional<std::string> SavePicture(WatchSaver& saver, std::uint8_t shade) {
        MemoryClipboard backend;
        backend.SetBitmap(Picture(3, 2, shade));
        TClipboard clipboard(backend);
        return saver.SaveCurrent(clipboard);
    }

    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(temp_.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    test::TempDir temp_;
};

} // namespace

TEST_F(WatchSave, EachNewContentGetsAFileTheOneJustSavedNone) {
    WatchSaver saver(Request({}, "png"));
    ASSERT_EQ(SaveText(saver, "one\ntwo"), temp_ / "ClipboardText.txt");
    EXPECT_EQ(ReadFileBytes(temp_ / "ClipboardText.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(SaveText(saver, "one\ntwo"), std::nullopt); // a manager taking it over
    EXPECT_TRUE(SavePicture(saver, 0x40));
    EXPECT_EQ(SavePicture(saver, 0x40), std::nullopt);
    EXPECT_TRUE(SavePicture(saver, 0x80));
    // Only the one just before is skipped.
    EXPECT_EQ(SaveText(saver, "one\ntwo"), temp_ / "ClipboardText (2).txt");

    EXPECT_EQ(Names(), (std::set<std::string>{"ClipboardText.txt", "ClipboardText (2).txt",
                                              "Image（3×2）.png", "Image（3×2） (2).png"}));
    EXPECT_EQ(ReadFileBytes(temp_ / "Image（3×2）.png").substr(0, 4), "\x89PNG");
    EXPECT_NE(ReadFileBytes(temp_ / "Image（3×2）.png"),
              ReadFileBytes(temp_ / "Image（3×2） (2).png"));

    MemoryClipboard empty;
    TClipboard clipboard(empty);
    EXPECT_EQ(saver.SaveCurrent(clipboard), std::nullopt);
}

TEST_F(WatchSave, TemplateNamesAndRememberedFormat) {
    // No --format: the remembered one (BMP by default).
    WatchSaver saver(Request("{kind} %H.%M {width}"));
    EXPECT_EQ(SavePicture(saver, 1), temp_ / "picture 09.05 3.bmp");
    EXPECT_EQ(ReadFileBytes(temp_ / "picture 09.05 3.bmp").substr(0, 2), "BM");
    EXPECT_EQ(SaveText(saver, "a"), temp_ / "text 09.05 .txt");
    EXPECT_EQ(SaveText(saver, "b"), temp_ / "text 09.05  (2).txt");
}

TEST_F(WatchSave, ARefusedNameLeavesNothingAndTheNextContentIsSaved) {
    WatchSaver saver(Request("{width}"));
    EXPECT_THROW(SaveText(saver, "a"), ENameTemplate);
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(SavePicture(saver, 1), temp_ / "3.bmp");
}
