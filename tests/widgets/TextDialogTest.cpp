// The text save dialog with its preview strip, in the real system dialog on
// the offscreen platform.
#include "base/CodePage.h"
#include "dialogs/TextDlgs.h"
#include "formtext/FormPreview.h"
#include "platform/filedialog/SystemFileDialog.h"
#include "tests/formtext/FormFixtures.h"
#include "tests/support/OffscreenQt.h"
#include "tests/support/filedialog/FileDialogDriving.h"
#include "widgets/QtDialogPanes.h"
#include "widgets/QtTextPreviewPane.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <unistd.h>

namespace sorvak {
namespace {

using platform::SystemFileDialog;
using O = TOpenOption;
namespace fs = std::filesystem;

using test::WhenShown;

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::OffscreenQtEnvironment);

class TextDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        dialog.Filter = codepage::FromUtf8("テキストファイル(*.txt)|*.txt|すべてのファイル|*.*");
        dialog.InitialDir = Dir().toStdString();
        dialog.Title = "text";
        dialog.Options = {O::ofOverwritePrompt, O::ofEnableSizing};
        dialog.Preview = true;
    }
    void TearDown() override { EXPECT_FALSE(watchdog_.Fired()) << "the dialog had to be closed"; }

    QString Dir() const { return dir_.path(); }
    fs::path Path(const std::string& name) const { return fs::path(Dir().toStdString()) / name; }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    widgets::QtTextPreviewPane& Pane() {
        return *static_cast<widgets::QtTextPreviewPane*>(dialog.PreviewPanel());
    }
    QString PreviewText() { return Pane().PreviewControl()->toPlainText(); }

    // Clicks the item of that name in the file list, once it is listed.
    static void Select(SystemFileDialog& d, const QString& name) {
        auto* view = d.FileDialog()->findChild<QAbstractItemView*>("treeView");
        if (!view->isVisible())
            view = d.FileDialog()->findChild<QAbstractItemView*>("listView");
        auto find = [view, name] {
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                if (view->model()->index(row, 0, root).data().toString() == name)
                    return view->model()->index(row, 0, root);
            return QModelIndex();
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return find().isValid(); })) << name.toStdString();
        view->scrollTo(find());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(find()).center());
    }

    // Offscreen windows take the focus only when asked; keys for an
    // unfocused name field would reach the file list.
    static void TypeName(SystemFileDialog& d, const QString& text) {
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        d.NameField()->setFocus();
        d.NameField()->selectAll();
        QTest::keyClicks(d.NameField(), text);
    }

    std::vector<std::string> errors;
    platform::SystemFileDialogService service{
        [this](const std::exception& e) { errors.push_back(e.what()); }, widgets::MakeDialogPanes};
    TTextSaveDialog dialog{&service};

private:
    QTemporaryDir dir_;
    test::DialogWatchdog watchdog_{20000};
};

TEST_F(TextDialogTest, StripLiesBelowTheStandardControls) {
    for (bool sizing : {true, false}) {
        SCOPED_TRACE(sizing);
        dialog.Options.Set(O::ofEnableSizing, sizing);
        WhenShown([&](SystemFileDialog& d) {
            widgets::QtTextPreviewPane& pane = Pane();
            const TRect s = dialog.StandardArea();
            const QRect client = d.TemplateArea()->rect();
            EXPECT_GT(d.ExtraArea().height(), 80);
            EXPECT_EQ(pane.Panel()->geometry(),
                      QRect(QPoint(0, s.Height() - 10), client.bottomRight()));
            EXPECT_EQ(pane.CheckBox()->geometry(), QRect(5, 2, 200, 25));
            EXPECT_EQ(pane.CheckBox()->text(), QString::fromUtf8("内容をプレビューする(&P)"));
            EXPECT_TRUE(pane.CheckBox()->isChecked());
            QPlainTextEdit* preview = pane.PreviewControl();
            const int grip = sizing ? pane.SizeGripWidth() : 0;
            EXPECT_GT(pane.SizeGripWidth(), 0);
            EXPECT_EQ(preview->geometry(),
                      QRect(5, 25, client.width() - 10 - grip, pane.Panel()->height() - 30));
            EXPECT_TRUE(preview->isReadOnly());
            EXPECT_TRUE(preview->isVisible());
            EXPECT_TRUE(QFontInfo(preview->font()).fixedPitch());
            d.reject();
        });
        EXPECT_FALSE(dialog.Execute());
        EXPECT_EQ(dialog.PreviewPanel(), nullptr);
    }
}

