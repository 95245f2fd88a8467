#include "dialogs/OpenDialog.h"
#include "dialogs/SavePictureDialog.h"
#include "dialogs/SystemVersion.h"
#include "dialogs/TextDlgs.h"
#include "tests/dialogs/DialogFakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace sorvak {
namespace {

using O = TOpenOption;

// Confirms with a path, the given flags and filter index.
int Confirm(OpenFileNameRequest& r, const std::string& path, std::uint32_t addFlags,
            std::uint32_t index) {
    r.SetFileText(path);
    r.Flags |= addFlags;
    r.nFilterIndex = index;
    return 1;
}

class DialogBaseTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = SystemVersion(); }
    void TearDown() override { SetSystemVersion(saved_); }
    static void UseVersion(unsigned platform, unsigned major, unsigned minor) {
        SetSystemVersion({true, platform, major, minor});
    }

    FakeService service;

private:
    OsVersionInfo saved_;
};

TEST_F(DialogBaseTest, SizeFlagsExAndExplorerBitFollowTheVersionFigures) {
    struct Case {
        unsigned platform, major, minor;
        std::uint32_t size;
        bool explorer; // with ofOldStyleDialog absent
        std::uint32_t flagsExWithNoPlacesBar;
    };
    const Case cases[] = {
        {2, 4, 0, 76, true, 0},  {2, 5, 0, 88, true, 1},   {2, 5, 1, 88, true, 1},
        {2, 6, 2, 88, true, 1},  {2, 10, 0, 88, true, 1},  {1, 4, 10, 76, true, 0},
        {1, 4, 90, 88, true, 1}, {1, 3, 51, 76, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << "." << c.major << "." << c.minor);
        UseVersion(c.platform, c.major, c.minor);
        TOpenDialog dialog(&service);
        dialog.OptionsEx.Include(TOpenOptionEx::ofExNoPlacesBar);
        dialog.Execute();
        const OpenFileNameRequest& r = service.Seen.back();
        EXPECT_EQ(r.lStructSize, c.size);
        EXPECT_EQ((r.Flags & ofn::Explorer) != 0, c.explorer);
        EXPECT_EQ(r.FlagsEx, c.flagsExWithNoPlacesBar);

        // The old-style option turns the explorer bit off, and never on.
        dialog.Options.Include(O::ofOldStyleDialog);
        dialog.Execute();
        EXPECT_EQ(service.Seen.back().Flags & ofn::Explorer, 0u);
    }
    EXPECT_EQ(service.Calls, std::vector<std::string>(16, "open"));
}

