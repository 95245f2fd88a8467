#pragma once
// The program's text file dialogs: the dialog that keeps the typed name's
// extension in step with the chosen filter, and the open and save dialogs
// with a preview strip below the standard controls.
#include "base/ShownText.h"
#include "dialogs/OpenDialog.h"
#include "dialogs/TextPreviewPane.h"

#include <memory>

namespace sorvak {

// Name of the child template that reserves the preview strip.
inline constexpr const char* TextDialogTemplate = "ENHDLG1";
// The check box of the preview strip.
inline constexpr const char* PreviewCheckCaption =
    SORVAK_TEXT("sorvak", "内容をプレビューする(&P)");
// The preview's font face; the pane falls back to the system's fixed-pitch
// font where it is not installed.
inline constexpr const char* PreviewFontFace = "ＭＳ ゴシック";

// On a type change the extension of the typed name follows the new filter's
// first pattern, and DefaultExt follows; OnTypeChange is not raised.
class TExtChangeOpenDialog : public TOpenDialog {
public:
    explicit TExtChangeOpenDialog(FileDialogService* service = nullptr);

    // Published.
    bool AutoExtChange = true;
    bool ShowPlacesBar = true;

    bool Execute() override;

protected:
    void DoTypeChange() override;
    // DefaultExt from the selected filter, when AutoExtChange is on.
    void FollowFilterExtension();
    // The extended call (places bar as ShowPlacesBar says) on an extended
    // system, else the classic call.
    int RunOpenOrSave(bool save);
    // ENHDLG1 for explorer-style dialogs, none otherwise.
    void SetTextTemplate();
};

// Covers the template's strip with a panel while the dialog is shown.
class TEnhOpenDialog : public TExtChangeOpenDialog {
public:
    using TExtChangeOpenDialog::TExtChangeOpenDialog;
    ~TEnhOpenDialog() override;

    bool Execute() override;
    // The panel, from the show step to the close step; none otherwise.
    TextPreviewPane* PreviewPanel() const { return panel_.get(); }

protected:
    void DoShow() override;
    void DoClose() override;

    std::unique_ptr<TextPreviewPane> panel_;
};

class TTextOpenDialog;

// Preview: stored, and passed to the check box while one exists.
class PreviewProperty {
public:
    explicit PreviewProperty(TTextOpenDialog& owner) : owner_(owner) {}
    PreviewProperty(const PreviewProperty&) = delete;
    PreviewProperty& operator=(const PreviewProperty&) = delete;
    PreviewProperty& operator=(bool value);
    operator bool() const { return value_; }

private:
    friend class TTextOpenDialog;
    TTextOpenDialog& owner_;
    bool value_ = false;
};

// The panel holds a check box and a read-only preview of the selected file's
// first PreviewLimit bytes; binary form files are shown as their text form.
class TTextOpenDialog : public TEnhOpenDialog {
public:
    explicit TTextOpenDialog(FileDialogService* service = nullptr);

    // Published.
    PreviewProperty Preview{*this};

    // Loads the current selection into the preview (empty when unchecked or
    // not a plain file). Failures leave the preview empty and propagate.
    virtual void RefreshPreview();

protected:
    void DoShow() override;
    void DoClose() override;
    void DoSelectionChange() override;
    void PreviewCheckClick();

private:
    friend class PreviewProperty;
};

// The same dialog run as a save dialog.
class TTextSaveDialog : public TTextOpenDialog {
public:
    using TTextOpenDialog::TTextOpenDialog;
    bool Execute() override;
};

} // namespace sorvak
