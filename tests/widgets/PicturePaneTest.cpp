// The picture pane and the preview window: in the real file dialog, driven
// in the process on the offscreen platform, and the pane's file reading.
#include "dialogs/SavePictureDialog.h"
#include "platform/filedialog/SystemFileDialog.h"
#include "tests/support/OffscreenQt.h"
#include "tests/support/filedialog/FileDialogDriving.h"
#include "widgets/PictureFile.h"
#include "widgets/PreviewForm.h"
#include "widgets/QtDialogPanes.h"
#include "widgets/QtPicturePane.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace sorvak::widgets {
namespace {

using platform::SystemFileDialog;
using platform::SystemFileDialogService;

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::OffscreenQtEnvironment);

using test::RunningDialog;
using test::When;

// Qt writes no GIF: a two-colour one by hand, every pixel after a clear
// code, so that the 3-bit codes never grow (GIF89a, LZW).
QByteArray TwoColourGif(int width, int height) {
    QByteArray gif("GIF89a");
    auto word = [&gif](int v) {
        gif.append(static_cast<char>(v & 0xFF));
        gif.append(static_cast<char>(v >> 8));
    };
    word(width);
    word(height);
    gif.append("\x80\x00\x00", 3);             // 2-entry global table
    gif.append("\x00\x00\x00\xFF\xFF\xFF", 6); // black, white
    gif.append(',');
    word(0);
    word(0);
    word(width);
    word(height);
    gif.append('\0');
    gif.append('\x02'); // minimum code size: clear 4, end 5
    QByteArray data;
    unsigned bits = 0, count = 0;
    auto code = [&](unsigned c) {
        bits |= c << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data.append(static_cast<char>(bits & 0xFF));
    };
    for (int i = 0; i < width * height; ++i) {
        code(4);
        code(static_cast<unsigned>((i / width + i % width) % 2));
    }
    code(5);
    if (count > 0)
        data.append(static_cast<char>(bits & 0xFF));
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif.append(static_cast<char>(block.size()));
        gif.append(block);
    }
    gif.append('\0');
    gif.append(';');
    return gif;
}

QByteArray Encode(const QImage& image, const char* format) {
    if (qstrcmp(format, "GIF") == 0)
        return TwoColourGif(image.width(), image.height());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Asymmetric, so that a transposed picture shows.
QImage Picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 30 % 256, y * 50 % 256, 90));
    return image;
}

class PicturePaneTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    void TearDown() override { EXPECT_FALSE(watchdog_.Fired()) << "a dialog had to be closed"; }

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QString Dir() const { return dir_.path(); }

    std::vector<std::string> errors;
    SystemFileDialogService service{[this](const std::exception& e) { errors.push_back(e.what()); },
                                    MakeDialogPanes};

private:
    QTemporaryDir dir_;
    test::DialogWatchdog watchdog_{15000};
};

// Clicks the named file in the dialog's list once the list shows it.
void ClickFile(SystemFileDialog& d, const QString& name, std::function<void()> then) {
    auto* view = d.FileDialog()->findChild<QAbstractItemView*>("listView");
    ASSERT_NE(view, nullptr);
    auto find = [view, name] { return test::ListedIndex(*view, name); };
    When([find] { return find().isValid(); },
         [view, find, then] {
             view->scrollTo(find());
             QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                               view->visualRect(find()).center());
             then();
         });
}

