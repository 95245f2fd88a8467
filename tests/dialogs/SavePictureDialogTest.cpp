// The picture dialogs' show, selection-change, preview and close steps,
// driven through a scripted dialog call against a pane double.
#include "dialogs/SavePictureDialog.h"
#include "dialogs/TextPreviewPane.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvak {
namespace {

namespace fs = std::filesystem;

class FakePane : public PicturePane {
public:
    TRect Panel{204, 5, 373, 205};
    TRect Button{77, 1, 100, 23};
    std::string Label, Caption = "initial";
    bool Enabled = false, Shown = false, HintsHidden = false;
    bool HasPicture = true;
    int Previews = 0;
    // The loader's answers by file name; a missing entry throws.
    std::map<std::string, std::optional<TPictureSize>> Pictures;
    std::vector<std::string> Loads;

    TRect PanelBounds() const override { return Panel; }
    void SetPanelBounds(const TRect& bounds) override { Panel = bounds; }
    // Inside the 6-pixel border, below the 23-pixel label.
    TRect PaintPanelBounds() const override {
        return {6, 29, Panel.Width() - 6, Panel.Height() - 6};
    }
    TRect PreviewButtonBounds() const override { return Button; }
    void SetPreviewButtonBounds(const TRect& bounds) override { Button = bounds; }
    std::string LabelText() const override { return Label; }
    void SetLabelText(const std::string& text) override { Label = text; }
    bool PreviewEnabled() const override { return Enabled; }
    void SetPreviewEnabled(bool enabled) override { Enabled = enabled; }
    std::string PaintCaption() const override { return Caption; }
    void SetPaintCaption(const std::string& text) override { Caption = text; }
    std::optional<TPictureSize> LoadPicture(const std::string& fileName, TPictureFormat) override {
        Loads.push_back(fileName);
        auto found = Pictures.find(fileName);
        if (found == Pictures.end())
            throw std::runtime_error("cannot read");
        HasPicture = found->second.has_value();
        return found->second;
    }
    void ClearPicture() override { HasPicture = false; }
    void ShowPanel() override { Shown = true; }
    void ShowPreview() override { ++Previews; }
    void HideHints() override { HintsHidden = true; }
};

class FakeWindow : public FileDialogWindow, public DialogPanes {
public:
    TRect Client{0, 0, 600, 400};
    TRect Placeholder{0, 0, 420, 400};
    std::string Path;
    FakePane* Made = nullptr;
    std::function<void(FakePane&)> Prepare = [](FakePane&) {};

    TRect ClientRect() const override { return Client; }
    TRect PlaceholderRect() const override { return Placeholder; }
    TRect FrameRect() const override { return {0, 0, 600, 420}; }
    TRect PrimaryMonitorRect() const override { return {0, 0, 1280, 1024}; }
    void MoveFrame(int, int) override {}
    std::string CurrentFilePath() const override { return Path; }
    std::string FileNameText() const override { return Path; }
    void SetFileNameText(std::string_view) override {}
    DialogPanes* Panes() override { return this; }

    std::unique_ptr<TextPreviewPane> CreateTextPreviewPane() override { return nullptr; }
    std::unique_ptr<PicturePane> CreatePicturePane() override {
        auto pane = std::make_unique<FakePane>();
        Made = pane.get();
        Prepare(*pane);
        return pane;
    }
};

// Runs the dialog: attach, show, then `steps` while it is shown, then close.
class ScriptedService : public FileDialogService {
public:
    FakeWindow Window;
    std::function<void(OpenFileNameHook&)> Steps = [](OpenFileNameHook&) {};

    int GetOpenFileName(OpenFileNameRequest& r) override { return Run(r); }
    int GetSaveFileName(OpenFileNameRequest& r) override {
        ++Saves;
        return Run(r);
    }
    int Saves = 0;

private:
    int Run(OpenFileNameRequest& r) {
        OpenFileNameHook& hook = *r.lpfnHook;
        hook.Attach(Window);
        hook.InitDone();
        Steps(hook);
        hook.Destroy();
        hook.Detach();
        return 0;
    }
};

class PictureDialogTest : public ::testing::Test {
protected:
    std::string File(const std::string& name) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path) << "bytes";
        return path;
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    ScriptedService service;

private:
    const test::TempDir temp_;
    const fs::path dir_ = temp_.Path();
};

