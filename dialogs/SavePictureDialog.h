#pragma once
// The picture dialogs: the file dialog with a column at the right of the
// standard controls for the picture pane.
#include "OpenDialog.h"

namespace sorvak {

inline constexpr const char* PictureDialogTemplate = "DLGTEMPLATE";

class TOpenPictureDialog : public TOpenDialog {
public:
    // The filter lists every picture format the pane can load.
    explicit TOpenPictureDialog(FileDialogService* service = nullptr);
    bool Execute() override;

protected:
    void SetPictureTemplate();
};

class TSavePictureDialog : public TOpenPictureDialog {
public:
    using TOpenPictureDialog::TOpenPictureDialog;
    bool Execute() override;
};

} // namespace sorvak
