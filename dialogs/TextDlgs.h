#pragma once
// The program's text file dialogs.
#include "OpenDialog.h"

namespace sorvak {

// Name of the child template that reserves the preview strip.
inline constexpr const char* TextDialogTemplate = "ENHDLG1";

// The text save dialog: the save call with the places bar as ShowPlacesBar
// wishes, and a strip below the standard controls for the preview.
class TTextSaveDialog : public TOpenDialog {
public:
    explicit TTextSaveDialog(FileDialogService* service = nullptr);

    // Published.
    bool ShowPlacesBar = true;
    bool Preview = false;

    bool Execute() override;

protected:
    // The extended save call: the full request, FlagsEx from ShowPlacesBar.
    int ExtendedSaveCall(OpenFileNameRequest& request);
};

} // namespace sorvak