TEST_F(DialogBaseTest, FilterListReplacesBarsButNotSecondBytes) {
    struct Case {
        const char* name;
        std::string filter;
        int codePage;
        std::string expected;
    };
    using namespace std::string_literals;
    const std::string sjisText = codepage::FromUtf8("テキストファイル(*.txt)", 932);
    const std::string sjisAll = codepage::FromUtf8("すべてのファイル", 932);
    // "ポ" is 0x83 0x7C in code page 932: its second byte looks like "|".
    const std::string po = "\x83\x7C";
    const Case cases[] = {
        {"empty", "", codepage::ShiftJis, ""},
        {"four parts 932", sjisText + "|*.txt|" + sjisAll + "|*.*", codepage::ShiftJis,
         sjisText + "\0*.txt\0"s + sjisAll + "\0*.*\0\0"s},
        {"second byte 0x7C kept in 932", po + "|*.p", codepage::ShiftJis, po + "\0*.p\0\0"s},
        {"UTF-8 has no such byte", "\xE3\x83\x9D|*.p", codepage::Utf8, "\xE3\x83\x9D\0*.p\0\0"s},
        {"0x83 0x7C is no character in UTF-8", po + "|*.p", codepage::Utf8, "\x83\0\0*.p\0\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FilterList(c.filter, c.codePage), c.expected);

        TOpenDialog dialog(&service);
        dialog.CodePage = c.codePage;
        dialog.Filter = c.filter;
        dialog.Execute();
        EXPECT_EQ(service.Seen.back().lpstrFilter, c.expected);
    }
}

TEST_F(DialogBaseTest, FileBufferHoldsTheNameCutAtItsCapacity) {
    TOpenDialog dialog(&service);
    dialog.SetFileName(std::string(5000, 'a'));
    dialog.Execute();
    OpenFileNameRequest r = service.Seen.back();
    EXPECT_EQ(r.nMaxFile, 4096u); // the system's path limit
    ASSERT_EQ(r.lpstrFile.size(), 4098u);
    EXPECT_EQ(r.FileText(), std::string(4096, 'a'));
    EXPECT_EQ(r.lpstrFile[4096], '\0');
    EXPECT_EQ(r.lpstrFile[4097], '\0');

    dialog.SetFileName("short.txt");
    dialog.Options.Include(O::ofAllowMultiSelect);
    dialog.Execute();
    r = service.Seen.back();
    EXPECT_EQ(r.nMaxFile, 65519u);
    EXPECT_EQ(r.lpstrFile.size(), 65521u);
    EXPECT_EQ(r.FileText(), "short.txt");
    // A cancelled run keeps the long name untouched.
    EXPECT_EQ(dialog.FileName(), "short.txt");
}

TEST_F(DialogBaseTest, RequestCarriesPropertiesFlagsAndTemplate) {
    TOpenDialog dialog(&service);
    dialog.Options = {O::ofOverwritePrompt, O::ofHideReadOnly, O::ofEnableSizing};
    dialog.Title = "T";
    dialog.InitialDir = "/srv/pics";
    dialog.SetFilterIndex(3);
    dialog.Execute();
    OpenFileNameRequest r = service.Seen.back();
    EXPECT_EQ(r.Flags, 0x20u | 0x2u | 0x4u | 0x800000u | 0x80000u);
    EXPECT_EQ(r.lpstrTitle, "T");
    EXPECT_EQ(r.lpstrInitialDir, "/srv/pics");
    EXPECT_EQ(r.nFilterIndex, 3u);
    EXPECT_EQ(r.lpTemplateName, "");
    EXPECT_NE(r.lpfnHook, nullptr);

    dialog.ChildTemplate = "ENHDLG1";
    dialog.Execute();
    r = service.Seen.back();
    EXPECT_EQ(r.Flags, 0x20u | 0x2u | 0x4u | 0x800000u | 0x80000u | 0x40u);
    EXPECT_EQ(r.lpTemplateName, "ENHDLG1");

    // Every option sets its own flag of the system's request and no other;
    // the old style is the absence of the explorer flag 0x80000.
    const std::pair<O, std::uint32_t> flags[] = {
        {O::ofReadOnly, 0x1},
        {O::ofOverwritePrompt, 0x2},
        {O::ofHideReadOnly, 0x4},
        {O::ofNoChangeDir, 0x8},
        {O::ofShowHelp, 0x10},
        {O::ofNoValidate, 0x100},
        {O::ofAllowMultiSelect, 0x200},
        {O::ofExtensionDifferent, 0x400},
        {O::ofPathMustExist, 0x800},
        {O::ofFileMustExist, 0x1000},
        {O::ofCreatePrompt, 0x2000},
        {O::ofShareAware, 0x4000},
        {O::ofNoReadOnlyReturn, 0x8000},
        {O::ofNoTestFileCreate, 0x10000},
        {O::ofNoNetworkButton, 0x20000},
        {O::ofNoLongNames, 0x40000},
        {O::ofOldStyleDialog, 0},
        {O::ofNoDereferenceLinks, 0x100000},
        {O::ofEnableIncludeNotify, 0x400000},
        {O::ofEnableSizing, 0x800000},
        {O::ofDontAddToRecent, 0x2000000},
        {O::ofForceShowHidden, 0x10000000},
    };
    for (const auto& [option, flag] : flags) {
        dialog.ChildTemplate.clear();
        dialog.Options = {option};
        dialog.Execute();
        const std::uint32_t explorer = option == O::ofOldStyleDialog ? 0 : 0x80000u;
        EXPECT_EQ(service.Seen.back().Flags, 0x20u | explorer | flag)
            << "ordinal " << static_cast<int>(option);
    }
}

TEST_F(DialogBaseTest, DefaultExtensionComesFromFileNameOnlyInTheOldStyle) {
    struct Case {
        const char* defaultExt;
        const char* fileName;
        bool oldStyle;
        const char* expected;
    };
    const Case cases[] = {
        {"", "a.txt", false, ""},  {"", "a.txt", true, "txt"},  {"png", "a.txt", true, "png"},
        {"png", "", false, "png"}, {"", "/x.d/name", true, ""}, {"", "/x/name.tar.gz", true, "gz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        TOpenDialog dialog(&service);
        dialog.DefaultExt = c.defaultExt;
        dialog.SetFileName(c.fileName);
        dialog.Options.Set(O::ofOldStyleDialog, c.oldStyle);
        dialog.Execute();
        EXPECT_EQ(service.Seen.back().lpstrDefExt, c.expected);
    }
}

TEST_F(DialogBaseTest, ConfirmedRunReadsResultsAndCancelChangesNothing) {
    TOpenDialog dialog(&service);
    dialog.SetFileName("proposed");
    dialog.SetFilterIndex(1);
    service.Script = [](OpenFileNameRequest& r) {
        return Confirm(r, "/home/u/pic.png", ofn::ReadOnly | ofn::ExtensionDifferent, 3);
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/home/u/pic.png");
    EXPECT_EQ(dialog.ChosenFiles(), std::vector<std::string>{"/home/u/pic.png"});
    EXPECT_EQ(dialog.FilterIndex(), 3);
    EXPECT_TRUE(dialog.Options.Contains(O::ofReadOnly));
    EXPECT_TRUE(dialog.Options.Contains(O::ofExtensionDifferent));

    // The read-only wish goes in with the next request, and a run without
    // the box ticked takes it out again.
    service.Script = [](OpenFileNameRequest& r) {
        EXPECT_NE(r.Flags & ofn::ReadOnly, 0u);
        r.Flags &= ~(ofn::ReadOnly | ofn::ExtensionDifferent);
        return Confirm(r, "/home/u/b.png", 0, 3);
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_FALSE(dialog.Options.Contains(O::ofReadOnly));
    EXPECT_FALSE(dialog.Options.Contains(O::ofExtensionDifferent));

    // A cancelled run, even one that scribbled on the request, changes nothing.
    const TOpenOptions before = dialog.Options;
    service.Script = [](OpenFileNameRequest& r) {
        Confirm(r, "/elsewhere", ofn::ReadOnly, 4);
        return 0;
    };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/home/u/b.png");
    EXPECT_TRUE(dialog.ChosenFiles().empty());
    EXPECT_EQ(dialog.FilterIndex(), 3);
    EXPECT_EQ(dialog.Options, before);
}

TEST_F(DialogBaseTest, MultipleSelectionListsFolderAndNames) {
    TOpenDialog dialog(&service);
    dialog.Options.Include(O::ofAllowMultiSelect);
    service.Script = [](OpenFileNameRequest& r) {
        const std::string buffer("/home/u\0a.txt\0/abs/b.txt\0\0", 26);
        std::copy(buffer.begin(), buffer.end(), r.lpstrFile.begin());
        return 1;
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/home/u");
    EXPECT_EQ(dialog.ChosenFiles(), (std::vector<std::string>{"/home/u/a.txt", "/abs/b.txt"}));
}

TEST(CentredPositionTest, HalfAcrossAndAThirdDownTruncating) {
    EXPECT_EQ(CentredPosition({0, 0, 400, 300}, {0, 0, 1024, 768}), (TPoint{312, 156}));
    EXPECT_EQ(CentredPosition({5, 5, 405, 305}, {1024, 0, 2048, 768}), (TPoint{1336, 156}));
    // Larger than the monitor: truncation towards zero, not downwards.
    EXPECT_EQ(CentredPosition({0, 0, 1101, 800}, {0, 0, 1024, 768}), (TPoint{-38, -10}));
}

// Plays every notification of a run through the hook and records the events.
TEST_F(DialogBaseTest, NotificationsRaiseTheirEventsWhileShown) {
    TOpenDialog dialog(&service);
    dialog.Filter = "A|*.a|B|*.b";
    dialog.SetFileName("stored.txt");
    FakeWindow window;
    std::vector<std::string> events;
    dialog.OnShow = [&](TCommonDialog&) {
        events.push_back("show");
        // Centred before the show step runs.
        EXPECT_EQ(window.Moves, std::vector<TPoint>{TPoint(312, 156)});
    };
    dialog.OnSelectionChange = [&](TCommonDialog&) {
        events.push_back("select " + dialog.FileName());
    };
    dialog.OnFolderChange = [&](TCommonDialog&) { events.push_back("folder"); };
    dialog.OnTypeChange = [&](TCommonDialog&) {
        events.push_back("type " + std::to_string(dialog.FilterIndex()));
    };
    dialog.OnIncludeItem = [&](TCommonDialog&, const std::string& path, bool& include) {
        include = path != "/hide.me";
    };
    bool allow = false;
    dialog.OnCanClose = [&](TCommonDialog&, bool& canClose) {
        events.push_back("canclose " + dialog.ChosenFiles().at(0));
        canClose = allow;
    };
    dialog.OnClose = [&](TCommonDialog&) { events.push_back("close"); };

    service.Script = [&](OpenFileNameRequest& r) {
        OpenFileNameHook& hook = *r.lpfnHook;
        EXPECT_EQ(dialog.StandardArea(), TRect{});
        hook.Attach(window);
        EXPECT_EQ(dialog.Window(), &window);
        hook.InitDone();
        EXPECT_EQ(dialog.StandardArea(), window.Placeholder);
        hook.SelectionChange();
        hook.FolderChange();
        r.nFilterIndex = 2;
        hook.TypeChange(r);
        hook.TypeChange(r); // unchanged: no event
        EXPECT_TRUE(hook.IncludeItem("/keep.me"));
        EXPECT_FALSE(hook.IncludeItem("/hide.me"));
        r.SetFileText("/home/u/first.b");
        EXPECT_FALSE(hook.FileOk(r));
        EXPECT_TRUE(dialog.ChosenFiles().empty());
        allow = true;
        r.SetFileText("/home/u/second.b");
        EXPECT_TRUE(hook.FileOk(r));
        hook.Destroy();
        hook.Detach();
        EXPECT_EQ(dialog.Window(), nullptr);
        return 1;
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "select /home/u/now.txt", "folder",
                                                "type 2", "canclose /home/u/first.b",
                                                "canclose /home/u/second.b", "close"}));
    EXPECT_EQ(dialog.FileName(), "/home/u/second.b");
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST_F(DialogBaseTest, WindowIsForgottenWhenTheCallThrows) {
    TOpenDialog dialog(&service);
    FakeWindow window;
    dialog.Options.Include(O::ofOldStyleDialog);
    service.Script = [&](OpenFileNameRequest& r) -> int {
        r.lpfnHook->Attach(window);
        // The old style has no placeholder: the whole client area.
        EXPECT_EQ(dialog.StandardArea(), window.Client);
        // Nor does it ask the window for the current path.
        EXPECT_EQ(dialog.FileName(), "");
        throw std::runtime_error("gone");
    };
    EXPECT_THROW(dialog.Execute(), std::runtime_error);
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_EQ(dialog.StandardArea(), TRect{});
}

TEST_F(DialogBaseTest, TextSaveDialogAsksForPlacesBarThroughFlagsEx) {
    TTextSaveDialog dialog(&service);
    dialog.OptionsEx.Include(TOpenOptionEx::ofExNoPlacesBar); // no effect here
    service.Script = [](OpenFileNameRequest& r) { return Confirm(r, "/t/a.txt", 0, 2); };
    ASSERT_TRUE(dialog.Execute());
    OpenFileNameRequest r = service.Seen.back();
    EXPECT_EQ(service.Calls.back(), "save");
    EXPECT_EQ(r.lStructSize, 88u);
    EXPECT_EQ(r.FlagsEx, 0u);
    EXPECT_EQ(r.lpTemplateName, "ENHDLG1");
    EXPECT_NE(r.Flags & ofn::EnableTemplate, 0u);
    // The private request's results reach the dialog.
    EXPECT_EQ(dialog.FilterIndex(), 2);
    EXPECT_EQ(dialog.FileName(), "/t/a.txt");

    dialog.ShowPlacesBar = false;
    dialog.Execute();
    EXPECT_EQ(service.Seen.back().FlagsEx, 1u);

    // Not an extended system: the base run step decides, OptionsEx included.
    UseVersion(1, 4, 95);
    dialog.ShowPlacesBar = true;
    dialog.Execute();
    r = service.Seen.back();
    EXPECT_EQ(r.lStructSize, 88u);
    EXPECT_EQ(r.FlagsEx, 1u);
    UseVersion(2, 4, 0);
    dialog.Execute();
    EXPECT_EQ(service.Seen.back().lStructSize, 76u);
    EXPECT_EQ(service.Seen.back().FlagsEx, 0u);

    dialog.Options.Include(O::ofOldStyleDialog);
    dialog.Execute();
    EXPECT_EQ(service.Seen.back().lpTemplateName, "");
    EXPECT_EQ(service.Seen.back().Flags & ofn::EnableTemplate, 0u);
}

TEST_F(DialogBaseTest, PictureDialogRunsTheSaveCallWithItsTemplate) {
    TSavePictureDialog dialog(&service);
    dialog.Options = {O::ofOverwritePrompt, O::ofHideReadOnly, O::ofEnableSizing};
    service.Script = [](OpenFileNameRequest& r) { return Confirm(r, "/p/a.gif", 0, 4); };
    ASSERT_TRUE(dialog.Execute());
    const OpenFileNameRequest& r = service.Seen.back();
    EXPECT_EQ(service.Calls.back(), "save");
    EXPECT_EQ(r.lpTemplateName, "DLGTEMPLATE");
    EXPECT_EQ(r.Flags, 0x20u | 0x2u | 0x4u | 0x800000u | 0x80000u | 0x40u);
    EXPECT_EQ(r.lStructSize, 88u);
    EXPECT_EQ(r.FlagsEx, 0u);
    EXPECT_EQ(dialog.FilterIndex(), 4);

    TOpenPictureDialog open(&service);
    open.Execute();
    EXPECT_EQ(service.Calls.back(), "open");
    EXPECT_EQ(service.Seen.back().lpTemplateName, "DLGTEMPLATE");
}

TEST_F(DialogBaseTest, DialogWithoutAServiceCannotRun) {
    TOpenDialog dialog;
    EXPECT_THROW(dialog.Execute(), std::logic_error);
}

} // namespace
} // namespace sorvak