TEST_F(PicturePaneTest, PaneSitsRightOfTheListAndFollowsTheSelection) {
    Write("wide.png", Encode(Picture(70, 20), "PNG"));
    Write("other.GIF", Encode(Picture(3, 9), "GIF"));
    Write("damaged.jpg", QByteArray("\xFF\xD8\xFF\xE0 not really a JPEG"));
    Write("png-named.bmp", Encode(Picture(4, 4), "PNG"));

    TSavePictureDialog dialog(&service);
    dialog.InitialDir = Dir().toStdString();
    dialog.Filter = "All|*.*";
    dialog.Options = {TOpenOption::ofOverwritePrompt, TOpenOption::ofHideReadOnly,
                      TOpenOption::ofEnableSizing};
    When([] { return RunningDialog() != nullptr && RunningDialog()->IsInitDone(); },
         [&] {
             SystemFileDialog& d = *RunningDialog();
             auto* pane = d.TemplateArea()->findChild<PicturePanel*>("PicturePanel");
             ASSERT_NE(pane, nullptr);
             const TRect standard = dialog.StandardArea();
             EXPECT_TRUE(pane->isVisible());
             EXPECT_EQ(pane->geometry(),
                       QRect(QPoint(standard.Right, 4), d.TemplateArea()->rect().bottomRight()));
             EXPECT_EQ(pane->PreviewButton()->geometry().right(),
                       pane->PaintPanel()->geometry().right() - 2);
             EXPECT_EQ(pane->PictureLabel()->text(), "");
             EXPECT_EQ(pane->PaintPanel()->Caption(), "(なし)");
             EXPECT_FALSE(pane->PreviewButton()->isEnabled());
             EXPECT_EQ(pane->PreviewButton()->toolTip(), "プレビュー");
             EXPECT_FALSE(pane->PreviewButton()->icon().isNull());

             struct Step {
                 const char* name;
                 const char* label;
             };
             auto steps = std::make_shared<std::vector<Step>>(std::vector<Step>{
                 {"wide.png", " (70x20)"},
                 {"damaged.jpg", "画像:"},
                 {"other.GIF", " (3x9)"},
                 {"png-named.bmp", "画像:"},
                 {"other.GIF", " (3x9)"},
             });
             // The step holds itself weakly; the pending click keeps it alive.
             auto first = std::make_shared<std::function<void(std::size_t)>>();
             *first = [&, pane, steps, self = std::weak_ptr(first)](std::size_t i) {
                 const auto next = self.lock();
                 if (i == steps->size()) {
                     // The same name reported again is not loaded again, even
                     // though the file changed; another name in between loads it.
                     Write("other.GIF", Encode(Picture(8, 8), "GIF"));
                     emit d.FileDialog()->currentChanged(Dir() + "/other.GIF");
                     EXPECT_EQ(pane->PictureLabel()->text(), " (3x9)");
                     ClickFile(d, "wide.png", [&, pane] {
                         ClickFile(d, "other.GIF", [&, pane] {
                             EXPECT_EQ(pane->PictureLabel()->text(), " (8x8)");
                             d.reject();
                         });
                     });
                     return;
                 }
                 const Step step = (*steps)[i];
                 ClickFile(d, step.name, [&, pane, step, next, i] {
                     SCOPED_TRACE(step.name);
                     const bool shown = QString::fromUtf8(step.label) != "画像:";
                     EXPECT_EQ(pane->PictureLabel()->text(), QString::fromUtf8(step.label));
                     EXPECT_EQ(pane->PreviewButton()->isEnabled(), shown);
                     EXPECT_EQ(pane->PaintPanel()->Caption(), shown ? "" : "(なし)");
                     PaintBox* box = pane->PaintPanel()->Box();
                     EXPECT_EQ(box->Picture().isNull(), !shown);
                     if (i == 0) {
                         // Stretched to the box's width, proportions kept, centred.
                         const QRect r = box->PictureRect();
                         EXPECT_EQ(r.width(), box->width());
                         EXPECT_NEAR(r.height(), box->width() * 20 / 70, 1);
                         EXPECT_NEAR(r.top(), box->height() - r.bottom() - 1, 1);
                     }
                     (*next)(i + 1);
                 });
             };
             (*first)(0);
         });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(dialog.Execute());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(errors.empty());
}

TEST_F(PicturePaneTest, PreviewButtonOpensThePreviewWithThePicture) {
    Write("a.bmp", Encode(Picture(30, 40), "BMP"));
    TSavePictureDialog dialog(&service);
    dialog.InitialDir = Dir().toStdString();
    dialog.Filter = "All|*.*";
    bool previewed = false;
    When([] { return RunningDialog() != nullptr && RunningDialog()->IsInitDone(); },
         [&] {
             SystemFileDialog& d = *RunningDialog();
             auto* pane = d.TemplateArea()->findChild<PicturePanel*>("PicturePanel");
             ASSERT_NE(pane, nullptr);
             ClickFile(d, "a.bmp", [&, pane] {
                 When([] { return qobject_cast<PreviewForm*>(QApplication::activeModalWidget()); },
                      [&] {
                          auto* form =
                              qobject_cast<PreviewForm*>(QApplication::activeModalWidget());
                          EXPECT_EQ(form->windowTitle(), "プレビュー");
                          EXPECT_EQ(form->Image()->Picture(), Picture(30, 40));
                          previewed = true;
                          QTest::keyClick(form, Qt::Key_Escape);
                          When([] { return RunningDialog() != nullptr; },
                               [&] { RunningDialog()->reject(); });
                      });
                 pane->PreviewButton()->click();
             });
         });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(previewed);
}

