// Every kind of shown text in the language of the locale the test runs under
// (its ctest entries set LC_ALL): Japanese, byte for byte as it always was,
// under Japanese and C locales; English under any other, also where the
// locale's character set cannot hold Japanese.
#include "base/CodePage.h"
#include "base/FileErrors.h"
#include "base/FileHead.h"
#include "clipboard/Clipboard.h"
#include "clipboard/DropFiles.h"
#include "dialogs/SavePictureDialog.h"
#include "driver/ModMain.h"
#include "formtext/FormText.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/Png.h"
#include "platform/filedialog/FileDialogFilters.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/QtAnsi.h"
#include "platform/qt/QtTranslations.h"
#include "platform/qt/ShownTexts.h"
#include "tests/support/MemoryClipboard.h"
#include "tests/support/OffscreenQt.h"
#include "tests/support/TestFiles.h"
#include "widgets/FrText.h"
#include "widgets/PicturePanel.h"
#include "widgets/PreviewForm.h"
#include "widgets/SilentPaintPanel.h"
#include "widgets/WriteProgressWindow.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

namespace sorvak {
namespace {

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::OffscreenQtEnvironment);

struct Box {
    QString caption, text, button;
};

// Runs `show`, reads the modal box it opens and presses its button.
Box ReadBox(const std::function<void()>& show) {
    Box shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = {box->windowTitle(), box->text(), box->buttons().first()->text()};
            box->buttons().first()->click();
        }
    });
    poll.start(10);
    show();
    return shown;
}

Box ErrorBox(const std::function<void()>& fail) {
    try {
        fail();
    } catch (const std::exception& failure) {
        return ReadBox([&] { platform::ShowException(failure); });
    }
    ADD_FAILURE() << "nothing failed";
    return {};
}

QString ErrorBoxOf(const std::function<void()>& fail) {
    return ErrorBox(fail).text;
}

// Keeps the title the dispatch gives the file list's save dialog.
class TitleOfFileList : public FileListWindow {
public:
    explicit TitleOfFileList(std::string& title) : title_(title) {}
    TTextSaveDialog& SaveDialog() override { return dialog_; }
    void SetMemoText(const std::string&) override {}
    void ShowModal() override { title_ = dialog_.Title; }

private:
    std::string& title_;
    TTextSaveDialog dialog_;
};

struct Row {
    const char* kind;
    QString shown;
    std::string japanese, english;
};

class ShownLanguage : public ::testing::Test {
protected:
    void SetUp() override {
        const char* wanted = std::getenv("LC_ALL");
        ASSERT_NE(wanted, nullptr) << "the test's ctest entry sets LC_ALL";
        locale_ = wanted;
        if (std::setlocale(LC_ALL, "") == nullptr)
            GTEST_SKIP() << "locale " << locale_ << " cannot be loaded: run scripts/deps.sh test";
        japanese_ = locale_.rfind("ja_", 0) == 0 || locale_.rfind("C.", 0) == 0 || locale_ == "C" ||
                    locale_ == "POSIX";
        QApplication::setApplicationName(QStringLiteral("Sorvak"));
        platform::InstallQtTranslations();
    }

    void Check(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            const std::string& expected = japanese_ ? row.japanese : row.english;
            EXPECT_EQ(row.shown.toStdString(), expected) << row.kind << " under " << locale_;
        }
    }

    std::string locale_;
    bool japanese_ = true;
};

