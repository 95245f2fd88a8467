// The system file dialog driven in the process on the offscreen platform,
// through the dialog classes the program uses.
#include "platform/filedialog/SystemFileDialog.h"
#include "base/CodePage.h"
#include "base/Exception.h"
#include "dialogs/SavePictureDialog.h"
#include "dialogs/TextDlgs.h"
#include "tests/support/OffscreenQt.h"
#include "tests/support/filedialog/FileDialogDriving.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace sorvak::platform {
namespace {

using O = TOpenOption;

const char* const TextFilter = "テキストファイル(*.txt)|*.txt|すべてのファイル|*.*";
const char* const PictureFilter =
    "ビットマップ (*.bmp)|*.bmp|JPEG イメージファイル (*.jpg)|*.jpg;*.ipeg|"
    "PNG イメージファイル (*.png)|*.png|GIF イメージファイル (*.gif)|*.gif";

std::string Ansi(const char* utf8) {
    return codepage::FromUtf8(utf8);
}
std::string Ansi(const QString& text) {
    return codepage::FromUtf8(text.toStdString());
}

using test::RunningDialog;
using test::When;
using test::WhenShown;

// Answers the next message box with the given button.
void AnswerBox(QMessageBox::StandardButton answer, QString* text = nullptr) {
    When([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
         [=] {
             auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
             if (text != nullptr)
                 *text = box->text();
             box->button(answer)->click();
         });
}

void TypeName(SystemFileDialog& dialog, const QString& text) {
    QLineEdit* name = dialog.NameField();
    name->selectAll();
    QTest::keyClicks(name, text);
}

void PressReturn(SystemFileDialog& dialog) {
    QTest::keyClick(dialog.NameField(), Qt::Key_Return);
}

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::OffscreenQtEnvironment);

class SystemFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    void TearDown() override { EXPECT_FALSE(watchdog_.Fired()) << "the dialog had to be closed"; }

    QString Dir() const { return dir_.path(); }
    std::string Path(const QString& name) const { return Ansi(dir_.filePath(name)); }

    template <typename D> void Configure(D& dialog, const char* filter, int index) {
        dialog.Filter = Ansi(filter);
        dialog.SetFilterIndex(index);
        dialog.InitialDir = Ansi(Dir());
        dialog.Title = Ansi("テスト");
        dialog.Options = {O::ofOverwritePrompt, O::ofHideReadOnly, O::ofEnableSizing};
    }

    std::vector<std::string> errors;
    SystemFileDialogService service{
        [this](const std::exception& e) { errors.push_back(e.what()); }};

private:
    QTemporaryDir dir_;
    test::DialogWatchdog watchdog_{10000};
};