TEST_F(TextDialogTest, ListColumnsShowTheirWholeContentAtTheOpeningSize) {
    Write("a-file-with-a-rather-long-name-for-the-list.txt", "x");
    Write("big.txt", "");
    fs::resize_file(Path("big.txt"), std::uintmax_t{50} << 20);
    WhenShown([&](SystemFileDialog& d) {
        auto* view = d.FileDialog()->findChild<QTreeView*>("treeView");
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(view->isVisible());
        QHeaderView* header = view->header();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) == 2; }));
        QApplication::processEvents();
        int others = 0;
        for (int column = 1; column < header->count(); ++column) {
            SCOPED_TRACE(column);
            EXPECT_GE(header->sectionSize(column),
                      static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column));
            EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column));
            others += header->sectionSize(column);
        }
        EXPECT_EQ(header->sectionSize(0), view->viewport()->width() - others);
        EXPECT_GT(header->sectionSize(0), 0);
        d.reject();
    });
    EXPECT_FALSE(dialog.Execute());
}

TEST_F(TextDialogTest, RefreshPreviewShowsEachKindOfSelection) {
    const std::string module = test::ResourceFile("TDATAMODULE1", test::DataModule1Stream());
    std::string textForm = "object Form1: TForm1\r\n";
    while (textForm.size() < 1100)
        textForm += "  Tag = 1\r\n";
    std::string letters;
    for (int i = 0; i < 5000; ++i)
        letters.push_back(static_cast<char>('a' + i % 26));
    Write("5000.txt", letters);
    Write("1024.txt", letters.substr(0, 1024));
    Write("empty.txt", "");
    Write("nul.txt", std::string("0123456789\0hidden", 17));
    Write("lf.txt", "one\ntwo\rthree\r\n");
    Write("module.dfm", module);
    Write("text.dfm", textForm);
    Write("upper.DFM", module);
    Write("mixed.~Df", module);
    Write("mixed.~dFM", module);
    Write("module.dfmx", module);
    fs::create_directory(Path("folder"));

    const QString moduleStart = "object DataModule1: TDataModule1\n  OldCreateOrder = False\n  "
                                "OnCreate = DataModuleCreate\n";
    // The text form cut to its first 1024 bytes, as the converter gives it.
    const std::string moduleText = FormFilePreview(module, std::string::npos);
    ASSERT_GT(moduleText.size(), 1024u);
    QString moduleShown = QString::fromStdString(codepage::ToUtf8(moduleText.substr(0, 1024)));
    moduleShown.replace("\r\n", "\n");
    struct Case {
        const char* name;
        std::function<bool(const QString&)> shows;
    } cases[] = {
        {"5000.txt", [&](const QString& t) { return t.toStdString() == letters.substr(0, 1024); }},
        {"1024.txt", [&](const QString& t) { return t.toStdString() == letters.substr(0, 1024); }},
        {"empty.txt", [](const QString& t) { return t.isEmpty(); }},
        {"nul.txt", [](const QString& t) { return t == "0123456789"; }},
        {"lf.txt", [](const QString& t) { return t == "one\ntwo\nthree\n"; }},
        {"module.dfm", [&](const QString& t) { return t == moduleShown; }},
        {"upper.DFM", [&](const QString& t) { return t.startsWith(moduleStart); }},
        {"mixed.~Df", [&](const QString& t) { return t.startsWith(moduleStart); }},
        {"mixed.~dFM", [&](const QString& t) { return t.startsWith(moduleStart); }},
        {"text.dfm",
         [&](const QString& t) {
             QString expected = QString::fromStdString(textForm.substr(0, 1024));
             return t == expected.replace("\r\n", "\n");
         }},
        // Another extension takes the ordinary road: the header's NUL ends it.
        {"module.dfmx", [](const QString& t) { return t.size() <= 2 && !t.startsWith("object"); }},
        {"folder", [](const QString& t) { return t.isEmpty(); }},
    };
    dialog.SetFilterIndex(2); // every file
    WhenShown([&](SystemFileDialog& d) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            Select(d, "5000.txt"); // something to clear
            Select(d, c.name);
            ASSERT_EQ(dialog.FileName(), Path(c.name).string());
            EXPECT_TRUE(c.shows(PreviewText())) << PreviewText().toStdString();
            if (std::string(c.name) == "lf.txt") {
                EXPECT_EQ(Pane().PreviewControl()->blockCount(), 4);
            }
        }
        // A typed wildcard is no file.
        Select(d, "5000.txt");
        TypeName(d, "*.txt");
        dialog.RefreshPreview();
        EXPECT_EQ(PreviewText(), "");
        d.reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(errors.empty());
}

