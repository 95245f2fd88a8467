// The boxes as the user reads them, in a UTF-8 and a Shift_JIS locale: every
// kind of message, made where the program makes it.
#include "base/CodePage.h"
#include "base/FileErrors.h"
#include "base/FileHead.h"
#include "clipboard/Clipboard.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "platform/filedialog/FileDialogRequest.h"
#include "platform/qt/MessageBoxes.h"
#include "tests/support/Locales.h"
#include "tests/support/MemoryClipboard.h"
#include "tests/support/OffscreenQt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <memory>

namespace sorvak {
namespace {

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::OffscreenQtEnvironment);

struct Shown {
    QString caption, text;
};

// Runs `show`, reads the modal box it opens and presses its OK.
Shown ReadBox(const std::function<void()>& show) {
    QApplication::setApplicationName(QStringLiteral("Sorvak"));
    Shown shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = {box->windowTitle(), box->text()};
            box->buttons().first()->click();
        }
    });
    poll.start(10);
    show();
    return shown;
}

template <typename Make> Shown ErrorBoxOf(Make make) {
    try {
        make();
    } catch (const std::exception& failure) {
        return ReadBox([&] { platform::ShowException(failure); });
    }
    ADD_FAILURE() << "nothing failed";
    return {};
}

TEST(MessageBoxText, EveryKindReadsRightInUtf8AndShiftJis) {
    for (const char* locale : {"ja_JP.UTF-8", "ja_JP.SJIS"}) {
        SCOPED_TRACE(locale);
        test::ScopedLocale set(locale);
        if (!set.Usable()) {
            ADD_FAILURE() << "locale " << locale << " missing: run scripts/deps.sh";
            continue;
        }
        // A file name arrives in the locale's code page, as the dialog gives it.
        const std::string path = codepage::FromUtf8("/nonexistent-folder/日本語.txt");
        ASSERT_EQ(codepage::System(), std::string(locale).find("SJIS") != std::string::npos
                                          ? codepage::ShiftJis
                                          : codepage::Utf8);

        MemoryClipboard system;
        system.OwnerHung = true;
        TClipboard clipboard(system);
        Shown box = ErrorBoxOf([&] { clipboard.QueryFormat(CF_TEXT); });
        EXPECT_EQ(box.caption, "Sorvak");
        EXPECT_EQ(box.text, "クリップボードを開くことができません.");

        box = ErrorBoxOf([&] { OutputFile file(path); });
        EXPECT_TRUE(box.text.startsWith("ファイル \"/nonexistent-folder/日本語.txt\". "))
            << box.text.toStdString();
        EXPECT_TRUE(box.text.endsWith(" を作成できません.")) << box.text.toStdString();
        EXPECT_FALSE(box.text.contains(QChar::ReplacementCharacter)) << box.text.toStdString();

        // The same name in the text that a file that cannot be read gives.
        box = ErrorBoxOf([&] { ReadFileHeadOrThrow(path, 16); });
        EXPECT_TRUE(box.text.startsWith("ファイル \"/nonexistent-folder/日本語.txt\". "))
            << box.text.toStdString();
        EXPECT_TRUE(box.text.endsWith(" は開けません.")) << box.text.toStdString();
        EXPECT_FALSE(box.text.contains(QChar::ReplacementCharacter)) << box.text.toStdString();

        box = ErrorBoxOf([] { platform::ThrowNameTooLong(); });
        EXPECT_EQ(box.text, "ファイル名が長すぎます.");

        box = ErrorBoxOf([] { throw EWriteError(); });
        EXPECT_EQ(box.text, "ストリームへの書き込みエラー.");

        box = ErrorBoxOf([] { TBitmap().LoadClipboardBitmap(CF_BITMAP, nullptr, nullptr); });
        EXPECT_EQ(box.text, "未対応のクリップボード データです.");

        box = ErrorBoxOf([] { throw EJPEG(42); });
        EXPECT_EQ(box.text, "JPEG エラー #42.");

        box = ReadBox([] {
            platform::ShowInformationBox("情報",
                                         "クリップボードが空か未サポートのフォーマットです。");
        });
        EXPECT_EQ(box.caption, "情報");
        EXPECT_EQ(box.text, "クリップボードが空か未サポートのフォーマットです。");
    }
}

} // namespace
} // namespace sorvak