TEST_F(PictureDialogTest, ShowStepPlacesThePaneRightOfTheStandardControlsAndClearsIt) {
    TSavePictureDialog dialog(&service);
    int shows = 0;
    dialog.OnShow = [&](TCommonDialog&) { ++shows; };
    service.Steps = [&](OpenFileNameHook&) {
        FakePane& pane = *service.Window.Made;
        ASSERT_EQ(dialog.Pane(), &pane);
        EXPECT_EQ(pane.Panel, (TRect{420, 4, 600, 400}));
        // Right edge 2 pixels left of PaintPanel's, width kept.
        EXPECT_EQ(pane.Button, (TRect{149, 1, 172, 23}));
        EXPECT_EQ(pane.PaintPanelBounds().Right - 2, pane.Button.Right);
        EXPECT_TRUE(pane.Shown);
        EXPECT_FALSE(pane.HasPicture);
        EXPECT_EQ(pane.Caption, "(なし)");
        EXPECT_EQ(pane.Label, "");
        EXPECT_FALSE(pane.Enabled);
        EXPECT_EQ(shows, 1);
    };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(service.Saves, 1);
    EXPECT_EQ(dialog.ChildTemplate, PictureDialogTemplate);
    // The pane is the running dialog's only.
    EXPECT_EQ(dialog.Pane(), nullptr);
}

TEST_F(PictureDialogTest, SelectionShowsThePictureOrNothing) {
    struct Case {
        const char* what;
        std::string path;
        bool loaded;
        const char* label;
    };
    fs::create_directory(Path("folder.png"));
    ASSERT_EQ(mkfifo(Path("pipe.png").c_str(), 0600), 0);
    const std::vector<Case> cases = {
        {"picture, upper-case extension", File("a.PNG"), true, " (640x480)"},
        {"second picture", File("b.jpeg"), true, " (1x1)"},
        {"damaged", File("bad.gif"), true, "画像:"},
        {"unreadable", File("throws.bmp"), true, "画像:"},
        {"extension of no format", File("c.tiff"), false, "画像:"},
        {"no extension", File("png"), false, "画像:"},
        {"folder", Path("folder.png"), false, "画像:"},
        {"missing", Path("gone.png"), false, "画像:"},
        // The pane refuses it without opening it; the logic only asks.
        {"FIFO", Path("pipe.png"), true, "画像:"},
    };
    service.Window.Prepare = [&](FakePane& pane) {
        pane.Pictures[Path("a.PNG")] = TPictureSize{640, 480};
        pane.Pictures[Path("b.jpeg")] = TPictureSize{1, 1};
        pane.Pictures[Path("bad.gif")] = std::nullopt;
        pane.Pictures[Path("pipe.png")] = std::nullopt;
    };
    TSavePictureDialog dialog(&service);
    service.Steps = [&](OpenFileNameHook& hook) {
        FakePane& pane = *service.Window.Made;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            pane.Loads.clear();
            service.Window.Path = c.path;
            hook.SelectionChange();
            EXPECT_EQ(pane.Loads.size(), c.loaded ? 1u : 0u);
            EXPECT_EQ(pane.Label, c.label);
            const bool shown = std::string(c.label) != "画像:";
            EXPECT_EQ(pane.Enabled, shown);
            EXPECT_EQ(pane.HasPicture, shown);
            EXPECT_EQ(pane.Caption, shown ? "" : "(なし)");
        }
    };
    dialog.Execute();
}

TEST_F(PictureDialogTest, SameNameTwiceLoadsOnceButRaisesTheEventEachTime) {
    const std::string a = File("a.png"), b = File("b.png");
    service.Window.Prepare = [&](FakePane& pane) {
        pane.Pictures[a] = TPictureSize{2, 3};
        pane.Pictures[b] = TPictureSize{4, 5};
    };
    TSavePictureDialog dialog(&service);
    std::vector<std::string> events;
    dialog.OnSelectionChange = [&](TCommonDialog&) { events.push_back(dialog.FileName()); };
    auto select = [&](OpenFileNameHook& hook, const std::string& path) {
        service.Window.Path = path;
        hook.SelectionChange();
    };
    service.Steps = [&](OpenFileNameHook& hook) {
        select(hook, a);
        select(hook, a);
        select(hook, b);
        select(hook, a);
        EXPECT_EQ(service.Window.Made->Loads, (std::vector<std::string>{a, b, a}));
        EXPECT_EQ(service.Window.Made->Label, " (2x3)");
    };
    dialog.Execute();
    EXPECT_EQ(events, (std::vector<std::string>{a, a, b, a}));
    // A new run forgets the last name: the same selection loads again.
    service.Steps = [&](OpenFileNameHook& hook) {
        select(hook, a);
        EXPECT_EQ(service.Window.Made->Loads, (std::vector<std::string>{a}));
    };
    dialog.Execute();
}

