// The text dialog's preview strip and extension following as a user meets
// them: the real program, a file picked with the mouse, the preview's text
// copied out with the keyboard.
#include "tests/e2e/Session.h"
#include "tests/formtext/FormFixtures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <sstream>
#include <thread>

using namespace sorvak::e2e;
namespace fs = std::filesystem;

namespace {

// Positions in the text dialog, from its frame's edges: the first row of the
// file list (its date, right of the side bar whatever that holds), the name
// field, the type box and the preview.
struct DialogPlaces {
    int x = 0, y = 0, width = 0, height = 0;
    std::pair<int, int> FirstRow() const { return {x + width - 100, y + 68}; }
    std::pair<int, int> NameField() const { return {x + 300, y + height - 222}; }
    std::pair<int, int> TypeBox() const { return {x + 300, y + height - 191}; }
    std::pair<int, int> Preview() const { return {x + 100, y + height - 60}; }
};

class TextPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = session_.WorkDir() / "folder";
        fs::create_directories(folder_);
        WriteFileBytes(session_.SettingsPath(),
                       "[TextSaveDialog]\r\nInitialDir=" + folder_.string() + "\r\n");
        session_.OwnClipboard({{"text", ClipboardText}});
    }

    static constexpr const char* ClipboardText = "from the clipboard";

    // Starts the program and waits for its dialog.
    DialogPlaces Open() {
        session_.StartProgram();
        const std::string window = session_.WaitForWindow(TextDialogTitle);
        EXPECT_FALSE(window.empty());
        std::istringstream shell(
            RunCommand({"xdotool", "getwindowgeometry", "--shell", window}, session_.Environment())
                .Output);
        DialogPlaces places;
        for (std::string line; std::getline(shell, line);) {
            const std::string value = line.substr(line.find('=') + 1);
            if (line.starts_with("X="))
                places.x = std::stoi(value);
            else if (line.starts_with("Y="))
                places.y = std::stoi(value);
            else if (line.starts_with("WIDTH="))
                places.width = std::stoi(value);
            else if (line.starts_with("HEIGHT="))
                places.height = std::stoi(value);
        }
        EXPECT_GT(places.height, 300);
        return places;
    }

    void Click(std::pair<int, int> at) {
        RunCommand({"xdotool", "mousemove", std::to_string(at.first), std::to_string(at.second),
                    "click", "1"},
                   session_.Environment());
        RunCommand({"xdotool", "mousemove", "0", "0"}, session_.Environment());
    }

    // The text of the control at that place, as the program copies it.
    std::string CopyFrom(std::pair<int, int> at) {
        Click(at);
        session_.Key("ctrl+a");
        session_.Key("ctrl+c");
        return session_.ReadClipboardText();
    }

    // The preview after a click on the list's first row. The list fills in
    // after the dialog shows: clicks are repeated, never so fast that two
    // make a double-click, which would choose the file.
    std::string PreviewOfFirstRow(const DialogPlaces& places) {
        std::string shown;
        for (int attempt = 0; attempt < 20; ++attempt) {
            Click(places.FirstRow());
            shown = CopyFrom(places.Preview());
            if (shown != ClipboardText)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
        }
        return shown;
    }

    void Cancel() {
        session_.Key("Escape");
        EXPECT_EQ(session_.WaitForExit(), 0);
    }

    Session session_;
    fs::path folder_;
};

TEST_F(TextPreviewTest, SelectedFileShowsItsFirst1024Bytes) {
    std::string letters;
    for (int i = 0; i < 5000; ++i)
        letters.push_back(static_cast<char>('a' + i % 26));
    WriteFileBytes(folder_ / "letters.txt", letters);
    const DialogPlaces places = Open();
    EXPECT_EQ(PreviewOfFirstRow(places), letters.substr(0, 1024));
    Cancel();
}

TEST_F(TextPreviewTest, BinaryFormFileShowsItsTextForm) {
    WriteFileBytes(folder_ / "module.dfm",
                   sorvak::test::ResourceFile("TDATAMODULE1", sorvak::test::DataModule1Stream()));
    const DialogPlaces places = Open();
    // A typed pattern lists the form files.
    session_.Type("*.dfm");
    session_.Key("Return");
    const std::string shown = PreviewOfFirstRow(places);
    EXPECT_TRUE(shown.starts_with("object DataModule1: TDataModule1\n"
                                  "  OldCreateOrder = False\n"
                                  "  OnCreate = DataModuleCreate\n"))
        << shown;
    Cancel();
}

TEST_F(TextPreviewTest, PickingAllFilesTurnsTheTypedExtensionIntoAWildcard) {
    const DialogPlaces places = Open();
    session_.Type("memo.txt");
    Click(places.TypeBox());
    session_.Key("Down"); // "すべてのファイル" in the open list
    session_.Key("Return");
    EXPECT_EQ(CopyFrom(places.NameField()), "memo.*");
    Cancel();
}

TEST_F(TextPreviewTest, FifoOrDeviceLinkUnderTheProposedNameDoesNotBlock) {
    const fs::path proposed = folder_ / "ClipboardText.txt";
    for (bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "fifo" : "link to a device");
        fs::remove(proposed);
        if (fifo)
            ASSERT_EQ(::mkfifo(proposed.c_str(), 0600), 0);
        else
            fs::create_symlink("/dev/zero", proposed);
        const DialogPlaces places = Open();
        std::this_thread::sleep_for(std::chrono::seconds(1)); // the list fills in
        Click(places.FirstRow());                             // the preview looks at it
        // Still answering: the typed name is saved.
        Click(places.NameField());
        session_.Key("ctrl+a");
        session_.Type("saved.txt");
        session_.Key("Return");
        ASSERT_EQ(session_.WaitForExit(), 0);
        EXPECT_EQ(ReadFileBytes(folder_ / "saved.txt"), "from the clipboard\r\n");
        fs::remove(folder_ / "saved.txt");
        session_.OwnClipboard({{"text", ClipboardText}});
    }
}

} // namespace