TEST_F(ShownLanguage, ErrorAndInformationBoxes) {
    const std::string missingFolder = "/nonexistent-folder-of-sorvak";
    // The system's own texts come from the C library, in the locale's language.
    const std::string noEntry = codepage::ToUtf8(std::strerror(ENOENT));
    MemoryClipboard hung;
    hung.OwnerHung = true;
    TClipboard clipboard(hung);

    test::TempDir folder;
    MemoryClipboard empty;
    TClipboard nothing(empty);
    DriverServices services;
    services.Clipboard = &nothing;
    services.ShowInformation = platform::ShowInformationBox;
    services.ProgramPath = (folder.Path() / "sorvak").string();
    const Box information = ReadBox([&] { TDataModule1 module(std::move(services)); });

    Check({
        {"clipboard busy", ErrorBoxOf([&] { clipboard.QueryFormat(CF_TEXT); }),
         "クリップボードを開くことができません.", "Cannot open the clipboard."},
        {"file not created", ErrorBoxOf([&] { OutputFile file(missingFolder + "/a.txt"); }),
         "ファイル \"" + missingFolder + "/a.txt\". " + noEntry + " を作成できません.",
         "Cannot create file \"" + missingFolder + "/a.txt\". " + noEntry + "."},
        {"file not opened", ErrorBoxOf([&] { ReadFileHeadOrThrow(missingFolder + "/b.dfm", 16); }),
         "ファイル \"" + missingFolder + "/b.dfm\". " + noEntry + " は開けません.",
         "Cannot open file \"" + missingFolder + "/b.dfm\". " + noEntry + "."},
        {"write error", ErrorBoxOf([] { throw EWriteError(); }), "ストリームへの書き込みエラー.",
         "Stream write error."},
        {"out of memory", ErrorBoxOf([] { throw std::bad_alloc(); }),
         "システム リソースが足りません.", "Out of system resources."},
        {"unsupported data",
         ErrorBoxOf([] { TBitmap().LoadClipboardBitmap(CF_BITMAP, nullptr, nullptr); }),
         "未対応のクリップボード データです.", "Unsupported clipboard data."},
        {"jpeg error", ErrorBoxOf([] { throw EJPEG(42); }), "JPEG エラー #42.", "JPEG error #42."},
        {"form property", ErrorBoxOf([] {
             throw EFormReadError(formtext::SPropertyException, {"Form1", ".", "Caption", "31"});
         }),
         "Form1.Caption の読み込み中のエラー : 31.", "Error reading Form1.Caption: 31."},
        {"form nesting", ErrorBoxOf([] { throw EFormReadError(formtext::SNestingTooDeep); }),
         "フォーム記述の入れ子が深すぎます.", "Form description nested too deeply."},
        // The writers' own texts are English in every language.
        {"writer text",
         ErrorBoxOf([&] { TPNGObject().WriteToFile((folder.Path() / "empty.png").string()); }),
         "Cannot save an empty image (width or height is 0)",
         "Cannot save an empty image (width or height is 0)"},
        {"error box button", ErrorBox([] { throw EWriteError(); }).button, "OK", "OK"},
        {"information caption", information.caption, "情報", "Information"},
        {"information text", information.text, "クリップボードが空か未サポートのフォーマットです。",
         "The clipboard is empty or holds an unsupported format."},
        {"information button", information.button, "OK", "OK"},
    });
}