TEST_F(PictureDialogTest, PreviewClickOpensThePreviewAndCloseHidesHintsAfterItsEvent) {
    TSavePictureDialog dialog(&service);
    FakePane* pane = nullptr;
    std::vector<bool> hiddenAtClose;
    bool hiddenAfter = false;
    dialog.OnClose = [&](TCommonDialog&) { hiddenAtClose.push_back(pane->HintsHidden); };
    service.Steps = [&](OpenFileNameHook& hook) {
        pane = service.Window.Made;
        pane->OnPreviewClick();
        EXPECT_EQ(pane->Previews, 1);
        // The close step, seen while the pane still exists.
        hook.Destroy();
        hiddenAfter = pane->HintsHidden;
    };
    dialog.Execute();
    ASSERT_FALSE(hiddenAtClose.empty());
    EXPECT_FALSE(hiddenAtClose.front());
    EXPECT_TRUE(hiddenAfter);
}

TEST_F(PictureDialogTest, WithoutPanesTheStepsStillRaiseTheirEvents) {
    class NoPanes : public FakeWindow {
    public:
        DialogPanes* Panes() override { return nullptr; }
    };
    // The window double without panes replaces the one with them.
    struct Service : FileDialogService {
        NoPanes Window;
        int GetOpenFileName(OpenFileNameRequest& r) override { return GetSaveFileName(r); }
        int GetSaveFileName(OpenFileNameRequest& r) override {
            r.lpfnHook->Attach(Window);
            r.lpfnHook->InitDone();
            Window.Path = "/nowhere/a.png";
            r.lpfnHook->SelectionChange();
            r.lpfnHook->Destroy();
            r.lpfnHook->Detach();
            return 0;
        }
    } bare;
    TSavePictureDialog dialog(&bare);
    int events = 0;
    dialog.OnShow = dialog.OnSelectionChange = dialog.OnClose = [&](TCommonDialog&) { ++events; };
    dialog.PreviewClick(); // no pane: nothing to show
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(events, 3);
}

TEST(PictureFormatOfName, ExtensionsInAnyCase) {
    const std::pair<const char*, std::optional<TPictureFormat>> cases[] = {
        {"/p/a.bmp", TPictureFormat::Bitmap},
        {"/p/a.ICO", TPictureFormat::Icon},
        {"/p/a.Wmf", TPictureFormat::Metafile},
        {"/p/a.emf", TPictureFormat::EnhancedMetafile},
        {"/p/a.JPEG", TPictureFormat::Jpeg},
        {"/p/a.jpg", TPictureFormat::Jpeg},
        {"/p/a.b.png", TPictureFormat::Png},
        {"/p/a.gif", TPictureFormat::Gif},
        {"/p/a.ipeg", std::nullopt},
        {"/p/a.png.txt", std::nullopt},
        {"/p.png/a", std::nullopt},
        {"/p/gif", std::nullopt},
    };
    for (const auto& [name, format] : cases)
        EXPECT_EQ(PictureFormatOfName(name), format) << name;
}

TEST(PreviewClientSize, GrowsToThePictureUpToThreeQuartersOfTheMonitor) {
    const TPictureSize client{300, 200}, panel{298, 198}, monitor{1280, 1024};
    // Room for the picture inside the panel's border and margin.
    EXPECT_EQ(PreviewClientSize(client, panel, {100, 50}, monitor), (TPictureSize{112, 62}));
    EXPECT_EQ(PreviewClientSize(client, panel, {3840, 2160}, monitor), (TPictureSize{960, 768}));
    EXPECT_EQ(PreviewClientSize(client, panel, {100, 5000}, monitor), (TPictureSize{112, 768}));
    EXPECT_EQ(PreviewClientSize(client, panel, {0, 0}, monitor), client);
    // Odd monitor sizes truncate.
    EXPECT_EQ(PreviewClientSize(client, panel, {9999, 9999}, {1023, 767}),
              (TPictureSize{767, 575}));
}

} // namespace
} // namespace sorvak
