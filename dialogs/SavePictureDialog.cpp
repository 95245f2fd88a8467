#include "dialogs/SavePictureDialog.h"

#include "base/CodePage.h"
#include "base/FileNames.h"
#include "base/ShownText.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace sorvak {

namespace {

constexpr const char* NoPicture = SORVAK_TEXT("sorvak", "(なし)");
constexpr const char* NoPictureLabel = SORVAK_TEXT("sorvak", "画像:");

std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A file that exists and is no folder. Only the name is looked at, so a
// FIFO or a device cannot make the dialog wait; the pane reads regular
// files alone.
bool IsCandidate(const std::string& fileName) {
    std::error_code error;
    const auto status = std::filesystem::status(SystemFileName(fileName), error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

} // namespace

std::optional<TPictureFormat> PictureFormatOfName(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    const std::string extension = LowerAscii(fileName.substr(dot + 1));
    static const std::pair<const char*, TPictureFormat> formats[] = {
        {"bmp", TPictureFormat::Bitmap},   {"ico", TPictureFormat::Icon},
        {"wmf", TPictureFormat::Metafile}, {"emf", TPictureFormat::EnhancedMetafile},
        {"jpeg", TPictureFormat::Jpeg},    {"jpg", TPictureFormat::Jpeg},
        {"png", TPictureFormat::Png},      {"gif", TPictureFormat::Gif},
    };
    for (const auto& [name, format] : formats)
        if (extension == name)
            return format;
    return std::nullopt;
}

TPictureSize PreviewClientSize(TPictureSize client, TPictureSize panelClient, TPictureSize picture,
                               TPictureSize monitor) {
    if (picture.Width <= 0)
        return client;
    // The panel's border and its 5-pixel inner margin on each side.
    return {
        std::min(monitor.Width * 3 / 4, client.Width - panelClient.Width + picture.Width + 10),
        std::min(monitor.Height * 3 / 4, client.Height - panelClient.Height + picture.Height + 10)};
}

TOpenPictureDialog::TOpenPictureDialog(FileDialogService* service) : TOpenDialog(service) {
    Filter = AnsiShownText(SORVAK_TEXT(
                 "sorvak", "すべての画像 (*.bmp;*.ico;*.wmf;*.emf;*.jpeg;*.jpg;*.png;*.gif)")) +
             "|*.bmp;*.ico;*.wmf;*.emf;*.jpeg;*.jpg;*.png;*.gif";
}

TOpenPictureDialog::~TOpenPictureDialog() = default;

void TOpenPictureDialog::SetPictureTemplate() {
    ChildTemplate = IsExplorerStyle() ? PictureDialogTemplate : "";
}

bool TOpenPictureDialog::RunPictureDialog(const DialogCall& call) {
    // The pane's controls live in the dialog window and must not outlive it.
    struct ReleasePane {
        std::unique_ptr<PicturePane>& pane;
        ~ReleasePane() { pane.reset(); }
    } release{pane_};
    return RunDialog(call) != 0;
}

bool TOpenPictureDialog::Execute() {
    SetPictureTemplate();
    return RunPictureDialog([this](OpenFileNameRequest& r) { return OpenCall(r); });
}

void TOpenPictureDialog::DoShow() {
    pane_.reset();
    if (window_ != nullptr)
        if (DialogPanes* panes = window_->Panes())
            pane_ = panes->CreatePicturePane();
    if (pane_) {
        const TRect client = window_->ClientRect();
        const TRect standard = StandardArea();
        pane_->SetPanelBounds({standard.Right, client.Top + 4, client.Right, client.Bottom});
        const TRect paint = pane_->PaintPanelBounds();
        TRect button = pane_->PreviewButtonBounds();
        const int width = button.Width();
        button.Right = paint.Right - 2;
        button.Left = button.Right - width;
        pane_->SetPreviewButtonBounds(button);
        pane_->ClearPicture();
        pane_->SetPaintCaption(NoPicture);
        pane_->OnPreviewClick = [this] { PreviewClick(); };
        pane_->ShowPanel();
    }
    lastPreviewed_.clear();
    TOpenDialog::DoShow();
}

void TOpenPictureDialog::ShowPicture(const std::string& fileName) {
    std::optional<TPictureSize> size;
    if (IsCandidate(fileName))
        if (const std::optional<TPictureFormat> format = PictureFormatOfName(fileName)) {
            try {
                size = pane_->LoadPicture(fileName, *format);
            } catch (const std::exception&) {
                size.reset(); // a picture that cannot be loaded is no picture
            }
        }
    if (size) {
        pane_->SetLabelText(" (" + std::to_string(size->Width) + "x" +
                            std::to_string(size->Height) + ")");
        pane_->SetPreviewEnabled(true);
        pane_->SetPaintCaption("");
    } else {
        pane_->SetLabelText(NoPictureLabel);
        pane_->SetPreviewEnabled(false);
        pane_->ClearPicture();
        pane_->SetPaintCaption(NoPicture);
    }
}

void TOpenPictureDialog::DoSelectionChange() {
    const std::string name = FileName();
    if (name != lastPreviewed_) {
        lastPreviewed_ = name;
        if (pane_)
            ShowPicture(name);
    }
    TOpenDialog::DoSelectionChange();
}

void TOpenPictureDialog::PreviewClick() {
    if (pane_)
        pane_->ShowPreview();
}

void TOpenPictureDialog::DoClose() {
    TOpenDialog::DoClose();
    if (pane_)
        pane_->HideHints();
}

bool TSavePictureDialog::Execute() {
    SetPictureTemplate();
    return RunPictureDialog([this](OpenFileNameRequest& r) { return SaveCall(r); });
}

} // namespace sorvak
