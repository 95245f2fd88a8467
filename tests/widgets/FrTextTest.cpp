// The file list window on the offscreen platform: its layout, its keys and
// its three buttons, with a clipboard in memory and a scripted save dialog.
#include "widgets/FrText.h"
#include "tests/support/OffscreenQt.h"

#include "clipboard/Clipboard.h"
#include "settings/ExtIniFile.h"
#include "tests/support/MemoryClipboard.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

using namespace sorvak;
using sorvak::widgets::TTextForm;
namespace fs = std::filesystem;

namespace {

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::OffscreenQtEnvironment);

// The user in the save dialog: confirms the next answer, or cancels.
class ScriptedDialogs : public FileDialogService {
public:
    std::vector<std::string> Answers;
    std::vector<OpenFileNameRequest> Seen;

    int GetOpenFileName(OpenFileNameRequest& request) override { return GetSaveFileName(request); }
    int GetSaveFileName(OpenFileNameRequest& request) override {
        Seen.push_back(request);
        if (Seen.size() > Answers.size())
            return 0;
        request.SetFileText(Answers[Seen.size() - 1]);
        return 1;
    }
};

class TextFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings_ = std::make_unique<TExtIniFile>((root_ / "sorvak").string());
        widgets::TextFormServices services;
        services.Clipboard = &clipboardObject_;
        services.Settings = settings_.get();
        services.Dialogs = &dialogs_;
        services.ShowError = [this](const std::exception& e) {
            // The window is still open while the box shows.
            errors_.push_back(e.what());
            EXPECT_TRUE(form_->isVisible());
        };
        form_ = std::make_unique<TTextForm>(std::move(services));
        form_->SetMemoText("/home/u/a b.txt\r\n/home/u/写真\r\n");
        form_->SaveDialog().SetFileName("CopyFiles.txt");
        form_->show();
    }
    void TearDown() override {
        form_.reset();
        settings_.reset();
    }

    std::string SavedFolder() {
        return settings_->ReadStr("FilePathSaveDialog", "InitialDir", "-");
    }
    void Edit(const QString& text) {
        form_->Memo1->setFocus();
        form_->Memo1->moveCursor(QTextCursor::End);
        form_->Memo1->insertPlainText(text);
    }

    test::TempDir dir_{"sorvak-textform"};
    const fs::path root_ = dir_.Path();
    MemoryClipboard clipboard_;
    TClipboard clipboardObject_{clipboard_};
    ScriptedDialogs dialogs_;
    std::unique_ptr<TExtIniFile> settings_;
    std::vector<std::string> errors_;
    std::unique_ptr<TTextForm> form_;
};

} // namespace

