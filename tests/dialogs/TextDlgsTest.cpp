// The text dialogs' logic against a fake system dialog and a fake strip.
#include "dialogs/TextDlgs.h"
#include "dialogs/PicturePane.h"
#include "dialogs/SystemVersion.h"
#include "tests/dialogs/DialogFakes.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace sorvak {
namespace {

using O = TOpenOption;
namespace fs = std::filesystem;

const std::string TextFilter = "テキストファイル(*.txt)|*.txt|すべてのファイル|*.*";

// Records what the logic does to the strip's controls.
class FakePane : public TextPreviewPane {
public:
    explicit FakePane(std::vector<std::string>& log) : log_(log) {}
    ~FakePane() override { log_.push_back("free panel"); }

    TRect Panel, CheckBounds, PreviewRect;
    std::string Caption, Font, Text;
    bool HasCheck = false, HasPreviewControl = false, IsChecked = false;

    void SetPanelBounds(const TRect& b) override { Panel = b; }
    TRect PanelClientRect() const override { return {0, 0, Panel.Width(), Panel.Height()}; }
    void CreateCheckBox(const TRect& b, const std::string& caption, bool checked) override {
        CheckBounds = b;
        Caption = caption;
        HasCheck = true;
        IsChecked = checked;
    }
    void DestroyCheckBox() override {
        HasCheck = false;
        log_.push_back("free check box");
    }
    bool HasCheckBox() const override { return HasCheck; }
    bool Checked() const override { return IsChecked; }
    void SetChecked(bool checked) override {
        if (checked == IsChecked)
            return;
        IsChecked = checked;
        if (OnCheckClick)
            OnCheckClick();
    }
    void CreatePreview(const TRect& b, const std::string& font) override {
        PreviewRect = b;
        Font = font;
        HasPreviewControl = true;
    }
    void DestroyPreview() override {
        HasPreviewControl = false;
        log_.push_back("free preview");
    }
    bool HasPreview() const override { return HasPreviewControl; }
    TRect PreviewBounds() const override { return PreviewRect; }
    void SetPreviewBounds(const TRect& b) override { PreviewRect = b; }
    void SetPreviewText(std::string_view text) override { Text = text; }
    void ClearPreview() override { Text.clear(); }
    int SizeGripWidth() const override { return 16; }

private:
    std::vector<std::string>& log_;
};

class FakePanes : public DialogPanes {
public:
    std::vector<std::string> Log;
    FakePane* Last = nullptr;
    std::unique_ptr<TextPreviewPane> CreateTextPreviewPane() override {
        auto pane = std::make_unique<FakePane>(Log);
        Last = pane.get();
        return pane;
    }
    std::unique_ptr<PicturePane> CreatePicturePane() override { return nullptr; }
};

class TextDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = SystemVersion();
        window.PaneMaker = &panes;
        dialog.Filter = TextFilter;
        dialog.Options = {O::ofOverwritePrompt, O::ofEnableSizing};
    }
    void TearDown() override { SetSystemVersion(saved_); }

    // Runs the dialog; `during` acts while it is shown, then it is cancelled.
    bool RunShown(const std::function<void(OpenFileNameHook&, OpenFileNameRequest&)>& during) {
        service.Script = [&](OpenFileNameRequest& r) {
            r.lpfnHook->Attach(window);
            r.lpfnHook->InitDone();
            during(*r.lpfnHook, r);
            r.lpfnHook->Destroy();
            r.lpfnHook->Detach();
            return 0;
        };
        return dialog.Execute();
    }

    FakeService service;
    FakeWindow window;
    FakePanes panes;
    TTextSaveDialog dialog{&service};

private:
    OsVersionInfo saved_;
};

TEST_F(TextDialogsTest, ShowStepLaysOutTheStripAndCloseStepFreesIt) {
    for (bool sizing : {true, false}) {
        SCOPED_TRACE(sizing);
        panes.Log.clear();
        dialog.Options.Set(O::ofEnableSizing, sizing);
        dialog.OnClose = [&](TCommonDialog&) { panes.Log.push_back("OnClose"); };
        RunShown([&](OpenFileNameHook&, OpenFileNameRequest& r) {
            EXPECT_EQ(r.lpTemplateName, "ENHDLG1");
            FakePane& pane = *panes.Last;
            ASSERT_EQ(dialog.PreviewPanel(), &pane);
            // Client 600 x 500, standard controls 380 high.
            EXPECT_EQ(pane.Panel, (TRect{0, 370, 600, 500}));
            EXPECT_EQ(pane.CheckBounds, (TRect{5, 2, 205, 27}));
            EXPECT_EQ(pane.Caption, "内容をプレビューする(&P)");
            EXPECT_EQ(pane.Font, "ＭＳ ゴシック");
            EXPECT_EQ(pane.PreviewRect, (TRect{5, 25, sizing ? 579 : 595, 125}));
        });
        EXPECT_EQ(dialog.PreviewPanel(), nullptr);
        EXPECT_EQ(panes.Log, (std::vector<std::string>{"free preview", "free check box",
                                                       "free panel", "OnClose"}));
    }
}