TEST_F(SystemFileDialogTest, TypedNameGetsTheSelectedFiltersExtension) {
    TSavePictureDialog dialog(&service);
    Configure(dialog, PictureFilter, 3);
    dialog.DefaultExt = "bmp"; // the filter's plain extension wins over it
    dialog.SetFileName(Ansi("Image（2×2）"));
    int shows = 0;
    dialog.OnShow = [&](TCommonDialog&) { ++shows; };
    WhenShown([&](SystemFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8("テスト"));
        EXPECT_EQ(d.windowModality(), Qt::ApplicationModal);
        // The proposed name is there, selected, so typing replaces it.
        EXPECT_EQ(d.NameField()->selectedText(), QString::fromUtf8("Image（2×2）"));
        EXPECT_EQ(d.TypeBox()->currentText(), QString::fromUtf8("PNG イメージファイル (*.png)"));
        EXPECT_EQ(d.ReadOnlyBox(), nullptr);
        // Centred a third of the way down the primary screen.
        const TPoint at = CentredPosition(d.FrameRect(), d.PrimaryMonitorRect());
        EXPECT_EQ(d.frameGeometry().topLeft(), QPoint(at.X, at.Y));
        // The picture column lies right of the standard controls.
        const TRect standard = dialog.StandardArea();
        const QRect column = d.ExtraArea();
        EXPECT_GT(column.width(), 100);
        EXPECT_EQ(column.left(), standard.Right);
        EXPECT_EQ(standard.Bottom, d.TemplateArea()->height());
        QTest::keyClicks(d.NameField(), "shot");
        PressReturn(d);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(dialog.FileName(), Path("shot.png"));
    EXPECT_EQ(dialog.FilterIndex(), 3);
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_TRUE(dialog.Options.Contains(O::ofExtensionDifferent)) << "png is not the default bmp";
    EXPECT_TRUE(errors.empty());
}

TEST_F(SystemFileDialogTest, FilterChangeKeepsTheTypedNameAndReportsTheIndex) {
    // A save dialog that does not follow the filter's extension itself.
    TSavePictureDialog dialog(&service);
    Configure(dialog, TextFilter, 1);
    dialog.DefaultExt = "txt";
    dialog.Options = {O::ofOverwritePrompt, O::ofEnableSizing}; // read-only box shown
    std::vector<int> typeChanges;
    dialog.OnTypeChange = [&](TCommonDialog&) { typeChanges.push_back(dialog.FilterIndex()); };
    WhenShown([&](SystemFileDialog& d) {
        EXPECT_EQ(d.TypeBox()->itemText(0), QString::fromUtf8("テキストファイル(*.txt)"));
        EXPECT_EQ(d.TypeBox()->itemText(1), QString::fromUtf8("すべてのファイル"));

        TypeName(d, "notes.txt");
        QTest::keyClick(d.TypeBox(), Qt::Key_Down); // the user picks "*.*"
        EXPECT_EQ(d.TypeBox()->currentIndex(), 1);
        EXPECT_EQ(d.NameField()->text().toStdString(), "notes.txt");
        EXPECT_EQ(dialog.FilterIndex(), 2);
        EXPECT_EQ(dialog.FileName(), Path("notes.txt"));

        // Picking the selected type again from the list keeps the name too.
        TypeName(d, "notes.png");
        d.TypeBox()->showPopup();
        QAbstractItemView* list = d.TypeBox()->view();
        const QPoint item = list->visualRect(list->model()->index(1, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item);
        EXPECT_FALSE(list->isVisible());
        EXPECT_EQ(d.NameField()->text().toStdString(), "notes.png");

        // "*.*" is no plain extension: the default extension is added.
        TypeName(d, "memo");
        ASSERT_NE(d.ReadOnlyBox(), nullptr);
        d.ReadOnlyBox()->setChecked(true);
        PressReturn(d);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(typeChanges, std::vector<int>{2});
    EXPECT_EQ(dialog.FileName(), Path("memo.txt"));
    EXPECT_EQ(dialog.FilterIndex(), 2);
    EXPECT_TRUE(dialog.Options.Contains(O::ofReadOnly));
}

TEST_F(SystemFileDialogTest, ExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    QFile existing(QDir(Dir()).filePath("exists.png"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    TSavePictureDialog dialog(&service);
    Configure(dialog, PictureFilter, 3);
    int canCloseAsked = 0;
    dialog.OnCanClose = [&](TCommonDialog&, bool&) { ++canCloseAsked; };
    QString question;
    WhenShown([&](SystemFileDialog& d) {
        TypeName(d, "exists"); // the question comes after ".png" is added
        AnswerBox(QMessageBox::No, &question);
        PressReturn(d);
        When([] { return QApplication::activeModalWidget() == RunningDialog(); },
             [&] {
                 EXPECT_TRUE(question.contains("exists.png")) << question.toStdString();
                 EXPECT_TRUE(d.isVisible());
                 EXPECT_EQ(canCloseAsked, 0);
                 AnswerBox(QMessageBox::Yes);
                 PressReturn(d);
             });
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(canCloseAsked, 1);
    EXPECT_EQ(dialog.FileName(), Path("exists.png"));
}

TEST_F(SystemFileDialogTest, CancelReturnsFalseAndChangesNothing) {
    TTextSaveDialog dialog(&service);
    Configure(dialog, TextFilter, 1);
    dialog.SetFileName("ClipboardText.txt");
    WhenShown([&](SystemFileDialog& d) {
        TypeName(d, "other.txt");
        QTest::keyClick(d.TypeBox(), Qt::Key_Down);
        auto* buttons = d.FileDialog()->findChild<QDialogButtonBox*>("buttonBox");
        ASSERT_NE(buttons, nullptr);
        buttons->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "ClipboardText.txt");
    EXPECT_EQ(dialog.FilterIndex(), 1);
    EXPECT_TRUE(dialog.ChosenFiles().empty());

    WhenShown([](SystemFileDialog& d) { QTest::keyClick(d.NameField(), Qt::Key_Escape); });
    EXPECT_FALSE(dialog.Execute());
}

TEST_F(SystemFileDialogTest, CanCloseRefusalKeepsTheDialogOpen) {
    TTextSaveDialog dialog(&service);
    Configure(dialog, TextFilter, 1);
    std::vector<std::string> asked;
    dialog.OnCanClose = [&](TCommonDialog&, bool& canClose) {
        asked.push_back(dialog.ChosenFiles().at(0));
        canClose = asked.size() > 1;
    };
    WhenShown([&](SystemFileDialog& d) {
        TypeName(d, "first");
        PressReturn(d);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(RunningDialog(), &d);
        TypeName(d, "second");
        PressReturn(d);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(asked, (std::vector<std::string>{Path("first.txt"), Path("second.txt")}));
    EXPECT_EQ(dialog.FileName(), Path("second.txt"));
    EXPECT_TRUE(dialog.ChosenFiles().size() == 1);
}

TEST_F(SystemFileDialogTest, PlacesBarFollowsShowPlacesBar) {
    TTextSaveDialog dialog(&service);
    Configure(dialog, TextFilter, 1);
    for (bool places : {true, false, true}) {
        SCOPED_TRACE(places);
        dialog.ShowPlacesBar = places;
        bool visible = !places;
        WhenShown([&](SystemFileDialog& d) {
            ASSERT_NE(d.PlacesBar(), nullptr);
            visible = d.PlacesBar()->isVisible();
            d.reject();
        });
        EXPECT_FALSE(dialog.Execute());
        EXPECT_EQ(visible, places);
    }
}

TEST_F(SystemFileDialogTest, FailingShowStepIsReportedAndTheDialogStaysUsable) {
    TTextSaveDialog dialog(&service);
    Configure(dialog, TextFilter, 1);
    dialog.OnShow = [](TCommonDialog&) { throw Exception("show failed"); };
    WhenShown([&](SystemFileDialog& d) {
        EXPECT_EQ(errors, std::vector<std::string>{"show failed"});
        TypeName(d, "after");
        PressReturn(d);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), Path("after.txt"));
}

TEST_F(SystemFileDialogTest, SelectionAndFolderChangesAreReported) {
    QFile file(QDir(Dir()).filePath("seen.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QDir(Dir()).mkdir("sub"));
    TTextSaveDialog dialog(&service);
    Configure(dialog, TextFilter, 1);
    std::vector<std::string> selections;
    int folderChanges = 0;
    dialog.OnSelectionChange = [&](TCommonDialog&) { selections.push_back(dialog.FileName()); };
    dialog.OnFolderChange = [&](TCommonDialog&) { ++folderChanges; };
    WhenShown([&](SystemFileDialog& d) {
        auto* view = d.FileDialog()->findChild<QAbstractItemView*>("listView");
        ASSERT_NE(view, nullptr);
        auto find = [view](const QString& name) { return test::ListedIndex(*view, name); };
        When([=] { return find("seen.txt").isValid(); },
             [&, view, find] {
                 QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                   view->visualRect(find("seen.txt")).center());
                 ASSERT_FALSE(selections.empty());
                 EXPECT_EQ(selections.back(), Path("seen.txt"));
                 EXPECT_EQ(folderChanges, 0);
                 TypeName(d, "sub");
                 PressReturn(d);
                 EXPECT_EQ(folderChanges, 1);
                 EXPECT_EQ(d.FileDialog()->directory().dirName(), "sub");
                 d.reject();
             });
    });
    EXPECT_FALSE(dialog.Execute());
}

TEST_F(SystemFileDialogTest, PanesFollowTheStandardControlsWhenResized) {
    for (bool picture : {false, true}) {
        SCOPED_TRACE(picture);
        TTextSaveDialog text(&service);
        TSavePictureDialog pictures(&service);
        TOpenDialog& dialog = picture ? static_cast<TOpenDialog&>(pictures) : text;
        Configure(dialog, TextFilter, 1);
        WhenShown([&](SystemFileDialog& d) {
            // A pane laid out as the dialog classes do it.
            const TRect s = dialog.StandardArea();
            const QRect client = d.TemplateArea()->rect();
            auto* pane = new QWidget(d.TemplateArea());
            pane->setGeometry(picture ? QRect(QPoint(s.Right, 4), client.bottomRight())
                                      : QRect(QPoint(0, s.Height() - 10), client.bottomRight()));
            d.resize(d.size() + QSize(40, 30));
            QApplication::processEvents();
            const TRect grown = dialog.StandardArea();
            EXPECT_EQ(grown.Width(), s.Width() + 40);
            EXPECT_EQ(grown.Height(), s.Height() + 30);
            if (picture)
                EXPECT_EQ(pane->geometry(),
                          QRect(QPoint(grown.Right, 4), d.TemplateArea()->rect().bottomRight()));
            else
                EXPECT_EQ(pane->geometry(), QRect(QPoint(0, grown.Height() - 10),
                                                  d.TemplateArea()->rect().bottomRight()));
            d.reject();
        });
        EXPECT_FALSE(dialog.Execute());
    }
}

TEST_F(SystemFileDialogTest, PathTooLongForTheBufferIsRefusedNotCut) {
    QString deep = Dir();
    while (deep.toUtf8().size() < 270)
        deep += "/" + QString(40, u'd');
    ASSERT_TRUE(QDir().mkpath(deep));
    TTextSaveDialog dialog(&service);
    Configure(dialog, TextFilter, 1);
    dialog.InitialDir = Ansi(deep);
    WhenShown([&](SystemFileDialog& d) {
        TypeName(d, "long");
        PressReturn(d);
        EXPECT_EQ(errors.size(), 1u);
        EXPECT_TRUE(d.isVisible());
        // A shorter name elsewhere is still taken.
        // Set, not typed: a typed path brings up the completer's popup.
        d.NameField()->setText(QDir(Dir()).filePath("short"));
        PressReturn(d);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), Path("short.txt"));
}

TEST_F(SystemFileDialogTest, IncludeItemHidesFilesFromTheList) {
    for (const char* name : {"keep.txt", "hide.txt"}) {
        QFile f(QDir(Dir()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TOpenDialog dialog(&service);
    Configure(dialog, TextFilter, 1);
    dialog.Options.Include(O::ofEnableIncludeNotify);
    dialog.OnIncludeItem = [](TCommonDialog&, const std::string& path, bool& include) {
        include = !path.ends_with("hide.txt");
    };
    QStringList listed;
    auto names = [](QAbstractItemView* view) {
        QStringList shown;
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row)
            shown << view->model()->index(row, 0, root).data().toString();
        return shown;
    };
    WhenShown([&](SystemFileDialog& d) {
        EXPECT_NE(d.FileDialog()->proxyModel(), nullptr);
        auto* view = d.FileDialog()->findChild<QAbstractItemView*>("listView");
        ASSERT_NE(view, nullptr);
        // The file system model fills in the background.
        When([=] { return names(view).contains("keep.txt"); },
             [&, view] {
                 QTest::qWait(100);
                 listed = names(view);
                 d.reject();
             });
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(listed.contains("keep.txt")) << listed.join(",").toStdString();
    EXPECT_FALSE(listed.contains("hide.txt"));
}

} // namespace
} // namespace sorvak::platform
