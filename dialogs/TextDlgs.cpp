#include "dialogs/TextDlgs.h"

#include "dialogs/PreviewFile.h"
#include "dialogs/SystemVersion.h"
#include "dialogs/TextDlgHelpers.h"
#include "formtext/FormPreview.h"

#include <stdexcept>

namespace sorvak {

TExtChangeOpenDialog::TExtChangeOpenDialog(FileDialogService* service) : TOpenDialog(service) {}

void TExtChangeOpenDialog::FollowFilterExtension() {
    std::string ext;
    if (AutoExtChange && FilterExtension(Filter, FilterIndex(), ext, CodePage))
        DefaultExt = ext.empty() ? std::string() : ext.substr(1);
}

void TExtChangeOpenDialog::SetTextTemplate() {
    ChildTemplate = IsExplorerStyle() ? TextDialogTemplate : "";
}

int TExtChangeOpenDialog::RunOpenOrSave(bool save) {
    if (!IsExtendedSystem())
        return RunDialog(
            [this, save](OpenFileNameRequest& r) { return save ? SaveCall(r) : OpenCall(r); });
    FileDialogService* service = Service();
    if (service == nullptr)
        throw std::logic_error("no file dialog service");
    PlacesBarWanted = ShowPlacesBar;
    return RunDialog([service, save](OpenFileNameRequest& r) {
        return save ? ExtendedSaveCall(*service, r) : ExtendedOpenCall(*service, r);
    });
}

bool TExtChangeOpenDialog::Execute() {
    FollowFilterExtension();
    return RunOpenOrSave(false) != 0;
}

void TExtChangeOpenDialog::DoTypeChange() {
    std::string ext;
    if (!AutoExtChange || !FilterExtension(Filter, FilterIndex(), ext, CodePage))
        return;
    if (window_ != nullptr) {
        // The whole field: a long typed path keeps its tail.
        const std::string typed = window_->FileNameText();
        window_->SetFileNameText(typed.empty() ? "*" + ext
                                               : ReplaceExtension(typed, ext, CodePage));
    }
    // Serves the next run; the running dialog keeps the one it started with.
    DefaultExt = ext.empty() ? std::string() : ext.substr(1);
}

TEnhOpenDialog::~TEnhOpenDialog() = default;

bool TEnhOpenDialog::Execute() {
    SetTextTemplate();
    return TExtChangeOpenDialog::Execute();
}

void TEnhOpenDialog::DoShow() {
    if (window_ != nullptr) {
        if (DialogPanes* panes = window_->Panes())
            panel_ = panes->CreateTextPreviewPane();
        if (panel_) {
            TRect bounds = window_->ClientRect();
            const TRect standard = StandardArea();
            bounds.Top = standard.Bottom - standard.Top - 10;
            panel_->SetPanelBounds(bounds);
        }
    }
    TExtChangeOpenDialog::DoShow();
}

void TEnhOpenDialog::DoClose() {
    panel_.reset();
    TExtChangeOpenDialog::DoClose();
}

PreviewProperty& PreviewProperty::operator=(bool value) {
    if (value == value_)
        return *this;
    value_ = value;
    if (TextPreviewPane* pane = owner_.PreviewPanel(); pane != nullptr && pane->HasCheckBox())
        pane->SetChecked(value); // raises the click handler, which refreshes
    return *this;
}

TTextOpenDialog::TTextOpenDialog(FileDialogService* service) : TEnhOpenDialog(service) {}

void TTextOpenDialog::DoShow() {
    TEnhOpenDialog::DoShow();
    if (!panel_)
        return;
    panel_->CreateCheckBox({5, 2, 205, 27}, PreviewCheckCaption, Preview);
    // Attached only now, so the initial state loads nothing.
    panel_->OnCheckClick = [this] { PreviewCheckClick(); };
    const TRect p = panel_->PanelClientRect();
    TRect bounds{5, 25, 5 + p.Width() - 10, 25 + p.Height() - 30};
    if (Options.Contains(TOpenOption::ofEnableSizing))
        bounds.Right -= panel_->SizeGripWidth();
    panel_->CreatePreview(bounds, PreviewFontFace);
}

void TTextOpenDialog::DoClose() {
    if (panel_) {
        panel_->OnCheckClick = nullptr;
        if (panel_->HasPreview())
            panel_->DestroyPreview();
        panel_->DestroyCheckBox();
    }
    TEnhOpenDialog::DoClose();
}

void TTextOpenDialog::DoSelectionChange() {
    TEnhOpenDialog::DoSelectionChange();
    RefreshPreview();
}

void TTextOpenDialog::PreviewCheckClick() {
    if (panel_ && panel_->HasCheckBox())
        Preview.value_ = panel_->Checked();
    RefreshPreview();
}

void TTextOpenDialog::RefreshPreview() {
    if (!panel_ || !panel_->HasPreview())
        return;
    panel_->ClearPreview();
    if (!panel_->HasCheckBox() || !panel_->Checked())
        return;
    const std::string name = FileName();
    if (!PlainFileExists(name))
        return;
    const std::optional<std::string> text =
        PreviewOfFile(name, static_cast<std::size_t>(PreviewLimit), CodePage);
    if (text)
        panel_->SetPreviewText(*text);
}

bool TTextSaveDialog::Execute() {
    FollowFilterExtension();
    SetTextTemplate();
    return RunOpenOrSave(true) != 0;
}

} // namespace sorvak