TEST_F(TextDialogsTest, PreviewFollowsTheCheckBoxAndLastsAcrossRuns) {
    const test::TempDir dir;
    const fs::path file = dir.Path() / "preview";
    std::ofstream(file) << "line\n";
    window.Path = file.string();
    dialog.Preview = true;
    RunShown([&](OpenFileNameHook& hook, OpenFileNameRequest&) {
        FakePane& pane = *panes.Last;
        EXPECT_TRUE(pane.IsChecked);
        EXPECT_EQ(pane.Text, ""); // nothing loaded before a selection
        hook.SelectionChange();
        EXPECT_EQ(pane.Text, "line\r\n");
        pane.SetChecked(false); // the user unchecks: cleared at once
        EXPECT_FALSE(dialog.Preview);
        EXPECT_EQ(pane.Text, "");
        hook.SelectionChange();
        EXPECT_EQ(pane.Text, "");
    });
    EXPECT_FALSE(dialog.Preview);
    RunShown([&](OpenFileNameHook&, OpenFileNameRequest&) {
        FakePane& pane = *panes.Last;
        EXPECT_FALSE(pane.IsChecked);
        dialog.Preview = true; // through the check box, which loads
        EXPECT_TRUE(pane.IsChecked);
        EXPECT_EQ(pane.Text, "line\r\n");
    });
    EXPECT_TRUE(dialog.Preview);
}

TEST_F(TextDialogsTest, TypeChangeRewritesTheWholeNameFieldAndDefaultExt) {
    struct Case {
        std::string typed;
        int index;
        std::string filter;
        std::string field;
        std::string defaultExt;
    } cases[] = {
        {"memo.txt", 2, TextFilter, "memo.*", "*"},
        {"memo", 1, TextFilter, "memo.txt", "txt"},
        {"memo.csv", 1, TextFilter, "memo.txt", "txt"},
        {"", 1, TextFilter, "*.txt", "txt"},
        {"", 2, TextFilter, "*.*", "*"},
        {"*.txt", 2, TextFilter, "*.*", "*"},
        {"a.b/memo", 1, TextFilter, "a.b/memo.txt", "txt"},
        {"memo.txt", 2, "A|*.a|B|Makefile", "memo", ""},
        {"", 2, "A|*.a|B|Makefile", "*", ""},
        // A long typed path keeps its tail.
        {std::string(300, 'd') + "/memo.txt", 2, TextFilter, std::string(300, 'd') + "/memo.*",
         "*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed + " -> " + std::to_string(c.index));
        dialog.Filter = c.filter;
        dialog.SetFilterIndex(3 - c.index);
        bool raised = false;
        dialog.OnTypeChange = [&](TCommonDialog&) { raised = true; };
        RunShown([&](OpenFileNameHook& hook, OpenFileNameRequest& r) {
            window.NameText = c.typed;
            r.nFilterIndex = static_cast<std::uint32_t>(c.index);
            hook.TypeChange(r);
            EXPECT_EQ(window.NameText, c.field);
            EXPECT_EQ(dialog.DefaultExt, c.defaultExt);
        });
        EXPECT_FALSE(raised);
    }
}

TEST_F(TextDialogsTest, AutoExtChangeOffLeavesNameAndDefaultExtAlone) {
    dialog.AutoExtChange = false;
    dialog.DefaultExt = "log";
    RunShown([&](OpenFileNameHook& hook, OpenFileNameRequest& r) {
        EXPECT_EQ(r.lpstrDefExt, "log");
        window.NameText = "memo.txt";
        r.nFilterIndex = 2;
        hook.TypeChange(r);
        EXPECT_EQ(window.NameText, "memo.txt");
    });
    EXPECT_EQ(dialog.DefaultExt, "log");
    // On, Execute takes the selected filter's extension first.
    dialog.AutoExtChange = true;
    dialog.SetFilterIndex(2);
    RunShown([&](OpenFileNameHook&, OpenFileNameRequest& r) { EXPECT_EQ(r.lpstrDefExt, "*"); });
    dialog.SetFilterIndex(7); // no such pair: kept
    RunShown([&](OpenFileNameHook&, OpenFileNameRequest& r) { EXPECT_EQ(r.lpstrDefExt, "*"); });
}

TEST_F(TextDialogsTest, OpenDialogRunsTheOpenCallWithThePlacesBarWish) {
    TTextOpenDialog open(&service);
    open.ShowPlacesBar = false;
    open.Execute();
    ASSERT_EQ(service.Calls, std::vector<std::string>{"open"});
    EXPECT_EQ(service.Seen.back().lStructSize, 88u);
    EXPECT_EQ(service.Seen.back().FlagsEx, 1u);
    EXPECT_EQ(service.Seen.back().lpTemplateName, "ENHDLG1");
    // Without a pane maker the dialog shows no strip and still runs.
    window.PaneMaker = nullptr;
    service.Script = [&](OpenFileNameRequest& r) {
        r.lpfnHook->Attach(window);
        r.lpfnHook->InitDone();
        r.lpfnHook->SelectionChange();
        EXPECT_EQ(open.PreviewPanel(), nullptr);
        r.lpfnHook->Destroy();
        r.lpfnHook->Detach();
        return 0;
    };
    EXPECT_FALSE(open.Execute());
}

} // namespace
} // namespace sorvak
