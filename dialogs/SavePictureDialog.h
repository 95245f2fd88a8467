#pragma once
// The picture dialogs: the file dialog with a column at the right of the
// standard controls for the picture pane.
#include "dialogs/OpenDialog.h"
#include "dialogs/PicturePane.h"

#include <memory>
#include <optional>
#include <string>

namespace sorvak {

inline constexpr const char* PictureDialogTemplate = "DLGTEMPLATE";

// The format the pane reads a file in, by its extension in any case; none
// for an extension that no format claims.
std::optional<TPictureFormat> PictureFormatOfName(const std::string& fileName);

// The preview window's client size for a picture: room for the picture
// whole inside the panel's border, at most three quarters of the monitor
// each way. Unchanged for a picture without width.
TPictureSize PreviewClientSize(TPictureSize client, TPictureSize panelClient, TPictureSize picture,
                               TPictureSize monitor);

class TOpenPictureDialog : public TOpenDialog {
public:
    // The filter lists every picture format the pane can load.
    explicit TOpenPictureDialog(FileDialogService* service = nullptr);
    ~TOpenPictureDialog() override;
    bool Execute() override;

    // Opens the preview window with the pane's picture.
    virtual void PreviewClick();
    // The pane of the running dialog; none while no dialog is shown, or
    // where the platform makes none.
    PicturePane* Pane() const { return pane_.get(); }

protected:
    void SetPictureTemplate();
    void DoShow() override;
    void DoSelectionChange() override;
    void DoClose() override;
    // Runs the dialog call with the pane released however the run ends.
    bool RunPictureDialog(const DialogCall& call);

private:
    void ShowPicture(const std::string& fileName);

    std::unique_ptr<PicturePane> pane_;
    std::string lastPreviewed_;
};

class TSavePictureDialog : public TOpenPictureDialog {
public:
    using TOpenPictureDialog::TOpenPictureDialog;
    bool Execute() override;
};

} // namespace sorvak