TEST_F(ShownLanguage, DialogTitlesFiltersAndPanes) {
    test::TempDir folder;
    MemoryClipboard empty;
    TClipboard nothing(empty);
    DriverServices services;
    services.Clipboard = &nothing;
    services.ProgramPath = (folder.Path() / "sorvak").string();
    TDataModule1 module(std::move(services));

    MemoryClipboard files;
    files.SetData(CF_HDROP, BuildDropFilesBlock({"/home/u/a.txt"}));
    TClipboard fileList(files);
    DriverServices listServices;
    listServices.Clipboard = &fileList;
    listServices.ProgramPath = (folder.Path() / "sorvak").string();
    std::string fileListTitle;
    listServices.CreateFileListWindow = [&](TDataModule1&) {
        return std::make_unique<TitleOfFileList>(fileListTitle);
    };
    { TDataModule1 listModule(std::move(listServices)); }
    TOpenPictureDialog openPicture(nullptr);

    auto names = [](std::string filter) {
        std::replace(filter.begin(), filter.end(), '|', '\0');
        QStringList shown;
        for (const platform::NameFilter& name : platform::NameFiltersOf(filter))
            shown.append(name.Text);
        return shown.join(u'\n');
    };
    QWidget host;
    widgets::PicturePanel panel;
    widgets::TSilentPaintPanel paint;
    // The pane's own texts come from the dialog; the caption of a picture
    // that fails to paint is the pane's.
    emit paint.Box()->PaintFailed();
    widgets::PreviewForm preview(QImage(8, 8, QImage::Format_RGB32));
    widgets::WriteProgressWindow progress(QStringLiteral("PNG"), [] {
        static auto now = widgets::WriteProgressWindow::Clock::now();
        return now += std::chrono::seconds(1);
    });
    progress.Report(10);
    QLabel* progressLabel = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == u"WriteProgressWindow")
            progressLabel = window->findChild<QLabel*>();
    ASSERT_NE(progressLabel, nullptr);

    Check({
        {"picture title", platform::FromAnsi(module.SavePictureDialog1->Title),
         "クリップボード画像に名前を付けて保存", "Save Clipboard Picture As"},
        {"text title", platform::FromAnsi(module.TextSaveDialog1->Title),
         "クリップボードテキストに名前を付けて保存", "Save Clipboard Text As"},
        {"file list title", platform::FromAnsi(fileListTitle),
         "コピーされたファイルリストに名前を付けて保存", "Save Copied File List As"},
        {"picture filters", names(module.SavePictureDialog1->Filter),
         "ビットマップ (*.bmp) (*.bmp)\nJPEG イメージファイル (*.jpg) (*.jpg *.ipeg)\n"
         "PNG イメージファイル (*.png) (*.png)\nGIF イメージファイル (*.gif) (*.gif)",
         "Bitmaps (*.bmp) (*.bmp)\nJPEG image files (*.jpg) (*.jpg *.ipeg)\n"
         "PNG image files (*.png) (*.png)\nGIF image files (*.gif) (*.gif)"},
        {"text filters", names(module.TextSaveDialog1->Filter),
         "テキストファイル(*.txt) (*.txt)\nすべてのファイル (*.*)",
         "Text files (*.txt) (*.txt)\nAll files (*.*)"},
        {"open picture filter", names(openPicture.Filter),
         "すべての画像 (*.bmp;*.ico;*.wmf;*.emf;*.jpeg;*.jpg;*.png;*.gif) "
         "(*.bmp *.ico *.wmf *.emf *.jpeg *.jpg *.png *.gif)",
         "All pictures (*.bmp;*.ico;*.wmf;*.emf;*.jpeg;*.jpg;*.png;*.gif) "
         "(*.bmp *.ico *.wmf *.emf *.jpeg *.jpg *.png *.gif)"},
        {"preview check box", platform::ShownText(PreviewCheckCaption), "内容をプレビューする(&P)",
         "&Preview contents"},
        {"preview button", panel.PreviewButton()->toolTip(), "プレビュー", "Preview"},
        {"bad picture", paint.Caption(), "画像が不正です", "Invalid picture"},
        {"preview window", preview.windowTitle(), "プレビュー", "Preview"},
        {"progress", progressLabel->text(), "PNG 形式で保存しています...", "Saving as PNG..."},
    });
}

TEST_F(ShownLanguage, FileListWindow) {
    test::TempDir folder;
    MemoryClipboard memory;
    TClipboard clipboard(memory);
    TExtIniFile settings((folder.Path() / "sorvak").string());
    widgets::TextFormServices services;
    services.Clipboard = &clipboard;
    services.Settings = &settings;
    widgets::TTextForm form(std::move(services));
    Check({
        {"title", form.windowTitle(), "ファイルのコピー", "Copied Files"},
        {"label", form.Label1->text(), "クリップボードにコピーされたファイルのパスです。",
         "The paths of the files copied to the clipboard."},
        {"copy", form.Button3->text(), "コピー", "Copy"},
        {"save", form.Button1->text(), "保存", "Save"},
        {"close", form.Button2->text(), "閉じる", "Close"},
    });
}

// Qt's own labels come from Qt's translations for the session's language,
// beside the program's texts.
TEST_F(ShownLanguage, QtLabelsFollowTheSession) {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    const std::string label = lookIn->text().toStdString();
    if (locale_.rfind("de_", 0) == 0)
        EXPECT_EQ(label, "Suchen in:");
    else if (locale_.rfind("ja_", 0) == 0)
        EXPECT_EQ(label, "アドレス:");
    else
        EXPECT_EQ(label, "Look in:");
}

} // namespace
} // namespace sorvak