TEST_F(TextDialogTest, UnreadableFileGivesTheErrorAndTheDialogStaysOpen) {
    // Root reads any file with permission bits cleared; a write-only kernel
    // attribute refuses even root.
    std::string target = "/sys/bus/pci/rescan";
    if (::geteuid() != 0) {
        Write("locked.txt", "secret");
        fs::permissions(Path("locked.txt"), fs::perms::none);
        target = Path("locked.txt").string();
    } else if (!fs::exists(target)) {
        GTEST_SKIP() << "no file here that root cannot read";
    }
    fs::create_symlink(target, Path("unreadable.txt"));
    Write("fine.txt", "fine");
    WhenShown([&](SystemFileDialog& d) {
        Select(d, "fine.txt");
        EXPECT_EQ(PreviewText(), "fine");
        Select(d, "unreadable.txt");
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_TRUE(errors[0].starts_with("ファイル \"" + Path("unreadable.txt").string() + "\". "))
            << errors[0];
        EXPECT_TRUE(errors[0].ends_with(" は開けません")) << errors[0];
        EXPECT_EQ(PreviewText(), "");
        EXPECT_TRUE(d.isVisible());
        Select(d, "fine.txt");
        EXPECT_EQ(PreviewText(), "fine");
        TypeName(d, "saved");
        QTest::keyClick(d.NameField(), Qt::Key_Return);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), Path("saved.txt").string());
}

TEST_F(TextDialogTest, CheckBoxDrivesThePreviewAndPreviewLastsAcrossRuns) {
    Write("note.txt", "note");
    WhenShown([&](SystemFileDialog& d) {
        EXPECT_EQ(PreviewText(), ""); // nothing before the first selection
        Select(d, "note.txt");
        EXPECT_EQ(PreviewText(), "note");
        QTest::mouseClick(Pane().CheckBox(), Qt::LeftButton);
        EXPECT_FALSE(Pane().CheckBox()->isChecked());
        EXPECT_EQ(PreviewText(), "");
        Select(d, "note.txt");
        EXPECT_EQ(PreviewText(), "");
        d.reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(dialog.Preview);
    WhenShown([&](SystemFileDialog& d) {
        EXPECT_FALSE(Pane().CheckBox()->isChecked());
        Select(d, "note.txt");
        EXPECT_EQ(PreviewText(), "");
        QTest::mouseClick(Pane().CheckBox(), Qt::LeftButton); // loads the selection
        EXPECT_EQ(PreviewText(), "note");
        d.reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(dialog.Preview);
}

TEST_F(TextDialogTest, PickingAnotherTypeRewritesTheTypedExtension) {
    WhenShown([&](SystemFileDialog& d) {
        TypeName(d, "memo.txt");
        QTest::keyClick(d.TypeBox(), Qt::Key_Down); // "すべてのファイル"
        EXPECT_EQ(d.NameField()->text(), "memo.*");
        EXPECT_EQ(dialog.DefaultExt, "*");
        QTest::keyClick(d.TypeBox(), Qt::Key_Up);
        EXPECT_EQ(d.NameField()->text(), "memo.txt");
        d.NameField()->setFocus();
        QTest::keyClick(d.NameField(), Qt::Key_Return);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), Path("memo.txt").string());
    EXPECT_EQ(dialog.DefaultExt, "txt");
}

} // namespace
} // namespace sorvak