TEST(PreviewForm, FitsThePictureUpToThreeQuartersOfTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        PreviewForm form(Picture(60, 30));
        // The picture exactly inside the border and the 5-pixel margin.
        EXPECT_EQ(form.size(), QSize(60 + 12, 30 + 12));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(form.Image()->size(), QSize(60, 30));
        EXPECT_EQ(form.Image()->PictureRect(), QRect(0, 0, 60, 30));
        // The margin inside the border shows the window background colour
        // (white in the default palette), not the dialog face.
        const QImage shot = form.grab().toImage();
        EXPECT_EQ(shot.pixelColor(3, 3), form.palette().color(QPalette::Base));
        EXPECT_NE(shot.pixelColor(3, 3), form.palette().color(QPalette::Window));
    }
    PreviewForm large(QImage(screen.width() * 2, screen.height() + 1, QImage::Format_RGB32));
    EXPECT_EQ(large.size(), QSize(screen.width() * 3 / 4, screen.height() * 3 / 4));
    // Centred on the screen.
    EXPECT_EQ(large.geometry().center().x() / 2, screen.center().x() / 2);
    large.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&large));
    QTest::keyClick(&large, Qt::Key_Escape);
    EXPECT_FALSE(large.isVisible());
}

TEST(PictureFile, ReadsRegularFilesOnlyAndDecodesByTheNamedFormat) {
    QTemporaryDir dir;
    const std::string pipe = (dir.path() + "/x.png").toStdString();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // No writer on the other end: a blocking open would never return.
    EXPECT_FALSE(ReadRegularFile(pipe));
    EXPECT_FALSE(ReadRegularFile(dir.path().toStdString()));
    EXPECT_FALSE(ReadRegularFile(dir.path().toStdString() + "/missing.png"));
    const std::string small = (dir.path() + "/small.bin").toStdString();
    QFile file(QString::fromStdString(small));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("12345");
    file.close();
    EXPECT_EQ(ReadRegularFile(small), QByteArray("12345"));
    EXPECT_FALSE(ReadRegularFile(small, 4));

    const QImage picture = Picture(5, 3);
    struct Case {
        const char* writtenAs;
        TPictureFormat readAs;
        bool decodes;
    } cases[] = {
        {"PNG", TPictureFormat::Png, true},   {"BMP", TPictureFormat::Bitmap, true},
        {"JPEG", TPictureFormat::Jpeg, true}, {"GIF", TPictureFormat::Gif, true},
        {"ICO", TPictureFormat::Icon, true},  {"PNG", TPictureFormat::Bitmap, false},
        {"BMP", TPictureFormat::Png, false},  {"PNG", TPictureFormat::Metafile, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.writtenAs) + " read as " +
                     std::to_string(static_cast<int>(c.readAs)));
        const QImage decoded = DecodePicture(Encode(picture, c.writtenAs), c.readAs);
        EXPECT_EQ(decoded.isNull(), !c.decodes);
        if (c.decodes) {
            EXPECT_EQ(decoded.size(), picture.size());
        }
    }
    EXPECT_TRUE(DecodePicture(QByteArray(100, 'x'), TPictureFormat::Png).isNull());
    // A header that claims more than the allocation limit allows, also once
    // the program has lifted Qt's limit for the clipboard picture.
    QByteArray huge = Encode(Picture(2, 2), "BMP");
    huge[18] = '\x40', huge[19] = '\x9C', huge[22] = '\x40', huge[23] = '\x9C'; // 40000 x 40000
    EXPECT_TRUE(DecodePicture(huge, TPictureFormat::Bitmap).isNull());
    // A sound picture of 6000 x 6000 (137 MiB) as well.
    QImage large(6000, 6000, QImage::Format_RGB32);
    large.fill(Qt::white);
    const QByteArray largePng = Encode(large, "PNG");
    const int qtLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(0);
    EXPECT_TRUE(DecodePicture(huge, TPictureFormat::Bitmap).isNull());
    EXPECT_TRUE(DecodePicture(largePng, TPictureFormat::Png).isNull());
    QImageReader::setAllocationLimit(qtLimit);
}

} // namespace
} // namespace sorvak::widgets
