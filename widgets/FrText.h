#pragma once
// The file list window: the copied paths in an editable box, with buttons to
// copy the text to the clipboard, save it to a file, or close the window.
#include "dialogs/FileListWindow.h"
#include "widgets/AnsiPlainText.h"

#include <QDialog>

#include <exception>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace sorvak {
class TClipboard;
class TExtIniFile;
} // namespace sorvak

namespace sorvak::widgets {

// What the window's buttons work with; the module supplies them.
struct TextFormServices {
    TClipboard* Clipboard = nullptr;
    // The module's settings store.
    TExtIniFile* Settings = nullptr;
    // The system file dialog behind the window's save dialog.
    FileDialogService* Dialogs = nullptr;
    // The error box, for a failure inside a button handler.
    std::function<void(const std::exception& failure)> ShowError;
};

class TTextForm : public QDialog, public FileListWindow {
    Q_OBJECT
public:
    // Client size as designed, at 96 dots per inch.
    static constexpr int DesignWidth = 513;
    static constexpr int DesignHeight = 213;

    explicit TTextForm(TextFormServices services, QWidget* parent = nullptr);
    ~TTextForm() override;

    TTextSaveDialog& SaveDialog() override { return *TextSaveDialog1; }
    void SetMemoText(const std::string& text) override;
    // Centred on the screen, modal; returns when the window was closed.
    void ShowModal() override;
    // The whole text of Memo1 in the ANSI code page, CR LF between lines.
    std::string MemoText() const;

    // Copy, save and close; failures go to the error box.
    void Button3Click();
    void Button1Click();
    void Button2Click();

    QWidget* TopPanel;
    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QWidget* Panel1;
    QPushButton* Button3;
    QPushButton* Button1;
    QPushButton* Button2;
    std::unique_ptr<TTextSaveDialog> TextSaveDialog1;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Guarded(const std::function<void()>& handler);
    void LayOut();

    TextFormServices services_;
    AnsiPlainText memoText_;
};

} // namespace sorvak::widgets