TEST_F(TextFormTest, GrowingGivesTheRoomToTheTextBoxAndKeepsButtonsBottomRight) {
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("ファイルのコピー"));
    EXPECT_EQ(form_->Label1->text(),
              QStringLiteral("クリップボードにコピーされたファイルのパスです。"));
    EXPECT_EQ(form_->Button3->text(), QStringLiteral("コピー"));
    EXPECT_EQ(form_->Button1->text(), QStringLiteral("保存"));
    EXPECT_EQ(form_->Button2->text(), QStringLiteral("閉じる"));
    EXPECT_EQ(form_->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(form_->Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form_->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    for (QPushButton* button : {form_->Button3, form_->Button1, form_->Button2}) {
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }

    struct Case {
        QSize size;
        QRect memo, copy, save, close;
    } cases[] = {
        {{513, 213}, {0, 33, 513, 139}, {265, 180, 75, 25}, {345, 180, 75, 25}, {425, 180, 75, 25}},
        {{800, 400}, {0, 33, 800, 326}, {552, 367, 75, 25}, {632, 367, 75, 25}, {712, 367, 75, 25}},
    };
    for (const Case& c : cases) {
        form_->resize(c.size);
        QCoreApplication::processEvents();
        ASSERT_EQ(form_->size(), c.size);
        EXPECT_EQ(form_->Memo1->geometry(), c.memo);
        auto inForm = [this](QWidget* w) {
            return QRect(w->mapTo(form_.get(), QPoint()), w->size());
        };
        EXPECT_EQ(inForm(form_->Button3), c.copy);
        EXPECT_EQ(inForm(form_->Button1), c.save);
        EXPECT_EQ(inForm(form_->Button2), c.close);
        EXPECT_EQ(inForm(form_->Label1), QRect(8, 8, 329, 25));
    }
}

TEST_F(TextFormTest, TabMovesTheFocusAndEscapeOrEnterCloseNothing) {
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    form_->Memo1->setFocus();
    const QString text = form_->Memo1->toPlainText();
    for (QWidget* next : std::initializer_list<QWidget*>{form_->Button3, form_->Button1,
                                                         form_->Button2, form_->Memo1}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    EXPECT_EQ(form_->Memo1->toPlainText(), text);

    for (QWidget* focus :
         {static_cast<QWidget*>(form_->Memo1), static_cast<QWidget*>(form_->Button1)}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        QTest::keyClick(form_->Button1, Qt::Key_Return);
        QTest::keyClick(form_->Button2, Qt::Key_Enter);
        EXPECT_TRUE(form_->isVisible());
    }
    EXPECT_TRUE(dialogs_.Seen.empty());
    // Enter in the text box is a line break.
    QTest::keyClick(form_->Memo1, Qt::Key_Return);
    EXPECT_EQ(form_->Memo1->toPlainText().count(QLatin1Char('\n')),
              text.count(QLatin1Char('\n')) + 1);
}

TEST_F(TextFormTest, CopyPutsTheTextOnTheClipboardInPlaceOfTheFileList) {
    clipboard_.SetData(CF_HDROP, std::string(24, '\0'));
    form_->Button3->click();
    EXPECT_EQ(clipboardObject_.ReadDataBlock(CF_TEXT),
              std::string("/home/u/a b.txt\r\n/home/u/写真\r\n") + '\0');
    EXPECT_FALSE(clipboard_.IsFormatAvailable(CF_HDROP));

    Edit(QStringLiteral("/edited"));
    form_->Button3->click();
    EXPECT_EQ(clipboardObject_.ReadDataBlock(CF_TEXT),
              std::string("/home/u/a b.txt\r\n/home/u/写真\r\n/edited") + '\0');

    form_->SetMemoText("");
    form_->Button3->click();
    EXPECT_EQ(clipboardObject_.ReadDataBlock(CF_TEXT), std::string(1, '\0'));
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(errors_.empty());
}

TEST_F(TextFormTest, CopyWhileAnotherProgramHoldsTheClipboardShowsTheError) {
    clipboard_.HeldByOtherProgram = true;
    form_->Button3->click();
    EXPECT_EQ(errors_, std::vector<std::string>{"クリップボードを開くことができません"});
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(TextFormTest, SaveWritesTheTextBoxAndRemembersTheFolder) {
    const fs::path first = root_ / "lists" / "first.txt";
    fs::create_directories(first.parent_path());
    const fs::path second = root_ / "second.txt";
    test::WriteFileBytes(second, "old content that is longer than the new one\r\n");
    dialogs_.Answers = {first.string(), second.string()};

    form_->Button1->click();
    EXPECT_EQ(test::ReadFileBytes(first), "/home/u/a b.txt\r\n/home/u/写真\r\n");
    EXPECT_EQ(SavedFolder(), first.parent_path().string());

    // Edited, saved over an existing file without a question; the dialog
    // proposes the name chosen the first time.
    Edit(QStringLiteral("/edited\u00A0name"));
    form_->Button1->click();
    ASSERT_EQ(dialogs_.Seen.size(), 2u);
    EXPECT_EQ(dialogs_.Seen[1].FileText(), first.string());
    EXPECT_EQ(dialogs_.Seen[0].FileText(), "CopyFiles.txt");
    // The system dialog is not asked to question an existing name.
    EXPECT_EQ(dialogs_.Seen[1].Flags & ofn::OverwritePrompt, 0u);
    EXPECT_NE(dialogs_.Seen[1].Flags & ofn::HideReadOnly, 0u);
    EXPECT_EQ(test::ReadFileBytes(second), "/home/u/a b.txt\r\n/home/u/写真\r\n/edited\u00A0name");
    EXPECT_EQ(SavedFolder(), root_.string());

    // Cancel changes nothing.
    form_->Button1->click();
    EXPECT_EQ(dialogs_.Seen.size(), 3u);
    EXPECT_EQ(SavedFolder(), root_.string());
    EXPECT_TRUE(errors_.empty());
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(TextFormTest, SaveThatFailsShowsTheErrorAndKeepsTheSetting) {
    dialogs_.Answers = {"/proc/sorvak-cannot-create.txt"};
    form_->Button1->click();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("/proc/sorvak-cannot-create.txt"), std::string::npos) << errors_[0];
    EXPECT_EQ(SavedFolder(), "-");
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(TextFormTest, CloseButtonAndCloseBoxEndTheWindow) {
    form_->Button2->click();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->result(), QDialog::Rejected);
    form_->show();
    form_->close();
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(TextFormTest, OpensCentredWithTheFocusInTheTextBox) {
    form_->hide();
    QRect frame;
    QWidget* focus = nullptr;
    QTimer::singleShot(0, form_.get(), [&] {
        frame = form_->frameGeometry();
        focus = form_->focusWidget();
        form_->Button2->click();
    });
    form_->ShowModal();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form_->size(), QSize(513, 213));
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);
    EXPECT_EQ(focus, form_->Memo1);
}
